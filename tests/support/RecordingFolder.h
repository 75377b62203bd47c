// A temporary folder that tests fill with generated recordings.
#pragma once

#include "samplegen/SampleRecording.h"
#include "support/TestFolders.h"

#include <string>

namespace qor::test {

class CRecordingFolder : public CTempFolder {
public:
    // Writes a recording at a path relative to the folder, making sub-folders as needed; returns
    // its full path. A recording that cannot be written fails the test.
    std::string Write(const std::string& relative, const samplegen::CSampleCall& call = {}) const;
    // The same with a sound of the test's own, stored as A-law so it plays nearly as it is, the
    // duration the sound's whole seconds.
    std::string WriteSound(const std::string& relative, std::span<const std::int16_t> sound) const;
};

} // namespace qor::test

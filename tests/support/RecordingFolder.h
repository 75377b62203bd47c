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
};

} // namespace qor::test

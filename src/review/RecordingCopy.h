// Copies a recording into a folder under its own name, as a drop on a folder of the explorer
// does. A different call already there is never replaced unless the caller says so; the copy is
// whole or not there at all.
#pragma once

#include <string>

namespace qor {

enum class CRecordingCopy {
    Copied,
    AlreadyThere, // the folder holds this very call (the file itself, or the same bytes)
    NameTaken, // another file has the name; nothing was written
    OthersLink, // another user's link has the name: never written through, nor read to compare
    Failed, // errno says why
};

// The name the copy gets in the folder: the recording's base name followed by ".qor".
std::string CopyDestination(const std::string& recording, const std::string& folder);
CRecordingCopy CopyRecordingInto(const std::string& recording, const std::string& folder, bool replaceOther);

} // namespace qor

// Walks a search source for recording files: a folder (optionally with its sub-folders) or a
// single recording. Folders are read in name order so runs are repeatable; unreadable folders are
// skipped and folder links are not followed, so a link loop cannot trap the walk.
#pragma once

#include <functional>
#include <string>

namespace qor {

// Calls visit with each recording path; stops early when visit returns false. Returns false when
// it was stopped.
bool WalkRecordings(
    const std::string& source, bool includeSubFolders, const std::function<bool(const std::string& path)>& visit);

} // namespace qor

// Reads the details of many recordings named by path, several at once, as loading a list or the
// play history needs: each file is opened and read once.
#pragma once

#include "lists/FileListEntry.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace qor {

// Lets another thread follow a long load and stop it.
struct EntryLoadProgress {
    std::atomic<std::size_t> total{ 0 }; // files to read, once known
    std::atomic<std::size_t> read{ 0 }; // files read so far
    std::atomic<bool> stop{ false }; // once set, the files not yet read stay unread
};

// One entry per path, in the same order, its details loaded with passphrase; a null slot where no
// regular file is left at the path (or where progress asked to stop first).
std::vector<std::unique_ptr<CRvFileListEntry>> LoadEntries(
    const std::vector<std::string>& paths, const std::string& passphrase, EntryLoadProgress* progress = nullptr);

} // namespace qor

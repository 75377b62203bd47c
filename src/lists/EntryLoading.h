// Reads the details of many recordings named by path, several at once, as loading a list or the
// play history needs: each file is opened and read once.
#pragma once

#include "lists/FileListEntry.h"

#include <memory>
#include <string>
#include <vector>

namespace qor {

// One entry per path, in the same order, its details loaded with passphrase; a null slot where no
// regular file is left at the path.
std::vector<std::unique_ptr<CRvFileListEntry>> LoadEntries(
    const std::vector<std::string>& paths, const std::string& passphrase);

} // namespace qor

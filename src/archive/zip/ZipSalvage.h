// Finds what a ZIP file whose end was lost still holds (a job killed while adding to it, when its
// journal is not at hand, such as for another user): every entry whose local header and data are
// whole, from the start of the file, each inflated (or read) and checked against its CRC-32. The
// first that is not whole ends the search; nothing of the file is read as an entry after it.
#pragma once

#include "archive/zip/ZipRecords.h"

#include <cstdint>
#include <vector>

namespace qor {

struct CZipSalvage {
    std::vector<CZipEntryRecord> entries;
    std::uint64_t dataEnd = 0; // where the last whole entry ends
};

CZipSalvage SalvageZipEntries(int archive, std::uint64_t fileSize);

} // namespace qor

// Reads entries back from an archive on disk after it was written and flushed: through the file's
// own central directory, the local header and the inflated data, so a copy counts as safe only when
// what the disk holds decompresses to the CRC-32 and size computed from the original.
#pragma once

#include "archive/zip/ZipRecords.h"

#include <string>
#include <vector>

namespace qor {

// For each expected entry (name, CRC-32, uncompressed size and local header offset as written),
// whether the archive at path holds it intact.
std::vector<bool> VerifyZipEntries(const std::string& path, const std::vector<CZipEntryRecord>& expected);
// The same for the archive open on descriptor (flushed to disk).
std::vector<bool> VerifyZipEntries(int archive, const std::vector<CZipEntryRecord>& expected);

} // namespace qor

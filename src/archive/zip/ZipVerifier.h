// Reads entries back from an archive on disk after it was written and flushed: through the file's
// own central directory, the local header and the inflated data, so a copy counts as safe only when
// what the disk holds decompresses to the CRC-32 and size computed from the original; what it holds
// is then known by its digest. Also tells whether an entry holds exactly the bytes of a given file.
#pragma once

#include "archive/VerifiedCopy.h"
#include "archive/zip/ZipRecords.h"

#include <optional>
#include <string>
#include <vector>

namespace qor {

// For each expected entry (name, CRC-32, uncompressed size and local header offset as written),
// what the archive open on descriptor (flushed to disk) holds of it when intact.
std::vector<std::optional<CVerifiedCopy>> VerifyZipEntries(int archive, const std::vector<CZipEntryRecord>& expected);

// The same for the archive at path, as whether each is intact.
std::vector<bool> VerifyZipEntries(const std::string& path, const std::vector<CZipEntryRecord>& expected);

// Whether the deflated entry holds exactly the bytes of the file open on source.
bool ZipEntryHoldsFile(int archive, const CZipEntryRecord& entry, int source);

} // namespace qor

// Reads the central directory of an existing ZIP file, which may come from anywhere: every count,
// length and offset is checked against the file before it is used, and a directory that is not
// laid out exactly as the format says (so that appending would overwrite something) is refused.
#pragma once

#include "archive/zip/ZipRecords.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qor {

struct CZipDirectory {
    std::vector<CZipEntryRecord> entries;
    // Where the central directory starts, which is where the stored entries end.
    std::uint64_t directoryOffset = 0;
    // The central headers byte for byte, so an append writes them back exactly as they were.
    std::string rawHeaders;
    std::string comment;
};

// Fills into with size bytes of the file from offset; false when they cannot be read.
using ZipReadAtFunction = std::function<bool(std::uint64_t offset, char* into, std::size_t size)>;

// Reads the directory of a file of fileSize bytes. On failure, error says what is wrong in words
// a user can act on.
bool ReadZipDirectory(
    const ZipReadAtFunction& readAt, std::uint64_t fileSize, CZipDirectory& directory, std::string& error);

} // namespace qor

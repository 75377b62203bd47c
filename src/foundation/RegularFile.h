// Opening files that come from outside (recordings, lists, stores): only regular files are
// opened, and never in a way that waits, so a FIFO or device named like a recording cannot hang a
// search or a load. The one status query made on the open file also gives its times, so callers
// never ask the file system about the same file twice.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace qor {

struct CFileStatus {
    std::uint64_t size = 0;
    unsigned mode = 0; // permission bits
    // When the file was created: its birth time, or its modification time where the file system
    // keeps none.
    std::int64_t creationTime = 0;
};

// A descriptor open for reading (or reading and writing) on the regular file at path, or -1 with
// errno set; EINVAL for something that is not a regular file.
int OpenRegularFile(const std::string& path, bool forWriting = false, CFileStatus* status = nullptr);

// The same as a stream ("rb", or "r+b" for writing); null on failure.
std::FILE* OpenRegularFileStream(const std::string& path, bool forWriting = false, CFileStatus* status = nullptr);

} // namespace qor

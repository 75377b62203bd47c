// Opening files that come from outside (recordings, lists, stores): only regular files are
// opened, and never in a way that waits, so a FIFO or device named like a recording cannot hang a
// search or a load.
#pragma once

#include <cstdio>
#include <string>
#include <sys/stat.h>

namespace qor {

// A descriptor open for reading (or reading and writing) on the regular file at path, or -1 with
// errno set; EINVAL for something that is not a regular file. status, when given, receives the
// file's details from the open descriptor.
int OpenRegularFile(const std::string& path, bool forWriting = false, struct stat* status = nullptr);

// The same as a stream ("rb", or "r+b" for writing); null on failure.
std::FILE* OpenRegularFileStream(const std::string& path, bool forWriting = false, struct stat* status = nullptr);

} // namespace qor

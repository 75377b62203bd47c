// Replaces a file the program owns in one step: the new content goes to a temporary file in the
// same folder, which then takes the file's name, so a crash leaves either the old or the new file.
#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

namespace qor {

// Writes content to path atomically; the file gets the given permission bits (less the umask).
// Returns false, leaving any previous file untouched, when the content cannot be written in full.
bool WriteFileAtomically(const std::string& path, std::string_view content, mode_t mode = 0666);

// Reads a whole regular file; false when it cannot be opened or read, or is no regular file.
bool ReadWholeFile(const std::string& path, std::string& content);

} // namespace qor

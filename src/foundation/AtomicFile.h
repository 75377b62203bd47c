// Replaces a file the program owns in one step: the new content goes to a temporary file in the
// same folder, which then takes the file's name, so a crash leaves either the old or the new file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace qor {

// Writes content to path atomically. A symbolic link is followed and the file it names replaced,
// but only a link of ours or root's (in path's folders too): another user's link is never followed
// to write (errno EPERM), not even one swapped in while the file is written. A new file gets the
// given permission bits (less the umask); an existing one of ours or root's keeps its own, less the
// group and other bits when the given ones are private (no group or other bits). Returns false, leaving any previous
// file untouched, when the content cannot be written in full (and also when the folder cannot be flushed after the
// rename, so the new file may not survive a crash).
// With Keep, a file already at path is never replaced: false with errno EEXIST.
enum class CExistingFile { Replace, Keep };
bool WriteFileAtomically(const std::string& path, std::string_view content, mode_t mode = 0666,
    CExistingFile existingFile = CExistingFile::Replace);

// The process's umask, read without changing it (umask() would, for other threads meanwhile).
mode_t CurrentUmask();

// Reads a whole regular file; false when it cannot be opened or read, is no regular file, or is
// larger than maxBytes.
bool ReadWholeFile(const std::string& path, std::string& content, std::uint64_t maxBytes = UINT64_MAX);
// The same for a file that is to be sent or exported: never read through another user's link.
bool ReadTrustedFile(const std::string& path, std::string& content);

} // namespace qor

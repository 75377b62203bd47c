// Replaces a file the program owns in one step: the new content goes to a temporary file in the
// same folder, which then takes the file's name, so a crash leaves either the old or the new file.
#pragma once

#include <cstdint>
#include <optional>
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

// Writes a file the program keeps for itself (a store, a log, the schedule, the settings)
// atomically, as WriteFileAtomically does, with exactly the permission bits given whatever the
// umask and whatever the file had: 0600 for what is the user's alone, 0644 for what others read.
bool WriteOwnFile(const std::string& path, std::string_view content, mode_t mode);

// Who may read a copy of a call (an export, a copy into a folder): never more than may read the
// call itself.
struct CCallAccess {
    mode_t mode = 0600;
    std::optional<gid_t> group; // the call's group, which the copy's group bits are for
};

// The access a copy of the call at path may give: the call's own read and write bits in its group,
// or its owner's alone for a decrypted copy of an encrypted call (and when the call cannot be
// looked at).
CCallAccess AccessOfCall(const std::string& path, bool decrypted);

// Writes a copy of a call atomically, as WriteFileAtomically does, never more open than access
// allows: its bits less the umask, in the call's group (or with no group bits where the file cannot
// take that group, as in another group's setgid folder), whatever a file there had.
bool WriteCallCopy(const std::string& path, std::string_view content, const CCallAccess& access,
    CExistingFile existingFile = CExistingFile::Replace);

// The process's umask, read without changing it (umask() would, for other threads meanwhile).
mode_t CurrentUmask();

// Reads a whole regular file; false when it cannot be opened or read, is no regular file, or is
// larger than maxBytes.
bool ReadWholeFile(const std::string& path, std::string& content, std::uint64_t maxBytes = UINT64_MAX);
// The same for a file that is to be sent or exported: never read through another user's link.
bool ReadTrustedFile(const std::string& path, std::string& content);

} // namespace qor

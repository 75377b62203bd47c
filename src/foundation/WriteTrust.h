// What another user can write decides nothing about what the program writes or trusts, on the
// models of the kernel's protected_symlinks rule and ssh's StrictModes: a symbolic link is followed
// for writing only when it is ours or root's, and a configuration file in a folder that others can
// write is trusted only when it is ours or root's and nobody else can write it.
#pragma once

#include <string>
#include <sys/types.h>

namespace qor {

// Ours, or root's (the administrator's files and links are trusted as the system's own).
bool OwnedByUsOrRoot(uid_t owner);

// The file that path names once every link on the way (in its folders or at its end) is followed,
// each of them ours or root's. False with errno EPERM at a link of another user, or another error
// when a step cannot be looked at; a final name that does not exist yet is fine.
bool ResolveForWriting(const std::string& path, std::string& resolved);

// Whether a configuration file may be read: one in a folder that others can write must be a regular
// file of ours or root's that only its owner can write. A missing file is trusted (there is nothing
// to read); otherwise why says what is wrong.
bool TrustedConfiguration(const std::string& path, std::string& why);

} // namespace qor

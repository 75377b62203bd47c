// What another user can write decides nothing about what the program writes or trusts, on the
// models of the kernel's protected_symlinks rule and ssh's StrictModes: a symbolic link is followed
// for writing only when it is ours or root's, and a configuration file is trusted only when every
// folder on its way is ours or root's, and, in a folder that others can write, when it is ours or
// root's and nobody else can write it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace qor {

// Ours, or root's (the administrator's files and links are trusted as the system's own).
bool OwnedByUsOrRoot(uid_t owner);

// Whether the group is ours alone: named as we are, with no other member listed and no other
// account's primary group (the user private group that many systems give every user).
bool IsOurPrivateGroup(gid_t groupId);

enum class CConfigurationRead {
    Read,
    Missing, // nothing to read: the defaults hold
    Untrusted, // why says what is wrong
    Unreadable, // there, but it cannot be read whole (or is larger than allowed)
};

// Reads a configuration file through the folder it was checked in, so it cannot be swapped for
// another between the check and the read. With an owner (the office account, for the office job's
// files, which others only read), that account is trusted as we and root are, and the file must be
// one of the three's and writable by its owner alone wherever it lies.
CConfigurationRead ReadConfiguration(const std::string& path, std::string& content, std::string& why,
    std::uint64_t maxBytes = 64u << 20, std::optional<uid_t> owner = std::nullopt);

// The same for a file that decides where everybody's files go (branding): ours or root's, and
// writable by its owner alone wherever it lies.
CConfigurationRead ReadOwnerOnlyConfiguration(
    const std::string& path, std::string& content, std::string& why, std::uint64_t maxBytes);

// Whether a file of ours, or of an account we trust, may be taken as written by its owner alone:
// nobody else may write it (a group of ours alone is nobody else), by its mode or its ACL.
bool OnlyItsOwnerCanWrite(const struct stat& file, int descriptor);

// Whether a POSIX access ACL on the open file or folder (a path-only descriptor serves too) lets a
// named user or group other than us write it. With an ACL the mode's group bits show its mask, so
// they alone cannot tell whether a colleague may write.
bool AclLetsOthersWrite(int descriptor);

// Reads the open file to its end into content; false on a read error or beyond maxBytes.
bool ReadAll(int descriptor, std::string& content, std::uint64_t maxBytes);

} // namespace qor

#include "foundation/WriteTrust.h"

#include "foundation/TrustedFolder.h"

#include <cerrno>
#include <cstring>
#include <endian.h>
#include <fcntl.h>
#include <grp.h>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace qor {

bool ReadAll(int descriptor, std::string& content, std::uint64_t maxBytes)
{
    content.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t count = read(descriptor, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return false;
        if (count == 0)
            return true;
        content.append(buffer, static_cast<std::size_t>(count));
        if (content.size() > maxBytes)
            return false;
    }
}

bool OwnedByUsOrRoot(uid_t owner)
{
    return owner == geteuid() || owner == 0;
}

bool IsOurPrivateGroup(gid_t groupId)
{
    const passwd* account = getpwuid(geteuid());
    if (!account)
        return false;
    const std::string user = account->pw_name;
    const struct group* entry = getgrgid(groupId);
    if (!entry || user != entry->gr_name)
        return false;
    for (char** member = entry->gr_mem; member && *member; ++member)
        if (user != *member)
            return false;
    // Nor the primary group of any other account: those are members the group file does not list.
    static std::mutex accounts;
    std::lock_guard guard(accounts);
    bool alone = true;
    setpwent();
    while (const passwd* other = getpwent())
        if (other->pw_gid == groupId && user != other->pw_name)
            alone = false;
    endpwent();
    return alone;
}

bool OnlyItsOwnerCanWrite(const struct stat& file, int descriptor)
{
    if ((file.st_mode & S_IWOTH) != 0)
        return false;
    const bool byMode = (file.st_mode & S_IWGRP) == 0 || (file.st_uid == geteuid() && IsOurPrivateGroup(file.st_gid));
    return byMode && !AclLetsOthersWrite(descriptor);
}

bool AclLetsOthersWrite(int descriptor)
{
    // The kernel's form of an access ACL: a 4-byte version, then 8-byte entries of tag, permissions
    // and id, little-endian.
    constexpr std::uint16_t kNamedUser = 0x02, kNamedGroup = 0x08, kMask = 0x10, kWrite = 0x02;
    const std::string self = "/proc/self/fd/" + std::to_string(descriptor);
    const ssize_t needed = getxattr(self.c_str(), "system.posix_acl_access", nullptr, 0);
    if (needed <= 0)
        return false; // no ACL: the mode says it all
    std::vector<unsigned char> acl(static_cast<std::size_t>(needed));
    const ssize_t size = getxattr(self.c_str(), "system.posix_acl_access", acl.data(), acl.size());
    if (size < 0)
        return true; // changed meanwhile: taken as open to others
    bool maskLetsWrite = true;
    bool namedMayWrite = false;
    for (ssize_t at = 4; at + 8 <= size; at += 8) {
        std::uint16_t tag = 0, permissions = 0;
        std::uint32_t id = 0;
        std::memcpy(&tag, &acl[at], 2);
        std::memcpy(&permissions, &acl[at + 2], 2);
        std::memcpy(&id, &acl[at + 4], 4);
        tag = le16toh(tag);
        permissions = le16toh(permissions);
        id = le32toh(id);
        if (tag == kMask)
            maskLetsWrite = (permissions & kWrite) != 0;
        else if ((permissions & kWrite) != 0
            && ((tag == kNamedUser && id != geteuid()) || (tag == kNamedGroup && !IsOurPrivateGroup(id))))
            namedMayWrite = true;
    }
    return namedMayWrite && maskLetsWrite;
}

namespace {

// How strictly a configuration file is read: an owner's account trusted besides us and root, and
// whether it must be writable by its owner alone wherever it lies.
struct CReadRule {
    std::optional<uid_t> owner; // the office account, for the office job's files
    bool ownerAlone = false;
};

CConfigurationRead ReadUnder(
    const std::string& path, std::string& content, std::string& why, std::uint64_t maxBytes, const CReadRule& rule)
{
    const std::optional<uid_t>& owner = rule.owner;
    const uid_t alsoTrusted = owner.value_or(0);
    const auto trusted = [alsoTrusted](uid_t uid) { return OwnedByUsOrRoot(uid) || uid == alsoTrusted; };
    CFolderHandle folder;
    std::string name;
    if (!OpenParentForWriting(path, folder, name, CFolderWay{ .ownFoldersOnly = true, .alsoTrusted = alsoTrusted })) {
        if (errno == ENOENT)
            return CConfigurationRead::Missing;
        why = errno == EACCES ? "a folder on its way belongs to another user, or others can change it (group or "
                                "world writable without the sticky bit)"
            : errno == EPERM  ? "it is reached through another user's link"
                              : std::string("its folder cannot be opened (") + std::strerror(errno) + ")";
        return errno == EACCES || errno == EPERM ? CConfigurationRead::Untrusted : CConfigurationRead::Unreadable;
    }
    const int descriptor
        = openat(folder.Descriptor(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        if (errno == ENOENT)
            return CConfigurationRead::Missing;
        why = errno == ELOOP ? "it is another user's link" : std::string(std::strerror(errno));
        return errno == ELOOP ? CConfigurationRead::Untrusted : CConfigurationRead::Unreadable;
    }
    struct stat file { };
    CConfigurationRead result = CConfigurationRead::Read;
    if (fstat(descriptor, &file) != 0 || !S_ISREG(file.st_mode)) {
        why = "it is not a regular file";
        result = CConfigurationRead::Untrusted;
    } else if (!trusted(file.st_uid)) {
        // Even in a folder of ours: he may have put it there before we closed the folder.
        why = owner ? "it belongs to another user than the office account" : "it belongs to another user";
        result = CConfigurationRead::Untrusted;
    } else if ((folder.OthersCanWrite() || rule.ownerAlone) && !OnlyItsOwnerCanWrite(file, descriptor)) {
        why = rule.ownerAlone ? "others than its owner can write it"
                              : "others can write it, in a folder others can write";
        result = CConfigurationRead::Untrusted;
    } else if (!ReadAll(descriptor, content, maxBytes)) {
        result = CConfigurationRead::Unreadable;
    }
    close(descriptor);
    return result;
}

} // namespace

CConfigurationRead ReadConfiguration(
    const std::string& path, std::string& content, std::string& why, std::uint64_t maxBytes, std::optional<uid_t> owner)
{
    return ReadUnder(path, content, why, maxBytes, CReadRule{ owner, owner.has_value() });
}

CConfigurationRead ReadOwnerOnlyConfiguration(
    const std::string& path, std::string& content, std::string& why, std::uint64_t maxBytes)
{
    return ReadUnder(path, content, why, maxBytes, CReadRule{ std::nullopt, true });
}

} // namespace qor

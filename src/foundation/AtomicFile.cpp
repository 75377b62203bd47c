#include "foundation/AtomicFile.h"

#include "foundation/RegularFile.h"
#include "foundation/TrustedFolder.h"
#include "foundation/WriteTrust.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

bool WriteAll(int descriptor, std::string_view content)
{
    while (!content.empty()) {
        const ssize_t written = write(descriptor, content.data(), content.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Beside the file, named after it, and short enough for any name the file system takes.
std::string TemporaryName(const std::string& name)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::string suffix = ".";
    for (int index = 0; index < 6; ++index)
        suffix += letters[random() % (sizeof letters - 1)];
    return name.substr(0, 240) + suffix;
}

// Reads the stream to its end and closes it.
bool ReadStream(std::FILE* file, std::string& content)
{
    content.clear();
    char buffer[65536];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        content.append(buffer, count);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed;
}

// Gives a file opened with O_TMPFILE a temporary name in the folder; false (the file stays
// unnamed, and goes when closed) when none could be given.
bool LinkUnnamed(int descriptor, int folder, const std::string& name, std::string& temporary)
{
    const std::string self = "/proc/self/fd/" + std::to_string(descriptor);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = TemporaryName(name);
        if (linkat(AT_FDCWD, self.c_str(), folder, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temporary = candidate;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// Writes the content into a new file in the folder, which ends up under a temporary name (given
// back in temporary); false, with nothing left behind, when it cannot. An unnamed file is made
// with O_TMPFILE and linked in once written; owner, when given, is the file the new one replaces.
bool WriteTemporary(int folder, const std::string& name, std::string_view content, mode_t permissions,
    const struct stat* owner, std::optional<gid_t> group, bool unnamed, std::string& temporary)
{
    temporary.clear();
    int descriptor = unnamed ? openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600) : -1;
    for (int attempt = 0; !unnamed && descriptor < 0 && attempt < 100; ++attempt) {
        temporary = TemporaryName(name);
        descriptor = openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (descriptor < 0 && errno != EEXIST)
            break;
    }
    if (descriptor < 0) {
        temporary.clear();
        return false;
    }
    if (owner) {
        // Not permitted for root's file when we are not root: the copy is then ours.
        [[maybe_unused]] const int owned = fchown(descriptor, owner->st_uid, owner->st_gid);
    }
    // Group bits are for the group asked for, and for no other a folder's setgid bit gives.
    struct stat made { };
    if (group && (permissions & 070) != 0 && fstat(descriptor, &made) == 0 && made.st_gid != *group
        && fchown(descriptor, static_cast<uid_t>(-1), *group) != 0)
        permissions &= ~static_cast<mode_t>(070);
    bool written = fchmod(descriptor, permissions) == 0 && WriteAll(descriptor, content) && fsync(descriptor) == 0;
    if (written && unnamed)
        written = LinkUnnamed(descriptor, folder, name, temporary);
    int error = errno;
    const bool closed = close(descriptor) == 0;
    if (written && !closed)
        error = errno;
    if ((!written || !closed) && !temporary.empty()) {
        unlinkat(folder, temporary.c_str(), 0);
        temporary.clear();
    }
    errno = error;
    return written && closed;
}

} // namespace

// Read without umask(), which would change the process's mask for other threads meanwhile.
mode_t CurrentUmask()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    unsigned mask = 022;
    if (!status)
        return mask;
    char line[256];
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "Umask: %o", &mask) == 1)
            break;
    std::fclose(status);
    return static_cast<mode_t>(mask);
}

namespace {

enum class CModeChoice { Inherit, Exactly };

bool WriteReplacing(const std::string& path, std::string_view content, mode_t mode, CExistingFile existingFile,
    CModeChoice choice, std::optional<gid_t> group = std::nullopt)
{
    CFolderHandle folder;
    std::string name;
    if (!OpenParentForWriting(path, folder, name))
        return false;
    const int at = folder.Descriptor();
    // An existing file of ours keeps its permissions and owner; a file that is meant to be private
    // never becomes readable by others. Another user's file lends the new one nothing: its
    // permissions were his choice, and he could then change what we wrote.
    struct stat existing { };
    const bool exists = fstatat(at, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (exists && existingFile == CExistingFile::Keep) {
        errno = EEXIST;
        return false;
    }
    // A FIFO, a device or a folder at the name is no file to replace: /dev/full stays a device.
    if (exists && !S_ISREG(existing.st_mode)) {
        errno = S_ISDIR(existing.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    const bool inherit = choice == CModeChoice::Inherit && exists && OwnedByUsOrRoot(existing.st_uid);
    mode_t permissions = choice == CModeChoice::Exactly ? mode : mode & ~CurrentUmask();
    if (inherit) {
        permissions = existing.st_mode & 07777;
        if ((mode & 077) == 0)
            permissions &= 07700;
    }
    // Written into a file without a name first, which a kill leaves nowhere: it gets a name only
    // for the moment between linking it in and renaming it over the target. Where the file system
    // (or a missing /proc) allows no such file, a named temporary file takes its place.
    const struct stat* owner = inherit ? &existing : nullptr;
    std::string temporary;
    bool written = WriteTemporary(at, name, content, permissions, owner, group, true, temporary);
    if (!written && errno != ENOSPC && errno != EDQUOT && errno != EIO)
        written = WriteTemporary(at, name, content, permissions, owner, group, false, temporary);
    if (!written)
        return false;
    // Keeping what is there is decided by the rename itself, so no file made meanwhile is lost.
    const unsigned flags = existingFile == CExistingFile::Keep ? RENAME_NOREPLACE : 0;
    if (renameat2(at, temporary.c_str(), at, name.c_str(), flags) != 0) {
        const int error = errno;
        unlinkat(at, temporary.c_str(), 0);
        errno = error;
        return false;
    }
    // The rename itself survives a crash only once the folder is on disk too.
    return folder.Sync() == 0;
}

} // namespace

bool WriteFileAtomically(const std::string& path, std::string_view content, mode_t mode, CExistingFile existingFile)
{
    return WriteReplacing(path, content, mode, existingFile, CModeChoice::Inherit);
}

bool WriteOwnFile(const std::string& path, std::string_view content, mode_t mode)
{
    return WriteReplacing(path, content, mode, CExistingFile::Replace, CModeChoice::Exactly);
}

CCallAccess AccessOfCall(const std::string& path, bool decrypted)
{
    struct stat call { };
    if (decrypted || stat(path.c_str(), &call) != 0)
        return {};
    return { static_cast<mode_t>(call.st_mode & 0666), call.st_gid };
}

bool WriteCallCopy(
    const std::string& path, std::string_view content, const CCallAccess& access, CExistingFile existingFile)
{
    return WriteReplacing(
        path, content, access.mode & ~CurrentUmask(), existingFile, CModeChoice::Exactly, access.group);
}

bool ReadWholeFile(const std::string& path, std::string& content, std::uint64_t maxBytes)
{
    CFileStatus status;
    std::FILE* file = OpenRegularFileStream(path, false, &status);
    if (!file)
        return false;
    if (status.size > maxBytes) {
        std::fclose(file);
        return false;
    }
    return ReadStream(file, content);
}

bool ReadTrustedFile(const std::string& path, std::string& content)
{
    const int descriptor = OpenTrustedFile(path);
    std::FILE* file = descriptor < 0 ? nullptr : fdopen(descriptor, "rb");
    if (!file) {
        if (descriptor >= 0)
            close(descriptor);
        return false;
    }
    return ReadStream(file, content);
}

} // namespace qor

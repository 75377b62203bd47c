#include "archive/PartialFile.h"

#include "foundation/FileLock.h"
#include "foundation/FolderSync.h"
#include "foundation/Logger.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <openssl/evp.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

constexpr const char* kPrefix = ".qor-";
constexpr const char* kSuffix = ".partial";
constexpr int kAttempts = 20;

std::string Hex(const unsigned char* bytes, std::size_t count)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t index = 0; index < count; ++index) {
        text += digits[bytes[index] >> 4];
        text += digits[bytes[index] & 0x0F];
    }
    return text;
}

// A short name whatever the final name's length, so it never passes the file system's limit.
std::string SharedKey(std::string_view finalName)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned length = 0;
    if (EVP_Digest(finalName.data(), finalName.size(), digest, &length, EVP_sha256(), nullptr) != 1)
        length = 0;
    return Hex(digest, std::min(length, 8u));
}

std::string RandomKey()
{
    std::random_device device;
    unsigned char bytes[8];
    for (unsigned char& byte : bytes)
        byte = static_cast<unsigned char>(device());
    return Hex(bytes, sizeof bytes);
}

bool IsPartialName(const std::string& name)
{
    return name.starts_with(kPrefix) && name.ends_with(kSuffix);
}

// Opens what is at path when it is a partial file of ours that no job holds, locked, and still
// the file at path: then it may be removed. -1 with errno EBUSY (held), EEXIST (not ours to remove)
// or another error.
int OpenLeftover(const std::string& path)
{
    const int descriptor = open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        if (errno == ELOOP || errno == EACCES || errno == EPERM || errno == ENXIO || errno == EISDIR)
            errno = EEXIST;
        return -1;
    }
    struct stat status { };
    int error = 0;
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != geteuid())
        error = EEXIST;
    else if (!TryLockForWriting(descriptor))
        error = EBUSY;
    else if (CFileIdentity now; !IdentityOfPath(path, now) || !(now == IdentityOf(descriptor)))
        error = EAGAIN; // replaced meanwhile: look again
    if (error != 0) {
        close(descriptor);
        errno = error;
        return -1;
    }
    return descriptor;
}

int RenameWithoutReplacing(const std::string& from, const std::string& to)
{
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the flag: a hard link is made only where no name is, just as safely.
    if (link(from.c_str(), to.c_str()) != 0)
        return errno == EPERM ? ENOTSUP : errno;
    unlink(from.c_str());
    return 0;
}

} // namespace

CPartialFile::~CPartialFile()
{
    Close();
}

int CPartialFile::Create(const std::string& finalPath, bool sharedName, mode_t mode)
{
    Close();
    const std::string folder = FolderOf(finalPath);
    const std::string prefix = (folder == "/" ? std::string() : folder) + "/" + kPrefix;
    if (sharedName)
        return CreateNamed(prefix + SharedKey(FileNameOf(finalPath)) + kSuffix, mode);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const int result = CreateNamed(prefix + RandomKey() + kSuffix, mode);
        if (result != EBUSY && result != EEXIST)
            return result;
    }
    return EEXIST;
}

int CPartialFile::CreateNamed(const std::string& path, mode_t mode)
{
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (descriptor >= 0) {
            // Between creating and locking, another job may have taken the new file for a
            // leftover and removed it: only a locked file still under its name is ours.
            CFileIdentity named;
            const bool held = TryLockForWriting(descriptor);
            if (!held || !IdentityOfPath(path, named) || !(named == IdentityOf(descriptor))) {
                close(descriptor);
                if (!held)
                    return EBUSY;
                continue;
            }
            m_path = path;
            m_descriptor = descriptor;
            m_committed = false;
            return 0;
        }
        if (errno != EEXIST)
            return errno;
        const int leftover = OpenLeftover(path);
        if (leftover < 0) {
            if (errno == EAGAIN || errno == ENOENT)
                continue;
            return errno;
        }
        QOR_LOG("Archiver: Removed %s, left by an interrupted run\r\n", path.c_str());
        unlink(path.c_str());
        close(leftover);
    }
    return EBUSY;
}

int CPartialFile::CommitAs(const std::string& finalPath)
{
    if (m_descriptor < 0)
        return EBADF;
    if (const int renamed = RenameWithoutReplacing(m_path, finalPath); renamed != 0)
        return renamed;
    m_committed = true;
    return SyncFolderOf(finalPath);
}

int CPartialFile::Replace(
    const std::string& finalPath, const CFileIdentity& expected, const std::function<bool()>& stillWanted)
{
    if (m_descriptor < 0)
        return EBADF;
    // Exchanging the two names and looking at what came out is one step that cannot replace a
    // file that took the final name meanwhile: such a file is simply exchanged back.
    if (renameat2(AT_FDCWD, m_path.c_str(), AT_FDCWD, finalPath.c_str(), RENAME_EXCHANGE) == 0) {
        CFileIdentity displaced;
        const bool expectedOne = IdentityOfPath(m_path, displaced) && displaced == expected;
        if (!expectedOne || (stillWanted && !stillWanted())) {
            renameat2(AT_FDCWD, m_path.c_str(), AT_FDCWD, finalPath.c_str(), RENAME_EXCHANGE);
            return expectedOne ? EAGAIN : EBUSY;
        }
        unlink(m_path.c_str());
    } else {
        if (errno != EINVAL && errno != ENOSYS)
            return errno;
        CFileIdentity current;
        if (!IdentityOfPath(finalPath, current) || !(current == expected))
            return EBUSY;
        if (std::rename(m_path.c_str(), finalPath.c_str()) != 0)
            return errno;
    }
    m_committed = true;
    return SyncFolderOf(finalPath);
}

void CPartialFile::Close()
{
    if (m_descriptor < 0)
        return;
    // Removed while still locked, so no other job can take it for a leftover of its own meanwhile.
    if (!m_committed)
        unlink(m_path.c_str());
    close(m_descriptor);
    m_descriptor = -1;
    m_path.clear();
}

void RemoveStalePartials(const std::string& folder)
{
    DIR* directory = opendir(folder.c_str());
    if (!directory)
        return;
    const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
    while (const dirent* item = readdir(directory)) {
        const std::string name = item->d_name;
        if (!IsPartialName(name))
            continue;
        const int leftover = OpenLeftover(prefix + name);
        if (leftover < 0)
            continue;
        QOR_LOG("Archiver: Removed %s, left by an interrupted run\r\n", (prefix + name).c_str());
        unlink((prefix + name).c_str());
        close(leftover);
    }
    closedir(directory);
}

} // namespace qor

#include "archive/PartialFile.h"

#include "foundation/AtomicFile.h"
#include "foundation/FileLock.h"
#include "foundation/Logger.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
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

// Opens the file name in folder when it is a partial file of ours that no job holds, locked, and
// still the file under that name: then it may be removed. -1 with errno EBUSY (held), EEXIST (not
// ours to remove) or another error.
int OpenLeftover(int folder, const std::string& name)
{
    const int descriptor = openat(folder, name.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
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
    else if (CFileIdentity now; !IdentityAt(folder, name, now) || !(now == IdentityOf(descriptor)))
        error = EAGAIN; // replaced meanwhile: look again
    if (error != 0) {
        close(descriptor);
        errno = error;
        return -1;
    }
    return descriptor;
}

int RenameWithoutReplacing(int folder, const std::string& from, const std::string& to)
{
    if (renameat2(folder, from.c_str(), folder, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the flag: a hard link is made only where no name is, just as safely.
    if (linkat(folder, from.c_str(), folder, to.c_str(), 0) != 0)
        return errno == EPERM ? ENOTSUP : errno;
    unlinkat(folder, from.c_str(), 0);
    return 0;
}

} // namespace

CPartialFile::~CPartialFile()
{
    Close();
}

int CPartialFile::Create(const CFolderHandle& folder, const std::string& finalName, bool claimName, mode_t mode)
{
    Close();
    m_folder = folder.Duplicate();
    if (!m_folder.IsOpen())
        return errno;
    // Without a private folder to claim it in, identities still keep two jobs from writing over each
    // other (the second one fails); the claim only makes it wait its turn instead.
    if (claimName)
        if (const int claimed = m_claim.Take(m_folder, finalName); claimed == EBUSY)
            return claimed;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const int result = CreateNamed(kPrefix + RandomKey() + kSuffix, mode);
        if (result != EBUSY && result != EEXIST)
            return ClaimedOnSuccess(result);
    }
    m_claim.Release();
    return EEXIST;
}

int CPartialFile::ClaimedOnSuccess(int result)
{
    // A claim without its partial file would keep other jobs of ours out for nothing.
    if (result != 0)
        m_claim.Release();
    return result;
}

int CPartialFile::CreateNamed(const std::string& name, mode_t mode)
{
    const int at = m_folder.Descriptor();
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        // Private while it is written: a file others could open now, they could keep open to read
        // or empty after the originals are deleted. It takes its mode when it is finished.
        const int descriptor = openat(at, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (descriptor >= 0) {
            // Between creating and locking, another job may have taken the new file for a
            // leftover and removed it: only a locked file still under its name is ours.
            CFileIdentity named;
            const bool held = TryLockForWriting(descriptor);
            if (!held || !IdentityAt(at, name, named) || !(named == IdentityOf(descriptor))) {
                close(descriptor);
                if (!held)
                    return EBUSY;
                continue;
            }
            m_name = name;
            m_requestedMode = mode & ~CurrentUmask() & 0777;
            m_descriptor = descriptor;
            m_committed = false;
            return 0;
        }
        if (errno != EEXIST)
            return errno;
        const int leftover = OpenLeftover(at, name);
        if (leftover < 0) {
            if (errno == EAGAIN || errno == ENOENT)
                continue;
            return errno;
        }
        QOR_LOG("Archiver: Removed %s, left by an interrupted run\r\n", m_folder.PathOf(name).c_str());
        unlinkat(at, name.c_str(), 0);
        close(leftover);
    }
    return EBUSY;
}

int CPartialFile::CommitAs(const std::string& finalName)
{
    if (m_descriptor < 0)
        return EBADF;
    if (const int renamed = RenameWithoutReplacing(m_folder.Descriptor(), m_name, finalName); renamed != 0)
        return renamed;
    m_committed = true;
    return m_folder.Sync();
}

int CPartialFile::Replace(
    const std::string& finalName, const CFileIdentity& expected, const std::function<bool()>& stillWanted)
{
    if (m_descriptor < 0)
        return EBADF;
    const int at = m_folder.Descriptor();
    // Exchanging the two names and looking at what came out is one step that cannot replace a
    // file that took the final name meanwhile: such a file is simply exchanged back.
    if (renameat2(at, m_name.c_str(), at, finalName.c_str(), RENAME_EXCHANGE) == 0) {
        CFileIdentity displaced;
        const bool expectedOne = IdentityAt(at, m_name, displaced) && displaced == expected;
        if (!expectedOne || (stillWanted && !stillWanted())) {
            renameat2(at, m_name.c_str(), at, finalName.c_str(), RENAME_EXCHANGE);
            return expectedOne ? EAGAIN : EBUSY;
        }
        unlinkat(at, m_name.c_str(), 0);
    } else {
        if (errno != EINVAL && errno != ENOSYS)
            return errno;
        CFileIdentity current;
        if (!IdentityAt(at, finalName, current) || !(current == expected))
            return EBUSY;
        if (renameat(at, m_name.c_str(), at, finalName.c_str()) != 0)
            return errno;
    }
    m_committed = true;
    return m_folder.Sync();
}

void CPartialFile::Close()
{
    if (m_descriptor < 0)
        return;
    // Removed while still locked, so no other job can take it for a leftover of its own meanwhile.
    if (!m_committed)
        unlinkat(m_folder.Descriptor(), m_name.c_str(), 0);
    close(m_descriptor);
    m_descriptor = -1;
    m_name.clear();
    m_claim.Release();
}

void RemoveStalePartials(const CFolderHandle& folder)
{
    const int listing = openat(folder.Descriptor(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* directory = listing < 0 ? nullptr : fdopendir(listing);
    if (!directory) {
        if (listing >= 0)
            close(listing);
        return;
    }
    while (const dirent* item = readdir(directory)) {
        const std::string name = item->d_name;
        if (!IsPartialName(name))
            continue;
        const int leftover = OpenLeftover(folder.Descriptor(), name);
        if (leftover < 0)
            continue;
        QOR_LOG("Archiver: Removed %s, left by an interrupted run\r\n", folder.PathOf(name).c_str());
        unlinkat(folder.Descriptor(), name.c_str(), 0);
        close(leftover);
    }
    closedir(directory);
}

} // namespace qor

#include "foundation/FileLock.h"

#include "foundation/FileIdentity.h"
#include "foundation/WriteTrust.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace qor {
namespace {

constexpr std::chrono::milliseconds kPollInterval{ 10 };

} // namespace

bool TryLockForWriting(int descriptor)
{
    struct flock whole { };
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    int result = -1;
    do
        result = fcntl(descriptor, F_OFD_SETLK, &whole);
    while (result != 0 && errno == EINTR);
    return result == 0;
}

namespace {

// Polled rather than waited for, so that a holder that hangs costs a bounded wait. With
// despiteReaders, a read lock held by another is no obstacle (see LockForWritingDespiteReaders).
bool PollForWriteLock(int descriptor, std::chrono::milliseconds patience, bool despiteReaders)
{
    const auto giveUp = std::chrono::steady_clock::now() + patience;
    for (;;) {
        if (TryLockForWriting(descriptor))
            return true;
        if (errno != EAGAIN && errno != EACCES)
            return false;
        struct flock held { };
        held.l_type = F_WRLCK;
        held.l_whence = SEEK_SET;
        if (despiteReaders && fcntl(descriptor, F_OFD_GETLK, &held) == 0 && held.l_type == F_RDLCK)
            return true;
        if (std::chrono::steady_clock::now() >= giveUp)
            return false;
        std::this_thread::sleep_for(kPollInterval);
    }
}

} // namespace

bool LockForWriting(int descriptor, std::chrono::milliseconds patience)
{
    return PollForWriteLock(descriptor, patience, false);
}

bool LockForWritingDespiteReaders(int descriptor, std::chrono::milliseconds patience)
{
    return PollForWriteLock(descriptor, patience, true);
}

int OpenLockedForWriting(const std::string& path, std::chrono::milliseconds patience, struct stat* status)
{
    const int descriptor = open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return -1;
    struct stat details { };
    int error = 0;
    if (fstat(descriptor, &details) != 0)
        error = errno;
    else if (!S_ISREG(details.st_mode))
        error = EINVAL;
    else if (!(patience.count() > 0 ? LockForWriting(descriptor, patience) : TryLockForWriting(descriptor)))
        error = EBUSY;
    if (error != 0) {
        close(descriptor);
        errno = error;
        return -1;
    }
    if (status)
        *status = details;
    return descriptor;
}

CLockFile::CLockFile(std::string sharedFile)
    : m_path(std::move(sharedFile) + ".lock")
{
}

CLockFile::~CLockFile()
{
    if (m_descriptor >= 0)
        close(m_descriptor);
}

bool CLockFile::Lock(std::chrono::milliseconds patience)
{
    constexpr int kAttempts = 20;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (m_descriptor < 0) {
            m_descriptor = open(m_path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
            m_openError = m_descriptor < 0 ? errno : 0;
        }
        if (m_descriptor < 0 || !LockForWriting(m_descriptor, patience))
            return false;
        // A holder before us may have put a lock file of its own in this one's place: only a lock
        // on the file under the name counts.
        if (CFileIdentity named; IdentityOfPath(m_path, named) && named == IdentityOf(m_descriptor))
            break;
        close(m_descriptor);
        m_descriptor = -1;
        if (attempt + 1 == kAttempts)
            return false;
    }
    // A lock file of ours that others could open for writing, they may still hold open whatever
    // its mode is now: a private one takes its place, locked before it takes the name.
    struct stat status { };
    if (fstat(m_descriptor, &status) == 0 && status.st_uid == geteuid() && OthersCanHold())
        TakePrivateFile();
    const std::string holder
        = std::to_string(getpid()) + " " + std::to_string(static_cast<long long>(std::time(nullptr))) + "\n";
    if (ftruncate(m_descriptor, 0) == 0 && pwrite(m_descriptor, holder.data(), holder.size(), 0) < 0)
        errno = 0; // the note only helps to name a holder; the lock is what counts
    return true;
}

void CLockFile::TakePrivateFile()
{
    const std::string fresh = m_path + ".new-" + std::to_string(getpid());
    const int descriptor = open(fresh.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return;
    if (fchmod(descriptor, 0600) != 0 || !TryLockForWriting(descriptor) || rename(fresh.c_str(), m_path.c_str()) != 0) {
        unlink(fresh.c_str());
        close(descriptor);
        return;
    }
    close(m_descriptor);
    m_descriptor = descriptor;
}

bool CLockFile::OthersCanHold() const
{
    struct stat status { };
    if (m_descriptor < 0 || fstat(m_descriptor, &status) != 0)
        return false;
    if (status.st_uid != geteuid())
        return status.st_uid != 0 || (status.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    return (status.st_mode & S_IWOTH) != 0 || ((status.st_mode & S_IWGRP) != 0 && !IsOurPrivateGroup(status.st_gid));
}

std::int64_t CLockFile::HeldSince() const
{
    char text[64] = {};
    if (m_descriptor < 0 || pread(m_descriptor, text, sizeof text - 1, 0) < 0)
        return 0;
    long long process = 0, since = 0;
    if (std::sscanf(text, "%lld %lld", &process, &since) == 2)
        return since;
    // A holder that wrote nothing (another user's, or an earlier version): the file's time.
    struct stat status { };
    return fstat(m_descriptor, &status) == 0 ? static_cast<std::int64_t>(status.st_mtime) : 0;
}

std::string CLockFile::Problem() const
{
    if (m_descriptor < 0)
        return m_path + " cannot be used as a lock (" + std::strerror(m_openError) + ")";
    std::string text = m_path + " is held by another program";
    if (OthersCanHold()) {
        struct stat status { };
        fstat(m_descriptor, &status);
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(status.st_mode & 07777));
        const passwd* owner = getpwuid(status.st_uid);
        text += ", and other users can open it for writing (mode " + std::string(mode) + ", owner "
            + (owner ? std::string(owner->pw_name) : std::to_string(status.st_uid))
            + "), so any of them may be holding it";
    }
    if (const std::int64_t since = HeldSince(); since > 0) {
        char when[64];
        const auto time = static_cast<std::time_t>(since);
        std::tm local{};
        localtime_r(&time, &local);
        std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &local);
        text += std::string(" (since ") + when + ")";
    }
    return text;
}

} // namespace qor

#include "foundation/FileLock.h"

#include <cerrno>
#include <fcntl.h>
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

bool LockForWriting(int descriptor, std::chrono::milliseconds patience)
{
    // Polled rather than waited for, so that a holder that hangs costs a bounded wait.
    const auto giveUp = std::chrono::steady_clock::now() + patience;
    for (;;) {
        if (TryLockForWriting(descriptor))
            return true;
        if (errno != EAGAIN && errno != EACCES)
            return false;
        if (std::chrono::steady_clock::now() >= giveUp)
            return false;
        std::this_thread::sleep_for(kPollInterval);
    }
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
    if (m_descriptor < 0)
        m_descriptor = open(m_path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    return m_descriptor >= 0 && LockForWriting(m_descriptor, patience);
}

} // namespace qor

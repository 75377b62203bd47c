#include "foundation/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {

int OpenRegularFile(const std::string& path, bool forWriting, CFileStatus* status)
{
    // Non-blocking, so opening a FIFO returns at once instead of waiting for a writer.
    const int flags = (forWriting ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int descriptor = -1;
    do
        descriptor = open(path.c_str(), flags);
    while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0)
        return -1;
    struct statx details { };
    const bool known
        = statx(descriptor, "", AT_EMPTY_PATH, STATX_TYPE | STATX_SIZE | STATX_BTIME | STATX_MTIME, &details) == 0;
    if (!known || !S_ISREG(details.stx_mode)) {
        const int error = known ? EINVAL : errno;
        close(descriptor);
        errno = error;
        return -1;
    }
    // O_NONBLOCK stays: it changes nothing for a regular file, and clearing it would cost two calls
    // per file in a search.
    if (status) {
        status->size = details.stx_size;
        status->mode = details.stx_mode & 07777u;
        status->creationTime = (details.stx_mask & STATX_BTIME) ? details.stx_btime.tv_sec : details.stx_mtime.tv_sec;
    }
    return descriptor;
}

std::FILE* OpenRegularFileStream(const std::string& path, bool forWriting, CFileStatus* status)
{
    const int descriptor = OpenRegularFile(path, forWriting, status);
    if (descriptor < 0)
        return nullptr;
    std::FILE* stream = fdopen(descriptor, forWriting ? "r+b" : "rb");
    if (!stream)
        close(descriptor);
    return stream;
}

} // namespace qor

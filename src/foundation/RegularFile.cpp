#include "foundation/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace qor {

int OpenRegularFile(const std::string& path, bool forWriting, struct stat* status)
{
    // Non-blocking, so opening a FIFO returns at once instead of waiting for a writer.
    const int flags = (forWriting ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int descriptor = -1;
    do
        descriptor = open(path.c_str(), flags);
    while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0)
        return -1;
    struct stat details { };
    if (fstat(descriptor, &details) != 0 || !S_ISREG(details.st_mode)) {
        const int error = S_ISREG(details.st_mode) ? errno : EINVAL;
        close(descriptor);
        errno = error;
        return -1;
    }
    fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    if (status)
        *status = details;
    return descriptor;
}

std::FILE* OpenRegularFileStream(const std::string& path, bool forWriting, struct stat* status)
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

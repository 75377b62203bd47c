#include "archive/zip/ZipFileIo.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace qor {

bool WriteAllAt(int descriptor, std::string_view bytes, std::uint64_t offset)
{
    while (!bytes.empty()) {
        const ssize_t written = pwrite(descriptor, bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += static_cast<std::uint64_t>(written);
    }
    return true;
}

bool ReadAllAt(int descriptor, char* into, std::size_t size, std::uint64_t offset)
{
    while (size > 0) {
        const ssize_t count = pread(descriptor, into, size, static_cast<off_t>(offset));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        into += count;
        size -= static_cast<std::size_t>(count);
        offset += static_cast<std::uint64_t>(count);
    }
    return true;
}

} // namespace qor

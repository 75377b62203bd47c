#include "archive/VerifiedCopy.h"

#include "foundation/RegularFile.h"

#include <cerrno>
#include <memory>
#include <unistd.h>
#include <zlib.h>

namespace qor {
namespace {

constexpr std::size_t kBlock = 262'144;

} // namespace

bool ChecksumOfFile(int descriptor, CVerifiedCopy& sum)
{
    auto buffer = std::make_unique<unsigned char[]>(kBlock);
    uLong crc = crc32(0, Z_NULL, 0);
    std::uint64_t size = 0;
    for (;;) {
        const ssize_t count = pread(descriptor, buffer.get(), kBlock, static_cast<off_t>(size));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return false;
        if (count == 0)
            break;
        crc = crc32_z(crc, buffer.get(), static_cast<std::size_t>(count));
        size += static_cast<std::uint64_t>(count);
    }
    sum.size = size;
    sum.crc = static_cast<std::uint32_t>(crc);
    return true;
}

bool OriginalMatchesCopy(const std::string& path, const CVerifiedCopy& copy)
{
    CFileStatus status;
    const int descriptor = OpenRegularFile(path, false, &status);
    if (descriptor < 0)
        return false;
    CVerifiedCopy now;
    // The size settles most changes without reading the call.
    const bool same
        = status.size == copy.size && ChecksumOfFile(descriptor, now) && now.size == copy.size && now.crc == copy.crc;
    close(descriptor);
    return same;
}

bool ContainerStillThere(const CVerifiedCopy& copy)
{
    CFileIdentity now;
    return IdentityOfPath(copy.container, now) && now == copy.containerIdentity;
}

} // namespace qor

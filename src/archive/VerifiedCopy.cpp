#include "archive/VerifiedCopy.h"

#include "foundation/RegularFile.h"

#include <cerrno>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

constexpr std::size_t kBlock = 262'144;

} // namespace

bool DigestOfFile(int descriptor, CVerifiedCopy& sum)
{
    auto buffer = std::make_unique<unsigned char[]>(kBlock);
    CContentDigest digest;
    std::uint64_t size = 0;
    for (;;) {
        const ssize_t count = pread(descriptor, buffer.get(), kBlock, static_cast<off_t>(size));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return false;
        if (count == 0)
            break;
        digest.Add(buffer.get(), static_cast<std::size_t>(count));
        size += static_cast<std::uint64_t>(count);
    }
    sum.size = size;
    sum.digest = digest.Finish();
    return true;
}

bool FileMatchesCopy(int descriptor, const CVerifiedCopy& copy)
{
    struct stat status { };
    CVerifiedCopy now;
    // The size settles most changes without reading the call.
    return fstat(descriptor, &status) == 0 && static_cast<std::uint64_t>(status.st_size) == copy.size
        && DigestOfFile(descriptor, now) && now.size == copy.size && now.digest == copy.digest;
}

bool OriginalMatchesCopy(const std::string& path, const CVerifiedCopy& copy)
{
    const int descriptor = OpenRegularFile(path);
    if (descriptor < 0)
        return false;
    const bool same = FileMatchesCopy(descriptor, copy);
    close(descriptor);
    return same;
}

bool ContainerStillThere(const CVerifiedCopy& copy)
{
    CFileIdentity now;
    return IdentityOfPath(copy.container, now) && now == copy.containerIdentity;
}

} // namespace qor

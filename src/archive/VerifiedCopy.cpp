#include "archive/VerifiedCopy.h"

#include "foundation/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
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

COriginalStamp StampOf(int descriptor)
{
    COriginalStamp stamp;
    struct stat status { };
    if (fstat(descriptor, &status) != 0)
        return stamp;
    const auto nanoseconds
        = [](const timespec& time) { return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec; };
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    stamp.taken = true;
    stamp.identity = { static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino) };
    stamp.size = static_cast<std::uint64_t>(status.st_size);
    stamp.modifiedNs = nanoseconds(status.st_mtim);
    stamp.changedNs = nanoseconds(status.st_ctim);
    stamp.quietNs = nanoseconds(now) - std::max(stamp.modifiedNs, stamp.changedNs);
    return stamp;
}

bool Unchanged(const COriginalStamp& before, const COriginalStamp& now)
{
    return before.taken && now.taken && before.identity == now.identity && before.size == now.size
        && before.modifiedNs == now.modifiedNs && before.changedNs == now.changedNs;
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

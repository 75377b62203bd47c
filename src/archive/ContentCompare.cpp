#include "archive/ContentCompare.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace qor {
namespace {

constexpr std::size_t kChunkSize = 262'144;

// Fills the buffer but at the end; -1 on a read error.
long ReadFull(const ReadFunction& read, unsigned char* buffer, std::size_t size)
{
    std::size_t filled = 0;
    while (filled < size) {
        const long got = read(buffer + filled, size - filled);
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    return static_cast<long>(filled);
}

} // namespace

ReadFunction FileReader(int descriptor)
{
    return [descriptor, offset = off_t{ 0 }](unsigned char* into, std::size_t size) mutable {
        ssize_t got = 0;
        do
            got = pread(descriptor, into, size, offset);
        while (got < 0 && errno == EINTR);
        if (got > 0)
            offset += got;
        return static_cast<long>(got);
    };
}

bool DigestOf(const ReadFunction& read, CVerifiedCopy& sum)
{
    auto buffer = std::make_unique<unsigned char[]>(kChunkSize);
    CContentDigest digest;
    std::uint64_t size = 0;
    for (;;) {
        const long got = ReadFull(read, buffer.get(), kChunkSize);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        digest.Add(buffer.get(), static_cast<std::size_t>(got));
        size += static_cast<std::uint64_t>(got);
    }
    sum.size = size;
    sum.digest = digest.Finish();
    return true;
}

bool SameContent(const ReadFunction& first, const ReadFunction& second, CVerifiedCopy* sum)
{
    auto left = std::make_unique<unsigned char[]>(kChunkSize);
    auto right = std::make_unique<unsigned char[]>(kChunkSize);
    CContentDigest digest;
    std::uint64_t size = 0;
    for (;;) {
        const long got = ReadFull(first, left.get(), kChunkSize);
        const long other = ReadFull(second, right.get(), kChunkSize);
        if (got < 0 || got != other)
            return false;
        if (got == 0)
            break;
        if (std::memcmp(left.get(), right.get(), static_cast<std::size_t>(got)) != 0)
            return false;
        if (sum)
            digest.Add(left.get(), static_cast<std::size_t>(got));
        size += static_cast<std::uint64_t>(got);
    }
    if (sum) {
        sum->size = size;
        sum->digest = digest.Finish();
    }
    return true;
}

} // namespace qor

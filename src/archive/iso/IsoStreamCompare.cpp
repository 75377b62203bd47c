#include "archive/iso/IsoStreamCompare.h"

#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <unistd.h>
#include <zlib.h>

namespace qor {
namespace {

constexpr std::size_t kChunkSize = 65536;

using ReadFunction = std::function<long(unsigned char*, std::size_t)>;

// Reads up to size bytes, fewer only at the end; -1 on a read error.
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

bool SameBytes(const ReadFunction& readFirst, const ReadFunction& readSecond, CVerifiedCopy* sum)
{
    auto first = std::make_unique<unsigned char[]>(kChunkSize);
    auto second = std::make_unique<unsigned char[]>(kChunkSize);
    uLong crc = crc32(0, Z_NULL, 0);
    std::uint64_t size = 0;
    for (;;) {
        const long got = ReadFull(readFirst, first.get(), kChunkSize);
        const long other = ReadFull(readSecond, second.get(), kChunkSize);
        if (got < 0 || other < 0 || got != other)
            return false;
        if (got == 0)
            break;
        if (std::memcmp(first.get(), second.get(), static_cast<std::size_t>(got)) != 0)
            return false;
        crc = crc32_z(crc, first.get(), static_cast<std::size_t>(got));
        size += static_cast<std::uint64_t>(got);
    }
    if (sum)
        *sum = { size, static_cast<std::uint32_t>(crc) };
    return true;
}

ReadFunction StreamReader(IsoStream* stream)
{
    return
        [stream](unsigned char* to, std::size_t size) { return static_cast<long>(iso_stream_read(stream, to, size)); };
}

} // namespace

bool IsoFileEqualsFile(IsoFile* file, int descriptor, CVerifiedCopy* copy)
{
    IsoStream* stream = iso_file_get_stream(file);
    if (iso_stream_open(stream) < 0)
        return false;
    off_t offset = 0;
    const ReadFunction readFile = [descriptor, &offset](unsigned char* to, std::size_t size) {
        ssize_t got = 0;
        do
            got = pread(descriptor, to, size, offset);
        while (got < 0 && errno == EINTR);
        if (got > 0)
            offset += got;
        return static_cast<long>(got);
    };
    const bool same = SameBytes(StreamReader(stream), readFile, copy);
    iso_stream_close(stream);
    return same;
}

bool IsoFilesEqual(IsoFile* first, IsoFile* second)
{
    IsoStream* firstStream = iso_file_get_stream(first);
    IsoStream* secondStream = iso_file_get_stream(second);
    if (iso_stream_open(firstStream) < 0)
        return false;
    if (iso_stream_open(secondStream) < 0) {
        iso_stream_close(firstStream);
        return false;
    }
    const bool same = SameBytes(StreamReader(firstStream), StreamReader(secondStream), nullptr);
    iso_stream_close(secondStream);
    iso_stream_close(firstStream);
    return same;
}

} // namespace qor

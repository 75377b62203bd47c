#include "archive/iso/IsoImageWriter.h"

#include "archive/iso/IsoImageStream.h"
#include "archive/iso/IsoWriteOptions.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <unistd.h>
#include <vector>

namespace qor {
namespace {

constexpr std::size_t kChunkSize = 32 * 2048;

int WriteAll(int descriptor, const unsigned char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = write(descriptor, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

} // namespace

CIsoStatus WriteIsoImage(
    IsoImage* image, int descriptor, const std::atomic<bool>& stop, const ArchiveProgressFunction& progress)
{
    const CIsoWriteOptions options(std::time(nullptr));
    if (options.Result() < 0)
        return { options.Result() };
    CIsoImageStream stream;
    if (const int opened = stream.Open(image, options.Get()); opened < 0)
        return { opened };

    const auto total = static_cast<std::uint64_t>(stream.Size());
    std::vector<unsigned char> chunk(kChunkSize);
    std::uint64_t done = 0;
    int reportedPercent = -1;
    while (done < total) {
        if (stop)
            return { kIsoCancelledCode };
        const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(kChunkSize, total - done));
        if (!stream.Read(chunk.data(), size))
            return { static_cast<int>(ISO_BUF_READ_ERROR) };
        if (const int error = WriteAll(descriptor, chunk.data(), size))
            return { static_cast<int>(ISO_WRITE_ERROR), error };
        done += size;
        const auto percent = static_cast<int>(done * 100 / total);
        if (progress && percent != reportedPercent)
            progress(percent);
        reportedPercent = percent;
    }
    if (stop)
        return { kIsoCancelledCode };
    if (fsync(descriptor) != 0)
        return { static_cast<int>(ISO_WRITE_ERROR), errno };
    return {};
}

} // namespace qor

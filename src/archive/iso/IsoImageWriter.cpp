#include "archive/iso/IsoImageWriter.h"

#include "archive/iso/IsoImageStream.h"
#include "archive/iso/IsoWriteOptions.h"
#include "archive/iso/ReplacementFile.h"

#include <algorithm>
#include <ctime>
#include <vector>

namespace qor {
namespace {

constexpr std::size_t kChunkSize = 32 * 2048;

} // namespace

CIsoStatus WriteIsoImage(
    IsoImage* image, const std::string& target, const std::atomic<bool>& stop, const ArchiveProgressFunction& progress)
{
    CReplacementFile file(target);
    if (const int error = file.Create())
        return { static_cast<int>(ISO_FILE_ERROR), error };
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
        if (const int error = file.Write(chunk.data(), size))
            return { static_cast<int>(ISO_WRITE_ERROR), error };
        done += size;
        const auto percent = static_cast<int>(done * 100 / total);
        if (progress && percent != reportedPercent)
            progress(percent);
        reportedPercent = percent;
    }
    if (stop)
        return { kIsoCancelledCode };
    if (const int error = file.Commit())
        return { static_cast<int>(ISO_WRITE_ERROR), error };
    return {};
}

} // namespace qor

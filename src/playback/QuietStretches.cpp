#include "playback/QuietStretches.h"

#include <algorithm>

namespace qor {

std::vector<CCallStretch> FindQuietStretches(
    const CWaveSummary& summary, std::int32_t quietPeak, std::int32_t leastSamples)
{
    std::vector<CCallStretch> stretches;
    const std::span<const CSampleRange> blocks = summary.Blocks();
    const auto total = static_cast<std::int64_t>(summary.SampleCount());
    std::int64_t quietFrom = -1;
    const auto close = [&](std::int64_t end) {
        if (quietFrom >= 0 && end - quietFrom >= leastSamples)
            stretches.push_back({ static_cast<std::int32_t>(quietFrom), static_cast<std::int32_t>(end) });
        quietFrom = -1;
    };
    for (std::size_t block = 0; block < blocks.size(); ++block) {
        const std::int64_t first = static_cast<std::int64_t>(block * CWaveSummary::kBlockSamples);
        const bool quiet = -static_cast<std::int32_t>(blocks[block].least) <= quietPeak
            && static_cast<std::int32_t>(blocks[block].greatest) <= quietPeak;
        if (quiet && quietFrom < 0)
            quietFrom = first;
        else if (!quiet)
            close(first);
    }
    close(total);
    return stretches;
}

} // namespace qor

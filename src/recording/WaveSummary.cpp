#include "recording/WaveSummary.h"

#include <algorithm>

namespace qor {
namespace {

CSampleRange Join(CSampleRange a, CSampleRange b)
{
    return { std::min(a.least, b.least), std::max(a.greatest, b.greatest) };
}

// The extremes of a non-empty stretch of samples, scanned. Values, not positions, are kept, so
// the compiler can take many samples per step: a two-hour call is summarised in a few hundredths
// of its decoding.
CSampleRange Scan(std::span<const std::int16_t> samples)
{
    std::int16_t least = samples.front(), greatest = samples.front();
    for (const std::int16_t sample : samples) {
        least = std::min(least, sample);
        greatest = std::max(greatest, sample);
    }
    return { least, greatest };
}

} // namespace

CWaveSummary::CWaveSummary(std::span<const std::int16_t> samples)
    : m_samples(samples)
{
    if (samples.empty())
        return;
    std::vector<CSampleRange> blocks;
    blocks.reserve((samples.size() + kBlockSamples - 1) / kBlockSamples);
    for (std::size_t first = 0; first < samples.size(); first += kBlockSamples)
        blocks.push_back(Scan(samples.subspan(first, std::min(kBlockSamples, samples.size() - first))));
    m_levels.push_back(std::move(blocks));
    while (m_levels.back().size() > 1) {
        const std::vector<CSampleRange>& below = m_levels.back();
        std::vector<CSampleRange> level;
        level.reserve((below.size() + 1) / 2);
        for (std::size_t pair = 0; pair < below.size(); pair += 2)
            level.push_back(pair + 1 < below.size() ? Join(below[pair], below[pair + 1]) : below[pair]);
        m_levels.push_back(std::move(level));
    }
}

CSampleRange CWaveSummary::BlockExtremes(std::size_t firstBlock, std::size_t endBlock) const
{
    // Climbs the levels as a segment tree does: the unpaired range at either end is taken at this
    // level, the rest as half as many ranges one level up.
    CSampleRange result{ INT16_MAX, INT16_MIN };
    for (std::size_t level = 0; firstBlock < endBlock; ++level) {
        const std::vector<CSampleRange>& ranges = m_levels[level];
        if (firstBlock % 2 == 1)
            result = Join(result, ranges[firstBlock++]);
        if (endBlock % 2 == 1)
            result = Join(result, ranges[--endBlock]);
        firstBlock /= 2;
        endBlock /= 2;
    }
    return result;
}

CSampleRange CWaveSummary::Extremes(std::size_t first, std::size_t count) const
{
    const std::size_t end = first < m_samples.size() ? first + std::min(count, m_samples.size() - first) : first;
    if (first >= end)
        return {};
    const std::size_t firstWhole = (first + kBlockSamples - 1) / kBlockSamples;
    const std::size_t endWhole = end / kBlockSamples;
    if (firstWhole >= endWhole) // within one block, or across one boundary: a short scan
        return Scan(m_samples.subspan(first, end - first));
    CSampleRange result = BlockExtremes(firstWhole, endWhole);
    if (first < firstWhole * kBlockSamples)
        result = Join(result, Scan(m_samples.subspan(first, firstWhole * kBlockSamples - first)));
    if (endWhole * kBlockSamples < end)
        result = Join(result, Scan(m_samples.subspan(endWhole * kBlockSamples, end - endWhole * kBlockSamples)));
    return result;
}

std::vector<CSampleRange> CWaveSummary::Columns(std::size_t first, std::size_t count, std::size_t columns) const
{
    std::vector<CSampleRange> result(columns);
    for (std::size_t column = 0; column < columns; ++column) {
        // Column edges in whole samples, so that neighbouring columns neither overlap nor leave gaps.
        const std::size_t from = first + column * count / columns;
        const std::size_t to = first + (column + 1) * count / columns;
        result[column] = Extremes(from, std::max<std::size_t>(to - from, 1));
    }
    return result;
}

} // namespace qor

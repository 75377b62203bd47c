// The waveform of a call in a form a window can draw at any width: the least and greatest sample
// of every 256-sample block, and of every two blocks of the level below, up to one pair for the
// whole call. A stretch's extremes are then read from a few pairs and the samples at its ends,
// exactly as a scan of every sample would give them, so a two-hour call is drawn, at any zoom, in
// far less than a frame.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace qor {

struct CSampleRange {
    std::int16_t least = 0;
    std::int16_t greatest = 0;
};

class CWaveSummary {
public:
    static constexpr std::size_t kBlockSamples = 256;

    CWaveSummary() = default;
    // Summarises the samples, which must stay where they are (and unchanged) while the summary
    // is used: the ends of a stretch are read from them.
    explicit CWaveSummary(std::span<const std::int16_t> samples);

    std::size_t SampleCount() const { return m_samples.size(); }

    // The extremes of the samples [first, first + count), cut to the call; zeros for an empty
    // stretch.
    CSampleRange Extremes(std::size_t first, std::size_t count) const;

    // One range for each of columns equal parts of [first, first + count): what a scope draws.
    std::vector<CSampleRange> Columns(std::size_t first, std::size_t count, std::size_t columns) const;

    // The extremes of each kBlockSamples block in order, the last one possibly shorter.
    std::span<const CSampleRange> Blocks() const
    {
        return m_levels.empty() ? std::span<const CSampleRange>() : std::span<const CSampleRange>(m_levels.front());
    }

private:
    // The extremes of whole blocks [firstBlock, endBlock) of level 0.
    CSampleRange BlockExtremes(std::size_t firstBlock, std::size_t endBlock) const;

    std::span<const std::int16_t> m_samples;
    // m_levels[0] has a range per block; each further level one per two ranges of the one below.
    std::vector<std::vector<CSampleRange>> m_levels;
};

} // namespace qor

#include "playback/ListeningPlan.h"

#include <algorithm>

namespace qor {

CPlayPiece CListeningPlan::NextPiece(std::int32_t position, std::int32_t most, std::int32_t sampleCount) const
{
    if (position >= sampleCount)
        return { position, position, 0 };
    auto next = std::upper_bound(m_skipped.begin(), m_skipped.end(), position,
        [](std::int32_t at, const CCallStretch& stretch) { return at < stretch.end; });
    if (next != m_skipped.end() && next->first <= position) {
        // Inside a quiet stretch: its first 0.3 s from here stand for the rest of it.
        const std::int32_t end = std::min(next->end, sampleCount);
        if (end - position > kSkippedPlaySamples)
            return { position, end, kSkippedPlaySamples };
        ++next;
    }
    auto limit
        = static_cast<std::int32_t>(std::min<std::int64_t>(sampleCount, static_cast<std::int64_t>(position) + most));
    if (next != m_skipped.end())
        limit = std::min(limit, std::max(next->first, position + 1));
    return { position, limit, limit - position };
}

void CPlayedTimeline::Add(const CPlayPiece& piece, std::int64_t playedSamples)
{
    if (playedSamples > 0)
        m_pieces.push_back({ PlayedTotal(), playedSamples, piece.callStart, piece.callEnd });
}

std::int32_t CPlayedTimeline::CallTimeAt(std::int64_t played) const
{
    if (m_pieces.empty())
        return 0;
    auto piece = std::upper_bound(m_pieces.begin(), m_pieces.end(), played,
        [](std::int64_t at, const CEntry& entry) { return at < entry.played + entry.count; });
    if (piece == m_pieces.end())
        return m_pieces.back().callEnd;
    const std::int64_t into = std::max<std::int64_t>(played - piece->played, 0);
    return piece->callStart + static_cast<std::int32_t>(into * (piece->callEnd - piece->callStart) / piece->count);
}

} // namespace qor

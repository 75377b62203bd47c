// How a call's time becomes played sound: as it is, or, with silence skipped, each long quiet
// stretch cut to its first 0.3 s. The player asks for the next piece from a position in call
// time; a piece says which samples to play and which stretch of call time they stand for.
#pragma once

#include "playback/QuietStretches.h"

#include <cstdint>
#include <vector>

namespace qor {

struct CPlayPiece {
    std::int32_t callStart = 0; // the samples played start here
    std::int32_t callEnd = 0; // the call time the piece stands for ends here
    std::int32_t sampleCount = 0; // how many samples from callStart are played
};

class CListeningPlan {
public:
    static constexpr std::int32_t kSkippedPlaySamples = 2400; // 0.3 s of each skipped stretch

    // The quiet stretches to skip, in order; none plays the whole call.
    void SetSkipped(std::vector<CCallStretch> stretches) { m_skipped = std::move(stretches); }
    const std::vector<CCallStretch>& Skipped() const { return m_skipped; }

    // The piece that starts at position, of at most most samples, within a call of sampleCount
    // samples; an empty piece at the end of the call.
    CPlayPiece NextPiece(std::int32_t position, std::int32_t most, std::int32_t sampleCount) const;

private:
    std::vector<CCallStretch> m_skipped;
};

// The call time of what a session has played: the pieces it was given, each with its place in
// the stream of samples played, so a count of samples played gives the position in the call.
class CPlayedTimeline {
public:
    void Clear() { m_pieces.clear(); }
    void Add(const CPlayPiece& piece, std::int64_t playedSamples);
    bool Empty() const { return m_pieces.empty(); }
    std::int64_t PlayedTotal() const { return m_pieces.empty() ? 0 : m_pieces.back().played + m_pieces.back().count; }
    // The call time after played samples of the stream, found in its piece and spread evenly over
    // the call time the piece stands for.
    std::int32_t CallTimeAt(std::int64_t played) const;

private:
    struct CEntry {
        std::int64_t played; // where the piece starts in the stream
        std::int64_t count;
        std::int32_t callStart;
        std::int32_t callEnd;
    };
    std::vector<CEntry> m_pieces;
};

} // namespace qor

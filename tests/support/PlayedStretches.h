// Lines up what a sound device played with the call it was given: the played sound is split into
// stretches, each an unbroken piece of the call, so tests can tell what was heard, in what order.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace qor::test {

struct CPlayedStretch {
    std::int64_t playedAt = 0; // sample index in the played sound
    std::int64_t callStart = 0; // sample index in the call
    std::int64_t length = 0;

    std::int64_t CallEnd() const { return callStart + length; }
};

struct CPlayedSound {
    std::vector<CPlayedStretch> stretches;
    std::int64_t strangeSamples = 0; // sound that is no part of the call
};

// Samples that differ by at most tolerance count as the same; shorter pieces than minimum
// samples are too short to place and count as strange.
CPlayedSound LineUpPlayedSound(std::span<const std::int16_t> played, std::span<const std::int16_t> call,
    int tolerance = 2, std::int64_t minimum = 160);

} // namespace qor::test

// Where a call is quiet for long enough to skip: stretches of whole summary blocks whose samples
// all stay within a threshold, found from the call's waveform summary without touching the
// samples again.
#pragma once

#include "recording/WaveSummary.h"

#include <cstdint>
#include <vector>

namespace qor {

// A stretch of a call in samples, [first, end).
struct CCallStretch {
    std::int32_t first = 0;
    std::int32_t end = 0;
    bool operator==(const CCallStretch&) const = default;
};

// Quieter than about -30 dBFS at every sample: a line's hiss stays under it, a voice does not.
constexpr std::int32_t kQuietPeak = 1024;
constexpr std::int32_t kLeastQuietSamples = 8000; // longer than one second

// The stretches of at least leastSamples whose every sample lies within ±quietPeak, in order.
std::vector<CCallStretch> FindQuietStretches(
    const CWaveSummary& summary, std::int32_t quietPeak = kQuietPeak, std::int32_t leastSamples = kLeastQuietSamples);

} // namespace qor

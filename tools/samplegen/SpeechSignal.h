// A synthetic voice for test recordings: syllables, hiss and short dips at 8000 samples/s, so that
// the codecs and the player get sound shaped like a call rather than pure tones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qor::samplegen {

// The same seed gives the same samples on every platform. No 20 ms stretch is silent, and no
// sample passes ±12000, well below clipping.
std::vector<std::int16_t> MakeSpeechLikeSignal(std::size_t sampleCount, std::uint32_t seed);

} // namespace qor::samplegen

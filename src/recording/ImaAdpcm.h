// Decodes the recorder's IMA ADPCM blocks: 256 bytes with a 4-byte head (predictor, step index)
// followed by 504 four-bit codes. Each block decodes on its own, so playback can start at any block.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qor {

inline constexpr std::size_t kImaAdpcmBlockBytes = 256;
inline constexpr std::size_t kImaAdpcmBlockSamples = 504;

// What the decoder carries from one code to the next. The test-recording encoder keeps the same
// state, so what it writes decodes to exactly the values it predicted.
struct CImaAdpcmState {
    std::int32_t predictor = 0; // the last reconstructed sample
    std::int32_t index = 0; // position in the step table, 0..88
};

// The quantiser step the next code is scaled with.
std::int32_t ImaAdpcmStep(const CImaAdpcmState& state);

// Applies one 4-bit code (sign in bit 3) and returns the reconstructed sample.
std::int16_t DecodeImaAdpcmCode(CImaAdpcmState& state, std::uint8_t code);

// Decodes one block of kImaAdpcmBlockBytes into kImaAdpcmBlockSamples samples. The predictor in the
// head is the sample before the block and is not output. A step index outside the table is clamped.
void DecodeImaAdpcmBlock(const std::uint8_t* block, std::int16_t* out);

} // namespace qor

// Encoders for the recorder's sample formats, used to write test recordings. Each one mirrors the
// program's decoder, so a test knows exactly which samples the player must produce.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace qor::samplegen {

// One code per sample, standard G.711 A-law.
std::vector<std::uint8_t> EncodeALaw(std::span<const std::int16_t> samples);

// One code per sample: the code whose value in the program's µ-law curve is nearest.
std::vector<std::uint8_t> EncodeMuLaw(std::span<const std::int16_t> samples);

// Whole 256-byte blocks of 504 samples, the last one padded with silence; no samples, no blocks.
std::vector<std::uint8_t> EncodeImaAdpcm(std::span<const std::int16_t> samples);

// 33-byte GSM 06.10 frames of 160 samples, the last one padded with silence. Empty only when
// there are no samples or libgsm cannot set up its encoder.
std::vector<std::uint8_t> EncodeGsm(std::span<const std::int16_t> samples);

} // namespace qor::samplegen

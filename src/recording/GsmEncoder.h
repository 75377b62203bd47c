// GSM 06.10 encoding through libgsm for the exports: the recorder's own 33-byte frames and the
// 65-byte blocks of a GSM WAV file. Each call encodes one whole sound with a fresh encoder state.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qor {

constexpr std::size_t kGsmFrameSamples = 160;
constexpr std::size_t kGsmFrameBytes = 33;
constexpr std::size_t kGsmWavBlockSamples = 2 * kGsmFrameSamples;
constexpr std::size_t kGsmWavBlockBytes = 65;

// True when libgsm can make an encoder with the WAV packing.
bool IsGsmCodecAvailable();

// 33-byte frames of 160 samples, the last one padded with silence; nothing when the encoder
// cannot be made.
std::optional<std::vector<std::uint8_t>> EncodeGsmFrames(std::span<const std::int16_t> samples);

// 65-byte WAV blocks of 320 samples, the last one padded with silence; nothing when libgsm
// cannot pack for WAV.
std::optional<std::vector<std::uint8_t>> EncodeGsmWavBlocks(std::span<const std::int16_t> samples);

} // namespace qor

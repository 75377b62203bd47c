// The 44-byte header of a PCM WAV file, as the exporters write it, and the little-endian field
// writers the RIFF layouts share.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace qor {

struct CRvWav {
    static constexpr std::size_t kSize = 44;

    std::array<char, 4> riffTag{ 'R', 'I', 'F', 'F' };
    std::uint32_t riffSize = 36; // bytes after this field
    std::array<char, 4> waveTag{ 'W', 'A', 'V', 'E' };
    std::array<char, 4> fmtTag{ 'f', 'm', 't', ' ' };
    std::uint32_t fmtSize = 16;
    std::uint16_t format = 1; // PCM
    std::uint16_t channels = 1;
    std::uint32_t sampleRate = 0;
    std::uint32_t byteRate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::array<char, 4> dataTag{ 'd', 'a', 't', 'a' };
    std::uint32_t dataSize = 4;

    // The header of 16-bit mono sound at the program's 8000 samples per second.
    static CRvWav ForPcm16(std::uint32_t sampleCount);

    void AppendTo(std::vector<std::uint8_t>& bytes) const;
};

void AppendTag(std::vector<std::uint8_t>& bytes, std::string_view tag);
void AppendUint16(std::vector<std::uint8_t>& bytes, std::uint16_t value);
void AppendUint32(std::vector<std::uint8_t>& bytes, std::uint32_t value);

} // namespace qor

#include "samplegen/AudioEncoders.h"

#include "recording/G711.h"
#include "recording/ImaAdpcm.h"

#include <algorithm>
#include <array>
#include <gsm.h>
#include <memory>

namespace qor::samplegen {
namespace {

constexpr std::size_t kGsmFrameBytes = 33;
constexpr std::size_t kGsmFrameSamples = 160;

std::uint8_t CompressALaw(std::int16_t sample)
{
    // A-law works on 13 bits; the segment is the position of the highest set bit above the first
    // 32 steps. The top segment ends at the largest 13-bit magnitude, so the search stays in the table.
    static constexpr std::array<int, 8> kSegmentEnd = { 0x1F, 0x3F, 0x7F, 0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF };
    int value = sample >> 3;
    int mask = 0xD5;
    if (value < 0) {
        mask = 0x55;
        value = -value - 1;
    }
    int segment = 0;
    while (value > kSegmentEnd[segment])
        ++segment;
    const int step = (value >> (segment < 2 ? 1 : segment)) & 0x0F;
    return static_cast<std::uint8_t>(((segment << 4) | step) ^ mask);
}

// For every 16-bit sample the µ-law code nearest to it, so encoding is one lookup a sample.
const std::array<std::uint8_t, 65536>& MuLawCodes()
{
    static const std::array<std::uint8_t, 65536> codes = [] {
        // The curve's magnitudes in rising order: 0xFF is 0, 0x80 is the largest.
        std::array<int, 128> magnitudes{};
        for (int k = 0; k < 128; ++k)
            magnitudes[k] = DecodeMuLaw(static_cast<std::uint8_t>(0xFF - k));
        std::array<std::uint8_t, 65536> table{};
        int k = 0;
        for (int magnitude = 0; magnitude <= 32768; ++magnitude) {
            while (k < 127 && magnitudes[k + 1] - magnitude <= magnitude - magnitudes[k])
                ++k;
            // Negative samples take the mirrored code below 0x80, which holds the negated value.
            if (magnitude <= 32767)
                table[32768 + magnitude] = static_cast<std::uint8_t>(0xFF - k);
            if (magnitude > 0)
                table[32768 - magnitude] = static_cast<std::uint8_t>(0x7F - k);
        }
        return table;
    }();
    return codes;
}

// Successive approximation of the difference against step, step/2 and step/4: the three magnitude
// bits the decoder adds back up.
std::uint8_t ChooseImaAdpcmCode(const CImaAdpcmState& state, std::int16_t sample)
{
    const std::int32_t step = ImaAdpcmStep(state);
    std::int32_t difference = sample - state.predictor;
    std::uint8_t code = 0;
    if (difference < 0) {
        code = 8;
        difference = -difference;
    }
    if (difference >= step) {
        code |= 4;
        difference -= step;
    }
    if (difference >= step >> 1) {
        code |= 2;
        difference -= step >> 1;
    }
    if (difference >= step >> 2)
        code |= 1;
    return code;
}

} // namespace

std::vector<std::uint8_t> EncodeALaw(std::span<const std::int16_t> samples)
{
    std::vector<std::uint8_t> codes(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i)
        codes[i] = CompressALaw(samples[i]);
    return codes;
}

std::vector<std::uint8_t> EncodeMuLaw(std::span<const std::int16_t> samples)
{
    const auto& table = MuLawCodes();
    std::vector<std::uint8_t> codes(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i)
        codes[i] = table[static_cast<std::size_t>(samples[i] + 32768)];
    return codes;
}

std::vector<std::uint8_t> EncodeImaAdpcm(std::span<const std::int16_t> samples)
{
    const std::size_t blockCount = (samples.size() + kImaAdpcmBlockSamples - 1) / kImaAdpcmBlockSamples;
    std::vector<std::uint8_t> bytes(blockCount * kImaAdpcmBlockBytes);
    // The state runs on across blocks; each head restarts the decoder exactly where it stood.
    CImaAdpcmState state;
    std::size_t next = 0;
    for (std::size_t block = 0; block < blockCount; ++block) {
        std::uint8_t* head = bytes.data() + block * kImaAdpcmBlockBytes;
        head[0] = static_cast<std::uint8_t>(state.predictor & 0xFF);
        head[1] = static_cast<std::uint8_t>((state.predictor >> 8) & 0xFF);
        head[2] = static_cast<std::uint8_t>(state.index);
        std::uint8_t* data = head + 4;
        for (std::size_t i = 0; i < kImaAdpcmBlockSamples; ++i, ++next) {
            const std::int16_t sample = next < samples.size() ? samples[next] : std::int16_t{ 0 };
            const std::uint8_t code = ChooseImaAdpcmCode(state, sample);
            DecodeImaAdpcmCode(state, code);
            data[i / 2] |= static_cast<std::uint8_t>(i % 2 == 0 ? code : code << 4);
        }
    }
    return bytes;
}

std::vector<std::uint8_t> EncodeGsm(std::span<const std::int16_t> samples)
{
    const std::unique_ptr<gsm_state, decltype(&gsm_destroy)> encoder(gsm_create(), &gsm_destroy);
    if (!encoder)
        return {};
    const std::size_t frameCount = (samples.size() + kGsmFrameSamples - 1) / kGsmFrameSamples;
    std::vector<std::uint8_t> bytes(frameCount * kGsmFrameBytes);
    for (std::size_t frame = 0; frame < frameCount; ++frame) {
        std::array<gsm_signal, kGsmFrameSamples> pcm{};
        const std::size_t first = frame * kGsmFrameSamples;
        std::copy_n(samples.begin() + first, std::min(kGsmFrameSamples, samples.size() - first), pcm.begin());
        gsm_encode(encoder.get(), pcm.data(), bytes.data() + frame * kGsmFrameBytes);
    }
    return bytes;
}

} // namespace qor::samplegen

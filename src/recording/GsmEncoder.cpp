#include "recording/GsmEncoder.h"

#include <algorithm>
#include <array>
#include <gsm.h>
#include <memory>
#include <numeric>

namespace qor {
namespace {

using GsmHandle = std::unique_ptr<gsm_state, decltype(&gsm_destroy)>;

GsmHandle MakeEncoder(bool wavPacking)
{
    GsmHandle encoder(gsm_create(), &gsm_destroy);
    if (!encoder)
        return encoder;
    int on = 1;
    if (wavPacking && gsm_option(encoder.get(), GSM_OPT_WAV49, &on) == -1)
        return GsmHandle(nullptr, &gsm_destroy);
    // Some builds of the library lack the fast encoder (Debian's does); the standard one then serves.
    gsm_option(encoder.get(), GSM_OPT_FAST, &on);
    return encoder;
}

// Encodes whole groups of frames (a single frame, or the two frames of a WAV block), the last group
// padded with silence; frameBytes holds what each frame of a group adds to the output.
std::vector<std::uint8_t> Encode(
    gsm encoder, std::span<const std::int16_t> samples, std::span<const std::size_t> frameBytes)
{
    const std::size_t groupSamples = frameBytes.size() * kGsmFrameSamples;
    const std::size_t groupBytes = std::accumulate(frameBytes.begin(), frameBytes.end(), std::size_t{ 0 });
    const std::size_t groups = (samples.size() + groupSamples - 1) / groupSamples;
    std::vector<std::uint8_t> bytes(groups * groupBytes);
    std::uint8_t* out = bytes.data();
    std::array<gsm_signal, kGsmFrameSamples> frame{};
    for (std::size_t first = 0; first < groups * groupSamples; first += kGsmFrameSamples) {
        frame.fill(0);
        if (first < samples.size())
            std::copy_n(samples.begin() + static_cast<std::ptrdiff_t>(first),
                std::min(kGsmFrameSamples, samples.size() - first), frame.begin());
        gsm_encode(encoder, frame.data(), out);
        out += frameBytes[first / kGsmFrameSamples % frameBytes.size()];
    }
    return bytes;
}

} // namespace

bool IsGsmCodecAvailable()
{
    return MakeEncoder(true) != nullptr;
}

std::optional<std::vector<std::uint8_t>> EncodeGsmFrames(std::span<const std::int16_t> samples)
{
    const GsmHandle encoder = MakeEncoder(false);
    if (!encoder)
        return std::nullopt;
    constexpr std::array<std::size_t, 1> kFrameBytes{ kGsmFrameBytes };
    return Encode(encoder.get(), samples, kFrameBytes);
}

std::optional<std::vector<std::uint8_t>> EncodeGsmWavBlocks(std::span<const std::int16_t> samples)
{
    const GsmHandle encoder = MakeEncoder(true);
    if (!encoder)
        return std::nullopt;
    // With the WAV packing the library writes a 32-byte frame, keeping back half a byte that leads
    // the 33-byte frame after it.
    constexpr std::array<std::size_t, 2> kFrameBytes{ 32, 33 };
    return Encode(encoder.get(), samples, kFrameBytes);
}

} // namespace qor

#include "recording/G711.h"

#include <array>

namespace qor {
namespace {

constexpr std::int16_t ExpandALaw(std::uint8_t code)
{
    // Even bits are inverted on the line so that idle channels do not send long runs of zeros.
    const int value = code ^ 0x55;
    const int segment = (value >> 4) & 0x07;
    int magnitude = (value & 0x0F) << 4;
    if (segment == 0) {
        magnitude += 8;
    } else {
        magnitude += 0x108;
        magnitude <<= segment - 1;
    }
    return static_cast<std::int16_t>((value & 0x80) ? magnitude : -magnitude);
}

constexpr std::array<std::int16_t, 256> kALawTable = [] {
    std::array<std::int16_t, 256> table{};
    for (int code = 0; code < 256; ++code)
        table[code] = ExpandALaw(static_cast<std::uint8_t>(code));
    return table;
}();

// The upper half of the curve as the recorder writes it; codes below 0x80 are the same values
// negated, so 0x7F is a second zero.
constexpr std::array<std::int16_t, 128> kMuLawPositive = { 32256, 31228, 30200, 29172, 28143, 27115, 26087, 25059,
    24031, 23002, 21974, 20946, 19918, 18889, 17861, 16833, 16062, 15548, 15033, 14519, 14005, 13491, 12977, 12463,
    11949, 11435, 10920, 10406, 9892, 9378, 8864, 8350, 7964, 7707, 7450, 7193, 6936, 6679, 6422, 6165, 5908, 5651,
    5394, 5137, 4880, 4623, 4365, 4108, 3916, 3787, 3659, 3530, 3402, 3273, 3144, 3016, 2887, 2759, 2630, 2502, 2373,
    2245, 2116, 1988, 1891, 1827, 1763, 1698, 1634, 1570, 1506, 1441, 1377, 1313, 1249, 1184, 1120, 1056, 992, 927, 879,
    847, 815, 783, 751, 718, 686, 654, 622, 590, 558, 526, 494, 461, 429, 397, 373, 357, 341, 325, 309, 293, 277, 261,
    245, 228, 212, 196, 180, 164, 148, 132, 120, 112, 104, 96, 88, 80, 72, 64, 56, 48, 40, 32, 24, 16, 8, 0 };

constexpr std::array<std::int16_t, 256> kMuLawTable = [] {
    std::array<std::int16_t, 256> table{};
    for (std::size_t i = 0; i < 128; ++i) {
        table[i] = static_cast<std::int16_t>(-kMuLawPositive[i]);
        table[i + 128] = kMuLawPositive[i];
    }
    return table;
}();

} // namespace

std::int16_t DecodeALaw(std::uint8_t code)
{
    return kALawTable[code];
}

std::int16_t DecodeMuLaw(std::uint8_t code)
{
    return kMuLawTable[code];
}

void DecodeALaw(const std::uint8_t* in, std::size_t count, std::int16_t* out)
{
    for (std::size_t i = 0; i < count; ++i)
        out[i] = kALawTable[in[i]];
}

void DecodeMuLaw(const std::uint8_t* in, std::size_t count, std::int16_t* out)
{
    for (std::size_t i = 0; i < count; ++i)
        out[i] = kMuLawTable[in[i]];
}

} // namespace qor

#include "recording/ImaAdpcm.h"

#include <algorithm>
#include <array>

namespace qor {
namespace {

constexpr std::array<std::int32_t, 89> kStepTable = { 7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 21, 23, 25, 28, 31, 34,
    37, 41, 45, 50, 55, 60, 66, 73, 80, 88, 97, 107, 118, 130, 143, 157, 173, 190, 209, 230, 253, 279, 307, 337, 371,
    408, 449, 494, 544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552, 1707, 1878, 2066, 2272, 2499, 2749,
    3024, 3327, 3660, 4026, 4428, 4871, 5358, 5894, 6484, 7132, 7845, 8630, 9493, 10442, 11487, 12635, 13899, 15289,
    16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767 };

constexpr std::array<std::int32_t, 8> kIndexTable = { -1, -1, -1, -1, 2, 4, 6, 8 };

constexpr std::int32_t kMaxIndex = static_cast<std::int32_t>(kStepTable.size()) - 1;

} // namespace

std::int32_t ImaAdpcmStep(const CImaAdpcmState& state)
{
    return kStepTable[std::clamp(state.index, 0, kMaxIndex)];
}

std::int16_t DecodeImaAdpcmCode(CImaAdpcmState& state, std::uint8_t code)
{
    const std::int32_t step = ImaAdpcmStep(state);
    state.index = std::clamp(state.index + kIndexTable[code & 7], 0, kMaxIndex);
    std::int32_t delta = step >> 3;
    if (code & 4)
        delta += step;
    if (code & 2)
        delta += step >> 1;
    if (code & 1)
        delta += step >> 2;
    state.predictor = std::clamp(state.predictor + ((code & 8) ? -delta : delta), -32768, 32767);
    return static_cast<std::int16_t>(state.predictor);
}

void DecodeImaAdpcmBlock(const std::uint8_t* block, std::int16_t* out)
{
    CImaAdpcmState state;
    state.predictor = static_cast<std::int16_t>(block[0] | (block[1] << 8));
    // A damaged file can hold any byte here; clamp it rather than index past the table.
    state.index = std::clamp<std::int32_t>(static_cast<std::int8_t>(block[2]), 0, kMaxIndex);
    const std::uint8_t* data = block + 4;
    for (std::size_t i = 0; i < kImaAdpcmBlockSamples / 2; ++i) {
        *out++ = DecodeImaAdpcmCode(state, data[i] & 0x0F);
        *out++ = DecodeImaAdpcmCode(state, static_cast<std::uint8_t>(data[i] >> 4));
    }
}

} // namespace qor

// Expands the 8-bit companded sample formats of a recording to linear 16-bit PCM: standard A-law,
// and the program's own µ-law curve, which is not the G.711 one and must be matched value for value.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qor {

std::int16_t DecodeALaw(std::uint8_t code);
std::int16_t DecodeMuLaw(std::uint8_t code);

// Decode count codes from in to out; the two buffers must not overlap.
void DecodeALaw(const std::uint8_t* in, std::size_t count, std::int16_t* out);
void DecodeMuLaw(const std::uint8_t* in, std::size_t count, std::int16_t* out);

} // namespace qor

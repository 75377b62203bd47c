// Positioned, complete reads and writes on archive descriptors.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qor {

// Writes all of bytes at offset; false on any error (errno tells which).
bool WriteAllAt(int descriptor, std::string_view bytes, std::uint64_t offset);

// Reads exactly size bytes at offset; false on an error or when the file ends first.
bool ReadAllAt(int descriptor, char* into, std::size_t size, std::uint64_t offset);

} // namespace qor

// Little-endian fields of ZIP records: appended to a record being built, or read from bytes that
// the caller has already checked are long enough.
#pragma once

#include <cstdint>
#include <string>

namespace qor {

inline void PutLittleEndian(std::string& record, std::uint64_t value, int byteCount)
{
    for (int index = 0; index < byteCount; ++index)
        record.push_back(static_cast<char>((value >> (8 * index)) & 0xFF));
}

inline void Put16(std::string& record, std::uint64_t value)
{
    PutLittleEndian(record, value, 2);
}
inline void Put32(std::string& record, std::uint64_t value)
{
    PutLittleEndian(record, value, 4);
}
inline void Put64(std::string& record, std::uint64_t value)
{
    PutLittleEndian(record, value, 8);
}

inline std::uint64_t GetLittleEndian(const char* bytes, int byteCount)
{
    std::uint64_t value = 0;
    for (int index = byteCount - 1; index >= 0; --index)
        value = (value << 8) | static_cast<unsigned char>(bytes[index]);
    return value;
}

inline std::uint16_t Get16(const char* bytes)
{
    return static_cast<std::uint16_t>(GetLittleEndian(bytes, 2));
}
inline std::uint32_t Get32(const char* bytes)
{
    return static_cast<std::uint32_t>(GetLittleEndian(bytes, 4));
}
inline std::uint64_t Get64(const char* bytes)
{
    return GetLittleEndian(bytes, 8);
}

} // namespace qor

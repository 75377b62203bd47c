// The records of the published ZIP format that our writer emits and our reader accepts: one entry's
// description, and the byte layout of local headers, central headers and the directory's end
// (switching to the ZIP64 forms exactly where a field would not fit).
#pragma once

#include <cstdint>
#include <string>

namespace qor {

inline constexpr std::uint32_t kZipLocalHeaderSignature = 0x04034b50;
inline constexpr std::uint32_t kZipCentralHeaderSignature = 0x02014b50;
inline constexpr std::uint32_t kZipEndSignature = 0x06054b50;
inline constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
inline constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;

inline constexpr std::size_t kZipLocalHeaderSize = 30;
inline constexpr std::size_t kZipCentralHeaderSize = 46;
inline constexpr std::size_t kZipEndSize = 22;
inline constexpr std::size_t kZip64EndSize = 56;
inline constexpr std::size_t kZip64LocatorSize = 20;

inline constexpr std::uint16_t kZip64ExtraTag = 0x0001;
inline constexpr std::uint16_t kZipMethodDeflate = 8;
inline constexpr std::uint16_t kZipFlagUtf8Name = 0x0800;
// A 16-bit or 32-bit field holding its largest value says "look in the ZIP64 record".
inline constexpr std::uint64_t kZip16Marker = 0xFFFF;
inline constexpr std::uint64_t kZip32Marker = 0xFFFF'FFFF;

struct CZipEntryRecord {
    std::string name;
    std::uint16_t flags = 0;
    std::uint16_t method = kZipMethodDeflate;
    std::uint16_t dosTime = 0;
    std::uint16_t dosDate = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::uint64_t localHeaderOffset = 0;
    // Unix mode bits in the upper half, as unzip expects from an archive made on Unix.
    std::uint32_t externalAttributes = 0;
};

// The local header in front of the entry's data. With zip64 it carries both sizes in a ZIP64 field,
// so that a header written before the data keeps its length when the real sizes are put in.
std::string EncodeLocalHeader(const CZipEntryRecord& entry, bool zip64);

// The entry's record in the central directory.
std::string EncodeCentralHeader(const CZipEntryRecord& entry);

// The records that close a central directory of entryCount entries and directorySize bytes
// written at directoryOffset: the end record, preceded by the ZIP64 end record and its locator
// when a count, size or offset does not fit the end record.
std::string EncodeDirectoryEnd(
    std::uint64_t entryCount, std::uint64_t directoryOffset, std::uint64_t directorySize, const std::string& comment);

} // namespace qor

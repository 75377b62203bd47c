#include "archive/zip/ZipRecords.h"

#include "archive/zip/ZipBytes.h"

namespace qor {
namespace {

constexpr std::uint16_t kVersionDeflate = 20;
constexpr std::uint16_t kVersionZip64 = 45;
// "Made by" names Unix in its upper byte, so unzip restores the mode bits.
constexpr std::uint16_t kMadeOnUnix = 3 << 8;

bool Overflows32(std::uint64_t value)
{
    return value >= kZip32Marker;
}

std::uint64_t Clamp32(std::uint64_t value)
{
    return Overflows32(value) ? kZip32Marker : value;
}

std::string Zip64Extra(const CZipEntryRecord& entry)
{
    std::string fields;
    if (Overflows32(entry.uncompressedSize))
        Put64(fields, entry.uncompressedSize);
    if (Overflows32(entry.compressedSize))
        Put64(fields, entry.compressedSize);
    if (Overflows32(entry.localHeaderOffset))
        Put64(fields, entry.localHeaderOffset);
    if (fields.empty())
        return fields;
    std::string extra;
    Put16(extra, kZip64ExtraTag);
    Put16(extra, fields.size());
    return extra + fields;
}

} // namespace

std::string EncodeLocalHeader(const CZipEntryRecord& entry, bool zip64)
{
    std::string header;
    Put32(header, kZipLocalHeaderSignature);
    Put16(header, zip64 ? kVersionZip64 : kVersionDeflate);
    Put16(header, entry.flags);
    Put16(header, entry.method);
    Put16(header, entry.dosTime);
    Put16(header, entry.dosDate);
    Put32(header, entry.crc);
    Put32(header, zip64 ? kZip32Marker : entry.compressedSize);
    Put32(header, zip64 ? kZip32Marker : entry.uncompressedSize);
    Put16(header, entry.name.size());
    Put16(header, zip64 ? 20 : 0);
    header += entry.name;
    if (zip64) {
        Put16(header, kZip64ExtraTag);
        Put16(header, 16);
        Put64(header, entry.uncompressedSize);
        Put64(header, entry.compressedSize);
    }
    return header;
}

std::string EncodeCentralHeader(const CZipEntryRecord& entry)
{
    const std::string extra = Zip64Extra(entry);
    const std::uint16_t version = extra.empty() ? kVersionDeflate : kVersionZip64;
    std::string header;
    Put32(header, kZipCentralHeaderSignature);
    Put16(header, kMadeOnUnix | version);
    Put16(header, version);
    Put16(header, entry.flags);
    Put16(header, entry.method);
    Put16(header, entry.dosTime);
    Put16(header, entry.dosDate);
    Put32(header, entry.crc);
    Put32(header, Clamp32(entry.compressedSize));
    Put32(header, Clamp32(entry.uncompressedSize));
    Put16(header, entry.name.size());
    Put16(header, extra.size());
    Put16(header, 0); // comment length
    Put16(header, 0); // disk number
    Put16(header, 0); // internal attributes
    Put32(header, entry.externalAttributes);
    Put32(header, Clamp32(entry.localHeaderOffset));
    return header + entry.name + extra;
}

std::string EncodeDirectoryEnd(
    std::uint64_t entryCount, std::uint64_t directoryOffset, std::uint64_t directorySize, const std::string& comment)
{
    const bool countOverflows = entryCount >= kZip16Marker;
    const bool zip64 = countOverflows || Overflows32(directoryOffset) || Overflows32(directorySize);
    std::string records;
    if (zip64) {
        const std::uint64_t zip64EndOffset = directoryOffset + directorySize;
        Put32(records, kZip64EndSignature);
        Put64(records, kZip64EndSize - 12); // the size of the rest of this record
        Put16(records, kMadeOnUnix | kVersionZip64);
        Put16(records, kVersionZip64);
        Put32(records, 0); // this disk
        Put32(records, 0); // the disk where the directory starts
        Put64(records, entryCount);
        Put64(records, entryCount);
        Put64(records, directorySize);
        Put64(records, directoryOffset);
        Put32(records, kZip64LocatorSignature);
        Put32(records, 0);
        Put64(records, zip64EndOffset);
        Put32(records, 1); // total number of disks
    }
    const std::uint64_t count16 = countOverflows ? kZip16Marker : entryCount;
    Put32(records, kZipEndSignature);
    Put16(records, 0);
    Put16(records, 0);
    Put16(records, count16);
    Put16(records, count16);
    Put32(records, Clamp32(directorySize));
    Put32(records, Clamp32(directoryOffset));
    Put16(records, comment.size());
    return records + comment;
}

} // namespace qor

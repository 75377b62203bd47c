#include "archive/zip/ZipSalvage.h"

#include "archive/zip/ZipBytes.h"
#include "archive/zip/ZipFileIo.h"
#include "archive/zip/ZipInflater.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <zlib.h>

namespace qor {
namespace {

constexpr std::uint32_t kDataDescriptorSignature = 0x08074b50;
constexpr std::uint16_t kFlagEncrypted = 0x0001;
constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint32_t kRegularFileAttributes = 0100644u << 16;
constexpr std::size_t kBlock = 65'536;

// The sizes a ZIP64 extra field gives for the fields that hold the marker.
void ApplyZip64Sizes(std::string_view extra, CZipEntryRecord& entry)
{
    while (extra.size() >= 4) {
        const std::size_t length = Get16(extra.data() + 2);
        if (length > extra.size() - 4)
            return;
        if (Get16(extra.data()) == kZip64ExtraTag) {
            std::string_view fields = extra.substr(4, length);
            for (std::uint64_t* value : { &entry.uncompressedSize, &entry.compressedSize }) {
                if (*value != kZip32Marker || fields.size() < 8)
                    continue;
                *value = Get64(fields.data());
                fields.remove_prefix(8);
            }
            return;
        }
        extra.remove_prefix(4 + length);
    }
}

// Reads the data at dataOffset as the entry's method says; true when it is whole, with its real
// CRC-32 and sizes put into the entry and its end in dataEnd.
bool ReadWholeData(
    int archive, std::uint64_t fileSize, std::uint64_t dataOffset, CZipEntryRecord& entry, std::uint64_t& dataEnd)
{
    uLong crc = crc32(0, Z_NULL, 0);
    std::uint64_t produced = 0;
    std::uint64_t consumed = 0;
    if (entry.method == kZipMethodDeflate) {
        CZipInflater inflater;
        const auto count = [&](const unsigned char* bytes, std::size_t size) {
            crc = crc32_z(crc, bytes, size);
            produced += size;
            return true;
        };
        if (!inflater.Inflate(archive, dataOffset, fileSize - dataOffset, count, consumed))
            return false;
    } else if (entry.method == kMethodStored && !(entry.flags & kFlagDataDescriptor)) {
        if (entry.compressedSize > fileSize - dataOffset || entry.compressedSize != entry.uncompressedSize)
            return false;
        std::string block(kBlock, '\0');
        for (consumed = 0; consumed < entry.compressedSize;) {
            const auto size
                = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, entry.compressedSize - consumed));
            if (!ReadAllAt(archive, block.data(), size, dataOffset + consumed))
                return false;
            crc = crc32_z(crc, reinterpret_cast<const Bytef*>(block.data()), size);
            consumed += size;
        }
        produced = consumed;
    } else {
        return false;
    }
    // A header whose sizes were never filled in (its writer was killed before it could) is taken by
    // what the data turned out to be; a header that gives them must agree.
    const bool sizesGiven = entry.compressedSize != 0 || entry.uncompressedSize != 0;
    if (sizesGiven && (entry.compressedSize != consumed || entry.uncompressedSize != produced))
        return false;
    if ((sizesGiven || entry.crc != 0) && !(entry.flags & kFlagDataDescriptor) && entry.crc != crc)
        return false;
    dataEnd = dataOffset + consumed;
    if (entry.flags & kFlagDataDescriptor) {
        char descriptor[24];
        const std::uint64_t left = fileSize - dataEnd;
        if (left < 12
            || !ReadAllAt(archive, descriptor, static_cast<std::size_t>(std::min<std::uint64_t>(left, 24)), dataEnd))
            return false;
        const bool hasSignature = Get32(descriptor) == kDataDescriptorSignature;
        const bool zip64 = consumed >= kZip32Marker || produced >= kZip32Marker;
        if (Get32(descriptor + (hasSignature ? 4 : 0)) != crc)
            return false;
        dataEnd += (hasSignature ? 4 : 0) + 4 + (zip64 ? 16 : 8);
    }
    entry.crc = static_cast<std::uint32_t>(crc);
    entry.compressedSize = consumed;
    entry.uncompressedSize = produced;
    return dataEnd <= fileSize;
}

} // namespace

CZipSalvage SalvageZipEntries(int archive, std::uint64_t fileSize)
{
    CZipSalvage salvage;
    std::uint64_t offset = 0;
    char header[kZipLocalHeaderSize];
    while (fileSize - offset >= kZipLocalHeaderSize && ReadAllAt(archive, header, sizeof header, offset)
        && Get32(header) == kZipLocalHeaderSignature) {
        CZipEntryRecord entry;
        entry.flags = Get16(header + 6);
        entry.method = Get16(header + 8);
        entry.dosTime = Get16(header + 10);
        entry.dosDate = Get16(header + 12);
        entry.crc = Get32(header + 14);
        entry.compressedSize = Get32(header + 18);
        entry.uncompressedSize = Get32(header + 22);
        entry.localHeaderOffset = offset;
        entry.externalAttributes = kRegularFileAttributes;
        const std::size_t nameLength = Get16(header + 26);
        const std::size_t extraLength = Get16(header + 28);
        const std::uint64_t dataOffset = offset + kZipLocalHeaderSize + nameLength + extraLength;
        if (dataOffset > fileSize || (entry.flags & kFlagEncrypted))
            break;
        std::string nameAndExtra(nameLength + extraLength, '\0');
        if (!ReadAllAt(archive, nameAndExtra.data(), nameAndExtra.size(), offset + kZipLocalHeaderSize))
            break;
        entry.name = nameAndExtra.substr(0, nameLength);
        ApplyZip64Sizes(std::string_view(nameAndExtra).substr(nameLength), entry);
        std::uint64_t dataEnd = 0;
        if (entry.name.empty() || !ReadWholeData(archive, fileSize, dataOffset, entry, dataEnd))
            break;
        salvage.entries.push_back(std::move(entry));
        salvage.dataEnd = offset = dataEnd;
    }
    return salvage;
}

} // namespace qor

#include "archive/zip/ZipDirectoryReader.h"

#include "archive/zip/ZipBytes.h"

#include <algorithm>

namespace qor {
namespace {

constexpr std::size_t kLongestComment = 0xFFFF;

struct CDirectoryEnd {
    std::uint64_t entryCount = 0;
    std::uint64_t directorySize = 0;
    std::uint64_t directoryOffset = 0;
    // Where the directory must end: at the end record, or at the ZIP64 end record.
    std::uint64_t directoryEnd = 0;
    std::string comment;
};

// The end record is the last one whose comment reaches exactly to the end of the file.
bool FindEndRecord(const ZipReadAtFunction& readAt, std::uint64_t fileSize, std::uint64_t& endOffset, std::string& tail,
    std::uint64_t& tailOffset)
{
    const std::uint64_t tailSize = std::min<std::uint64_t>(fileSize, kZipEndSize + kLongestComment);
    tailOffset = fileSize - tailSize;
    tail.assign(tailSize, '\0');
    if (!readAt(tailOffset, tail.data(), tail.size()))
        return false;
    for (std::size_t at = tail.size() - kZipEndSize + 1; at-- > 0;) {
        if (Get32(&tail[at]) == kZipEndSignature && at + kZipEndSize + Get16(&tail[at + 20]) == tail.size()) {
            endOffset = tailOffset + at;
            return true;
        }
    }
    return false;
}

bool ReadZip64End(const ZipReadAtFunction& readAt, std::uint64_t locatorOffset, CDirectoryEnd& end, std::string& error)
{
    char locator[kZip64LocatorSize];
    if (!readAt(locatorOffset, locator, sizeof locator)) {
        error = "its ZIP64 locator cannot be read";
        return false;
    }
    const std::uint64_t zip64EndOffset = Get64(locator + 8);
    if (Get32(locator + 4) != 0 || Get32(locator + 16) > 1 || zip64EndOffset > locatorOffset
        || locatorOffset - zip64EndOffset < kZip64EndSize) {
        error = "its ZIP64 locator points outside the file";
        return false;
    }
    char record[kZip64EndSize];
    if (!readAt(zip64EndOffset, record, sizeof record)) {
        error = "its ZIP64 end record cannot be read";
        return false;
    }
    const std::uint64_t entriesHere = Get64(record + 24);
    end.entryCount = Get64(record + 32);
    end.directorySize = Get64(record + 40);
    end.directoryOffset = Get64(record + 48);
    end.directoryEnd = zip64EndOffset;
    if (Get32(record) != kZip64EndSignature || Get64(record + 4) != locatorOffset - zip64EndOffset - 12
        || Get32(record + 16) != 0 || Get32(record + 20) != 0 || entriesHere != end.entryCount) {
        error = "its ZIP64 end record is damaged or spans several disks";
        return false;
    }
    return true;
}

bool ReadDirectoryEnd(const ZipReadAtFunction& readAt, std::uint64_t fileSize, CDirectoryEnd& end, std::string& error)
{
    std::string tail;
    std::uint64_t tailOffset = 0;
    std::uint64_t endOffset = 0;
    if (fileSize < kZipEndSize || !FindEndRecord(readAt, fileSize, endOffset, tail, tailOffset)) {
        const bool recordEarlier = tail.find("PK\x05\x06") != std::string::npos;
        error = recordEarlier
            ? "it has data after its end of central directory record, which adding to it would destroy"
            : "it has no end of central directory record";
        return false;
    }
    const char* record = &tail[endOffset - tailOffset];
    const std::uint16_t entriesHere = Get16(record + 8);
    end.entryCount = Get16(record + 10);
    end.directorySize = Get32(record + 12);
    end.directoryOffset = Get32(record + 16);
    end.directoryEnd = endOffset;
    end.comment.assign(record + kZipEndSize, Get16(record + 20));
    const bool needsZip64
        = end.entryCount == kZip16Marker || end.directorySize == kZip32Marker || end.directoryOffset == kZip32Marker;
    char signature[4];
    if (endOffset >= kZip64LocatorSize && readAt(endOffset - kZip64LocatorSize, signature, sizeof signature)
        && Get32(signature) == kZip64LocatorSignature) {
        // Directory bytes may happen to look like a locator; as other readers do, an end record that
        // does not need ZIP64 then stands on its own.
        CDirectoryEnd zip64End;
        if (ReadZip64End(readAt, endOffset - kZip64LocatorSize, zip64End, error)) {
            zip64End.comment = std::move(end.comment);
            end = std::move(zip64End);
            return true;
        }
        if (needsZip64)
            return false;
        error.clear();
    }
    if (Get16(record + 4) != 0 || Get16(record + 6) != 0 || entriesHere != end.entryCount) {
        error = "it spans several disks";
        return false;
    }
    return true;
}

// Replaces the 32-bit fields that hold the ZIP64 marker by the values of the ZIP64 extra field.
bool ApplyZip64Extra(std::string_view extra, CZipEntryRecord& entry, std::uint16_t diskNumber)
{
    while (extra.size() >= 4) {
        const std::uint16_t tag = Get16(extra.data());
        const std::size_t length = Get16(extra.data() + 2);
        if (length > extra.size() - 4)
            return false;
        std::string_view fields = extra.substr(4, length);
        if (tag == kZip64ExtraTag) {
            for (std::uint64_t* value : { &entry.uncompressedSize, &entry.compressedSize, &entry.localHeaderOffset }) {
                if (*value != kZip32Marker)
                    continue;
                if (fields.size() < 8)
                    return false;
                *value = Get64(fields.data());
                fields.remove_prefix(8);
            }
            return diskNumber != kZip16Marker || (fields.size() >= 4 && Get32(fields.data()) == 0);
        }
        extra.remove_prefix(4 + length);
    }
    return false;
}

bool ReadCentralHeader(std::string_view headers, std::size_t& at, std::uint64_t directoryOffset, CZipEntryRecord& entry)
{
    if (headers.size() - at < kZipCentralHeaderSize)
        return false;
    const char* header = headers.data() + at;
    const std::size_t nameLength = Get16(header + 28);
    const std::size_t extraLength = Get16(header + 30);
    const std::size_t commentLength = Get16(header + 32);
    const std::uint16_t diskNumber = Get16(header + 34);
    const std::size_t recordLength = kZipCentralHeaderSize + nameLength + extraLength + commentLength;
    if (Get32(header) != kZipCentralHeaderSignature || headers.size() - at < recordLength)
        return false;
    entry.flags = Get16(header + 8);
    entry.method = Get16(header + 10);
    entry.dosTime = Get16(header + 12);
    entry.dosDate = Get16(header + 14);
    entry.crc = Get32(header + 16);
    entry.compressedSize = Get32(header + 20);
    entry.uncompressedSize = Get32(header + 24);
    entry.externalAttributes = Get32(header + 38);
    entry.localHeaderOffset = Get32(header + 42);
    entry.name.assign(header + kZipCentralHeaderSize, nameLength);
    const std::string_view extra(header + kZipCentralHeaderSize + nameLength, extraLength);
    const bool needsZip64 = entry.compressedSize == kZip32Marker || entry.uncompressedSize == kZip32Marker
        || entry.localHeaderOffset == kZip32Marker || diskNumber == kZip16Marker;
    if (needsZip64 ? !ApplyZip64Extra(extra, entry, diskNumber) : diskNumber != 0)
        return false;
    at += recordLength;
    // The entry and its data lie wholly before the directory.
    return entry.localHeaderOffset <= directoryOffset
        && directoryOffset - entry.localHeaderOffset >= kZipLocalHeaderSize
        && entry.compressedSize <= directoryOffset - entry.localHeaderOffset - kZipLocalHeaderSize;
}

} // namespace

bool ReadZipDirectory(
    const ZipReadAtFunction& readAt, std::uint64_t fileSize, CZipDirectory& directory, std::string& error)
{
    CDirectoryEnd end;
    if (!ReadDirectoryEnd(readAt, fileSize, end, error))
        return false;
    // Appending overwrites from the directory's start to the end of the file, so the directory must
    // lie exactly before its end records; anything else may be data we would destroy.
    if (end.directoryOffset > end.directoryEnd || end.directoryEnd - end.directoryOffset != end.directorySize) {
        error = "its central directory is not where its end record says";
        return false;
    }
    if (end.entryCount > end.directorySize / kZipCentralHeaderSize) {
        error = "its central directory is too short for the entries it counts";
        return false;
    }
    directory.directoryOffset = end.directoryOffset;
    directory.comment = std::move(end.comment);
    directory.rawHeaders.assign(end.directorySize, '\0');
    if (!readAt(end.directoryOffset, directory.rawHeaders.data(), directory.rawHeaders.size())) {
        error = "its central directory cannot be read";
        return false;
    }
    directory.entries.clear();
    directory.entries.reserve(end.entryCount);
    std::size_t at = 0;
    for (std::uint64_t index = 0; index < end.entryCount; ++index) {
        CZipEntryRecord entry;
        if (!ReadCentralHeader(directory.rawHeaders, at, end.directoryOffset, entry)) {
            error = "entry " + std::to_string(index + 1) + " of its central directory is damaged";
            return false;
        }
        directory.entries.push_back(std::move(entry));
    }
    if (at != directory.rawHeaders.size()) {
        error = "its central directory holds more than the entries it counts";
        return false;
    }
    return true;
}

} // namespace qor

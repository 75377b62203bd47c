#include "archive/zip/ZipVerifier.h"

#include "archive/zip/ZipBytes.h"
#include "archive/zip/ZipDirectoryReader.h"
#include "archive/zip/ZipFileIo.h"
#include "archive/zip/ZipInflater.h"
#include "foundation/RegularFile.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <zlib.h>

namespace qor {
namespace {

bool LocalHeaderMatches(int archive, const CZipEntryRecord& expected, std::uint64_t& dataOffset)
{
    char header[kZipLocalHeaderSize];
    if (!ReadAllAt(archive, header, sizeof header, expected.localHeaderOffset)
        || Get32(header) != kZipLocalHeaderSignature || Get16(header + 8) != kZipMethodDeflate
        || Get16(header + 26) != expected.name.size())
        return false;
    std::string name(expected.name.size(), '\0');
    const std::uint64_t nameOffset = expected.localHeaderOffset + kZipLocalHeaderSize;
    if (!ReadAllAt(archive, name.data(), name.size(), nameOffset) || name != expected.name)
        return false;
    dataOffset = nameOffset + name.size() + Get16(header + 28);
    return true;
}

bool SameEntry(const CZipEntryRecord& listed, const CZipEntryRecord& expected)
{
    return listed.name == expected.name && listed.method == kZipMethodDeflate && listed.crc == expected.crc
        && listed.uncompressedSize == expected.uncompressedSize;
}

} // namespace

std::vector<bool> VerifyZipEntries(const std::string& path, const std::vector<CZipEntryRecord>& expected)
{
    std::vector<bool> intact(expected.size(), false);
    const int archive = OpenRegularFile(path);
    if (archive < 0)
        return intact;
    const std::vector<std::optional<CVerifiedCopy>> copies = VerifyZipEntries(archive, expected);
    close(archive);
    for (std::size_t index = 0; index < copies.size(); ++index)
        intact[index] = copies[index].has_value();
    return intact;
}

std::vector<std::optional<CVerifiedCopy>> VerifyZipEntries(int archive, const std::vector<CZipEntryRecord>& expected)
{
    std::vector<std::optional<CVerifiedCopy>> copies(expected.size());
    struct stat status { };
    if (fstat(archive, &status) != 0)
        return copies;
    // The file was flushed; dropping its cached pages makes the reads below come from the disk.
    posix_fadvise(archive, 0, 0, POSIX_FADV_DONTNEED);
    CZipDirectory directory;
    std::string error;
    const auto readAt = [archive](std::uint64_t offset, char* into, std::size_t size) {
        return ReadAllAt(archive, into, size, offset);
    };
    if (!ReadZipDirectory(readAt, static_cast<std::uint64_t>(status.st_size), directory, error))
        return copies;
    std::unordered_map<std::uint64_t, const CZipEntryRecord*> byOffset;
    for (const CZipEntryRecord& entry : directory.entries)
        byOffset.emplace(entry.localHeaderOffset, &entry);
    CZipInflater inflater;
    CContentDigest digest;
    for (std::size_t index = 0; index < expected.size(); ++index) {
        const auto listed = byOffset.find(expected[index].localHeaderOffset);
        std::uint64_t dataOffset = 0;
        if (listed == byOffset.end() || !SameEntry(*listed->second, expected[index])
            || !LocalHeaderMatches(archive, expected[index], dataOffset))
            continue;
        // The sizes come from the file's directory, so a damaged directory cannot pass either.
        const CZipEntryRecord& entry = *listed->second;
        uLong crc = crc32(0, Z_NULL, 0);
        std::uint64_t produced = 0;
        std::uint64_t consumed = 0;
        const bool inflated = inflater.Inflate(
            archive, dataOffset, entry.compressedSize,
            [&](const unsigned char* bytes, std::size_t size) {
                crc = crc32_z(crc, bytes, size);
                digest.Add(bytes, size);
                produced += size;
                return true;
            },
            consumed);
        CVerifiedCopy copy;
        copy.size = produced;
        copy.digest = digest.Finish();
        if (inflated && consumed == entry.compressedSize && crc == entry.crc && produced == entry.uncompressedSize)
            copies[index] = copy;
    }
    return copies;
}

bool ZipEntryHoldsFile(int archive, const CZipEntryRecord& entry, int source)
{
    std::uint64_t dataOffset = 0;
    if (entry.method != kZipMethodDeflate || !LocalHeaderMatches(archive, entry, dataOffset))
        return false;
    CZipInflater inflater;
    std::string original;
    std::uint64_t compared = 0;
    std::uint64_t consumed = 0;
    const bool same = inflater.Inflate(
        archive, dataOffset, entry.compressedSize,
        [&](const unsigned char* bytes, std::size_t size) {
            original.resize(size);
            if (!ReadAllAt(source, original.data(), size, compared) || std::memcmp(original.data(), bytes, size) != 0)
                return false;
            compared += size;
            return true;
        },
        consumed);
    char beyond = 0;
    // The file must end where the entry does.
    return same && compared == entry.uncompressedSize && !ReadAllAt(source, &beyond, 1, compared);
}

} // namespace qor

#include "archive/zip/ZipVerifier.h"

#include "archive/zip/ZipBytes.h"
#include "archive/zip/ZipDirectoryReader.h"
#include "archive/zip/ZipFileIo.h"
#include "foundation/RegularFile.h"

#include <algorithm>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <zlib.h>

namespace qor {
namespace {

constexpr std::size_t kBlock = 65'536;

class CInflater {
public:
    CInflater() { m_ready = inflateInit2(&m_stream, -MAX_WBITS) == Z_OK; }
    ~CInflater()
    {
        if (m_ready)
            inflateEnd(&m_stream);
    }
    CInflater(const CInflater&) = delete;
    CInflater& operator=(const CInflater&) = delete;

    // Inflates exactly compressedSize bytes at dataOffset; true when they form one complete deflate
    // stream whose output has the expected CRC-32 and size.
    bool Matches(int archive, std::uint64_t dataOffset, const CZipEntryRecord& expected)
    {
        if (!m_ready || inflateReset(&m_stream) != Z_OK)
            return false;
        uLong crc = crc32(0, Z_NULL, 0);
        std::uint64_t produced = 0;
        std::uint64_t remaining = expected.compressedSize;
        int status = Z_OK;
        while (status != Z_STREAM_END) {
            if (m_stream.avail_in == 0) {
                const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, kBlock));
                if (count == 0 || !ReadAllAt(archive, reinterpret_cast<char*>(m_input), count, dataOffset))
                    return false;
                dataOffset += count;
                remaining -= count;
                m_stream.next_in = m_input;
                m_stream.avail_in = static_cast<uInt>(count);
            }
            m_stream.next_out = m_output;
            m_stream.avail_out = kBlock;
            status = inflate(&m_stream, Z_NO_FLUSH);
            if (status != Z_OK && status != Z_STREAM_END)
                return false;
            const std::size_t count = kBlock - m_stream.avail_out;
            crc = crc32(crc, m_output, static_cast<uInt>(count));
            produced += count;
        }
        const bool consumedAll = remaining == 0 && m_stream.avail_in == 0;
        m_stream.avail_in = 0;
        return consumedAll && crc == expected.crc && produced == expected.uncompressedSize;
    }

private:
    z_stream m_stream{};
    bool m_ready = false;
    unsigned char m_input[kBlock];
    unsigned char m_output[kBlock];
};

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
    const int archive = OpenRegularFile(path);
    if (archive < 0)
        return std::vector<bool>(expected.size(), false);
    std::vector<bool> intact = VerifyZipEntries(archive, expected);
    close(archive);
    return intact;
}

std::vector<bool> VerifyZipEntries(int archive, const std::vector<CZipEntryRecord>& expected)
{
    std::vector<bool> intact(expected.size(), false);
    struct stat status { };
    if (fstat(archive, &status) != 0)
        return intact;
    // The file was flushed; dropping its cached pages makes the reads below come from the disk.
    posix_fadvise(archive, 0, 0, POSIX_FADV_DONTNEED);
    CZipDirectory directory;
    std::string error;
    const auto readAt = [archive](std::uint64_t offset, char* into, std::size_t size) {
        return ReadAllAt(archive, into, size, offset);
    };
    if (!ReadZipDirectory(readAt, static_cast<std::uint64_t>(status.st_size), directory, error))
        return intact;
    std::unordered_map<std::uint64_t, const CZipEntryRecord*> byOffset;
    for (const CZipEntryRecord& entry : directory.entries)
        byOffset.emplace(entry.localHeaderOffset, &entry);
    auto inflater = std::make_unique<CInflater>();
    for (std::size_t index = 0; index < expected.size(); ++index) {
        const auto listed = byOffset.find(expected[index].localHeaderOffset);
        std::uint64_t dataOffset = 0;
        if (listed == byOffset.end() || !SameEntry(*listed->second, expected[index])
            || !LocalHeaderMatches(archive, expected[index], dataOffset))
            continue;
        // The sizes come from the file's directory, so a damaged directory cannot pass either.
        intact[index] = inflater->Matches(archive, dataOffset, *listed->second);
    }
    return intact;
}

} // namespace qor

#include "archive/zip/ZipEntryWriter.h"

#include "archive/zip/ZipFileIo.h"
#include "foundation/Utf8Text.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

constexpr std::size_t kReadBlock = 65'536;
constexpr std::size_t kWriteBlock = 262'144;
// Deflate can grow data that does not compress by a few bytes a block; a source this large gets
// ZIP64 sizes in its local header so that the real sizes always fit when they are put in.
constexpr std::uint64_t kZip64SourceSize = 0xF000'0000;

// MS-DOS time in local time; the format cannot express anything before 1980.
void SetDosTime(std::time_t modified, CZipEntryRecord& entry)
{
    std::tm local{};
    if (!localtime_r(&modified, &local) || local.tm_year < 80) {
        entry.dosDate = (1 << 5) | 1;
        entry.dosTime = 0;
        return;
    }
    entry.dosDate = static_cast<std::uint16_t>(((local.tm_year - 80) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    entry.dosTime = static_cast<std::uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
}

bool NeedsUtf8Flag(std::string_view name)
{
    return std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })
        && IsValidUtf8(name);
}

bool IsZip64Header(const CZipEntryRecord& entry, std::uint64_t sourceSize)
{
    return sourceSize >= kZip64SourceSize || entry.compressedSize >= kZip32Marker
        || entry.uncompressedSize >= kZip32Marker;
}

ssize_t ReadBlock(int source, unsigned char* into)
{
    ssize_t count = 0;
    do
        count = read(source, into, kReadBlock);
    while (count < 0 && errno == EINTR);
    return count;
}

} // namespace

CZipEntryWriter::CZipEntryWriter()
    : m_input(new unsigned char[kReadBlock])
    , m_output(new unsigned char[kWriteBlock])
{
    // Negative window bits: raw deflate data, as ZIP stores it, without zlib's own wrapper.
    m_ready = deflateInit2(&m_stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
}

CZipEntryWriter::~CZipEntryWriter()
{
    if (m_ready)
        deflateEnd(&m_stream);
}

CZipEntryWriter::Result CZipEntryWriter::Write(int source, const std::string& name, int archive, std::uint64_t offset,
    const std::atomic<bool>& cancelled, CZipEntryRecord& entry, std::uint64_t& entryEnd)
{
    struct stat status { };
    if (fstat(source, &status) != 0)
        return Result::SourceFailed;
    if (!m_ready) {
        errno = ENOMEM;
        return Result::ArchiveFailed;
    }
    entry = CZipEntryRecord{};
    entry.name = name;
    entry.flags = NeedsUtf8Flag(name) ? kZipFlagUtf8Name : 0;
    entry.localHeaderOffset = offset;
    entry.externalAttributes = static_cast<std::uint32_t>(status.st_mode & 0xFFFF) << 16;
    SetDosTime(status.st_mtime, entry);
    const std::uint64_t sourceSize = static_cast<std::uint64_t>(status.st_size);
    const bool zip64 = IsZip64Header(entry, sourceSize);
    const std::string header = EncodeLocalHeader(entry, zip64);
    if (!WriteAllAt(archive, header, offset))
        return Result::ArchiveFailed;
    const Result deflated = Deflate(source, archive, offset + header.size(), cancelled, entry);
    if (deflated != Result::Written)
        return deflated;
    // A source that grew past what its header can hold while it was read cannot be described.
    if (zip64 != IsZip64Header(entry, sourceSize))
        return Result::SourceFailed;
    entryEnd = offset + header.size() + entry.compressedSize;
    return WriteAllAt(archive, EncodeLocalHeader(entry, zip64), offset) ? Result::Written : Result::ArchiveFailed;
}

CZipEntryWriter::Result CZipEntryWriter::Deflate(
    int source, int archive, std::uint64_t dataOffset, const std::atomic<bool>& cancelled, CZipEntryRecord& entry)
{
    deflateReset(&m_stream);
    uLong crc = crc32(0, Z_NULL, 0);
    std::uint64_t written = 0;
    int flush = Z_NO_FLUSH;
    do {
        if (cancelled.load())
            return Result::Cancelled;
        const ssize_t count = ReadBlock(source, m_input.get());
        if (count < 0)
            return Result::SourceFailed;
        crc = crc32(crc, m_input.get(), static_cast<uInt>(count));
        entry.uncompressedSize += static_cast<std::uint64_t>(count);
        flush = count == 0 ? Z_FINISH : Z_NO_FLUSH;
        m_stream.next_in = m_input.get();
        m_stream.avail_in = static_cast<uInt>(count);
        do {
            m_stream.next_out = m_output.get();
            m_stream.avail_out = kWriteBlock;
            deflate(&m_stream, flush);
            const std::size_t produced = kWriteBlock - m_stream.avail_out;
            const std::string_view bytes(reinterpret_cast<const char*>(m_output.get()), produced);
            if (!WriteAllAt(archive, bytes, dataOffset + written))
                return Result::ArchiveFailed;
            written += produced;
        } while (m_stream.avail_out == 0);
    } while (flush != Z_FINISH);
    entry.crc = static_cast<std::uint32_t>(crc);
    entry.compressedSize = written;
    return Result::Written;
}

} // namespace qor

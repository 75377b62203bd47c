// Writes one entry into an archive file: its local header, the source deflated by zlib at the
// default level (read in 65,536-byte blocks) and its CRC-32, then the header again with the real
// sizes. One deflate stream serves every entry of a run, so small calls cost no set-up each.
#pragma once

#include "archive/zip/ZipRecords.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <zlib.h>

namespace qor {

class CZipEntryWriter {
public:
    enum class Result { Written, SourceFailed, ArchiveFailed, Cancelled };

    CZipEntryWriter();
    ~CZipEntryWriter();
    CZipEntryWriter(const CZipEntryWriter&) = delete;
    CZipEntryWriter& operator=(const CZipEntryWriter&) = delete;

    // Writes the open source under name at offset of the archive; on Written, entry describes what
    // was written and entryEnd is the offset just past it. Anything else may leave bytes past offset
    // that the caller overwrites or cuts off; errno tells why a read or write failed.
    Result Write(int source, const std::string& name, int archive, std::uint64_t offset,
        const std::atomic<bool>& cancelled, CZipEntryRecord& entry, std::uint64_t& entryEnd);

private:
    Result Deflate(
        int source, int archive, std::uint64_t dataOffset, const std::atomic<bool>& cancelled, CZipEntryRecord& entry);

    z_stream m_stream{};
    bool m_ready = false;
    std::unique_ptr<unsigned char[]> m_input;
    std::unique_ptr<unsigned char[]> m_output;
};

} // namespace qor

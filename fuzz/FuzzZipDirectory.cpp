// Feeds arbitrary bytes to the reader of existing ZIP central directories, which meets files from
// anywhere when a job appends to an archive. A directory it accepts must describe entries that lie
// before it, and written back the way an append writes it, must read back the same.
#include "archive/zip/ZipCentralDirectory.h"
#include "archive/zip/ZipDirectoryReader.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

qor::ZipReadAtFunction ReaderOf(std::string_view file)
{
    return [file](std::uint64_t offset, char* into, std::size_t size) {
        if (offset > file.size() || size > file.size() - offset)
            return false;
        std::memcpy(into, file.data() + offset, size);
        return true;
    };
}

bool SameEntries(const qor::CZipDirectory& first, const qor::CZipDirectory& second)
{
    if (first.entries.size() != second.entries.size() || first.rawHeaders != second.rawHeaders
        || first.comment != second.comment || first.directoryOffset != second.directoryOffset)
        return false;
    for (std::size_t index = 0; index < first.entries.size(); ++index) {
        const qor::CZipEntryRecord& a = first.entries[index];
        const qor::CZipEntryRecord& b = second.entries[index];
        if (a.name != b.name || a.crc != b.crc || a.compressedSize != b.compressedSize
            || a.uncompressedSize != b.uncompressedSize || a.localHeaderOffset != b.localHeaderOffset)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    qor::CZipDirectory directory;
    std::string error;
    if (!qor::ReadZipDirectory(ReaderOf(file), size, directory, error)) {
        if (error.empty())
            std::abort();
        return 0;
    }
    if (directory.directoryOffset > size)
        std::abort();
    for (const qor::CZipEntryRecord& entry : directory.entries)
        if (entry.localHeaderOffset + 30 + entry.compressedSize > directory.directoryOffset)
            std::abort();

    const std::string rewritten = std::string(file.substr(0, directory.directoryOffset))
        + qor::CZipCentralDirectory(directory).Encode(directory.directoryOffset);
    qor::CZipDirectory again;
    if (!qor::ReadZipDirectory(ReaderOf(rewritten), rewritten.size(), again, error) || !SameEntries(directory, again))
        std::abort();
    return 0;
}

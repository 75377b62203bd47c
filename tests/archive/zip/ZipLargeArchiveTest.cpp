#include "ZipTools.h"
#include "archive/zip/ZipArchiver.h"
#include "archive/zip/ZipCentralDirectory.h"
#include "archive/zip/ZipFileIo.h"
#include "support/TestFolders.h"
#include "support/VerifiedSources.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

namespace qor {
namespace {

constexpr std::uint64_t kZeros = 0x1'0000'0000 + 0x10'0000; // just past 4 GiB

// The CRC-32 of kZeros zero bytes, doubled up from one MiB with zlib's combination.
std::uint32_t CrcOfZeros()
{
    const std::string mebibyte(0x10'0000, '\0');
    const uLong crcOfMebibyte
        = crc32(0, reinterpret_cast<const Bytef*>(mebibyte.data()), static_cast<uInt>(mebibyte.size()));
    uLong crc = crcOfMebibyte;
    for (std::uint64_t length = mebibyte.size(); length < kZeros - mebibyte.size(); length *= 2)
        crc = crc32_combine(crc, crc, static_cast<z_off_t>(length));
    return static_cast<std::uint32_t>(crc32_combine(crc, crcOfMebibyte, static_cast<z_off_t>(mebibyte.size())));
}

// An archive holding one stored entry of zeros just past 4 GiB long; the zeros are a hole in the
// file, so it takes no disk.
void WriteArchiveOfZeros(const std::string& path)
{
    CZipEntryRecord entry;
    entry.name = "zeros";
    entry.method = 0;
    entry.crc = CrcOfZeros();
    entry.compressedSize = entry.uncompressedSize = kZeros;
    entry.externalAttributes = 0100644u << 16;
    const std::string header = EncodeLocalHeader(entry, true);
    CZipCentralDirectory directory;
    directory.Add(entry);
    const std::uint64_t directoryOffset = header.size() + kZeros;
    const int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(descriptor, 0);
    EXPECT_TRUE(WriteAllAt(descriptor, header, 0));
    EXPECT_TRUE(WriteAllAt(descriptor, directory.Encode(directoryOffset), directoryOffset));
    close(descriptor);
}

TEST(ZipLargeArchive, EntriesPast4GiBGetZip64OffsetsThatUnzipAndPythonRead)
{
    test::CDataFolderSandbox sandbox;
    test::CTempFolder folder;
    const std::string target = folder.File("large.zip");
    WriteArchiveOfZeros(target);
    test::WriteRandomFile(folder.File("late.qor"), 100'000, 5);

    CZIPArchiver archiver(nullptr, nullptr);
    archiver.Add(target, folder.File("late.qor"), "", 0);
    ASSERT_EQ(archiver.Write(), 1);
    EXPECT_EQ(test::SourcesOf(archiver.Verified()), std::set<std::string>{ folder.File("late.qor") });
    EXPECT_EQ(archiver.SizeMB(), 4097);
    // Testing the 4 GiB of zeros again would take unzip half a minute; the new entry is what counts.
    EXPECT_TRUE(test::UnzipAccepts(target, "late.qor"));
    const std::string readLast = "import sys, zipfile; archive = zipfile.ZipFile(sys.argv[1]); "
                                 "entry = archive.infolist()[-1]; "
                                 "sys.exit(entry.header_offset < 2**32 or archive.read(entry) != "
                                 "open(sys.argv[2], \"rb\").read())";
    EXPECT_EQ(test::RunCommand("python3 -c '" + readLast + "' " + target + " " + folder.File("late.qor")), 0);
}

} // namespace
} // namespace qor

#include "archive/zip/ZipDirectoryReader.h"

#include "archive/zip/ZipCentralDirectory.h"

#include <cstring>
#include <gtest/gtest.h>

namespace qor {
namespace {

constexpr std::uint64_t k4GiB = 0x1'0000'0000;

// A file that is all zeros up to the directory, which is where the records under test lie; so
// offsets past 4 GiB cost no disk.
struct CSparseArchive {
    std::uint64_t directoryOffset;
    std::string tail;

    std::uint64_t Size() const { return directoryOffset + tail.size(); }
    bool ReadAt(std::uint64_t offset, char* into, std::size_t size) const
    {
        if (offset + size > Size())
            return false;
        for (std::size_t index = 0; index < size; ++index)
            into[index] = offset + index < directoryOffset ? '\0' : tail[offset + index - directoryOffset];
        return true;
    }
    bool Read(CZipDirectory& directory, std::string& error) const
    {
        return ReadZipDirectory(
            [this](std::uint64_t offset, char* into, std::size_t size) { return ReadAt(offset, into, size); }, Size(),
            directory, error);
    }
};

CZipEntryRecord Entry(const std::string& name, std::uint64_t offset, std::uint64_t size)
{
    CZipEntryRecord entry;
    entry.name = name;
    entry.crc = 0x12345678;
    entry.localHeaderOffset = offset;
    entry.compressedSize = size;
    entry.uncompressedSize = size * 3;
    return entry;
}

TEST(ZipDirectoryReader, ReadsBackZip64SizesAndOffsetsAndKeepsTheHeadersBytes)
{
    CZipCentralDirectory written;
    written.Add(Entry("small", 0, 100));
    written.Add(Entry("huge", 200, 5 * k4GiB));
    written.Add(Entry("far", 6 * k4GiB, 10));
    const CSparseArchive archive{ 7 * k4GiB, written.Encode(7 * k4GiB) };
    EXPECT_EQ(written.WrittenSize(archive.directoryOffset), archive.tail.size());

    CZipDirectory directory;
    std::string error;
    ASSERT_TRUE(archive.Read(directory, error)) << error;
    ASSERT_EQ(directory.entries.size(), 3u);
    EXPECT_EQ(directory.directoryOffset, archive.directoryOffset);
    for (std::size_t index = 0; index < 3; ++index) {
        const CZipEntryRecord& expected = written.AddedEntries()[index];
        const CZipEntryRecord& read = directory.entries[index];
        EXPECT_EQ(read.name, expected.name);
        EXPECT_EQ(read.localHeaderOffset, expected.localHeaderOffset);
        EXPECT_EQ(read.compressedSize, expected.compressedSize);
        EXPECT_EQ(read.uncompressedSize, expected.uncompressedSize);
        EXPECT_EQ(read.crc, expected.crc);
    }
    // Written back after an append, the old headers come out byte for byte.
    CZipCentralDirectory appended(directory);
    appended.Add(Entry("next", archive.directoryOffset, 1));
    EXPECT_EQ(appended.Encode(archive.directoryOffset + 100).substr(0, directory.rawHeaders.size()),
        archive.tail.substr(0, directory.rawHeaders.size()));
}

TEST(ZipDirectoryReader, RefusesEntriesAndDirectoriesThatLieOutsideTheirPlace)
{
    const auto refuses = [](const CZipCentralDirectory& written, std::uint64_t directoryOffset, std::string tail = {}) {
        const CSparseArchive archive{ directoryOffset, tail.empty() ? written.Encode(directoryOffset) : tail };
        CZipDirectory directory;
        std::string error;
        return !archive.Read(directory, error) && !error.empty();
    };
    CZipCentralDirectory reachingIntoDirectory;
    reachingIntoDirectory.Add(Entry("a", 1000, 1000));
    EXPECT_TRUE(refuses(reachingIntoDirectory, 1500)) << "its data would run into the directory";

    CZipCentralDirectory fine;
    fine.Add(Entry("a", 0, 10));
    std::string tail = fine.Encode(100);
    EXPECT_FALSE(refuses(fine, 100, tail));
    tail.insert(10, "gap");
    EXPECT_TRUE(refuses(fine, 100, tail)) << "the directory is longer than its end record says";
    tail = fine.Encode(100);
    tail[tail.size() - 12] = 2; // two entries counted, one there
    tail[tail.size() - 14] = 2;
    EXPECT_TRUE(refuses(fine, 100, tail));
    EXPECT_TRUE(refuses(fine, 100, tail.substr(0, tail.size() - 5)));
}

} // namespace
} // namespace qor

#include "archive/zip/ZipVerifier.h"

#include "archive/zip/ZipArchiver.h"
#include "archive/zip/ZipDirectoryReader.h"
#include "archive/zip/ZipFileIo.h"
#include "support/RecordingFolder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace qor {
namespace {

std::vector<CZipEntryRecord> EntriesOf(const std::string& path)
{
    const std::string content = test::ReadFileText(path);
    CZipDirectory directory;
    std::string error;
    const auto readAt = [&](std::uint64_t offset, char* into, std::size_t size) {
        return offset + size <= content.size() && (content.copy(into, size, offset), true);
    };
    EXPECT_TRUE(ReadZipDirectory(readAt, content.size(), directory, error)) << error;
    return directory.entries;
}

void FlipByteAt(const std::string& path, std::uint64_t offset)
{
    const int descriptor = open(path.c_str(), O_RDWR);
    char byte = 0;
    ASSERT_TRUE(ReadAllAt(descriptor, &byte, 1, offset));
    byte = static_cast<char>(byte ^ 0x5A);
    ASSERT_TRUE(WriteAllAt(descriptor, std::string_view(&byte, 1), offset));
    close(descriptor);
}

TEST(ZipVerifier, FindsEveryIntactEntryAndCatchesOneWhoseBytesChanged)
{
    test::CDataFolderSandbox sandbox;
    test::CRecordingFolder calls;
    const std::string target = calls.File("checked.zip");
    CZIPArchiver archiver(nullptr, nullptr);
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
        samplegen::CSampleCall call;
        call.seed = seed;
        archiver.Add(target, calls.Write("call" + std::to_string(seed) + ".qor", call), "", 0);
    }
    ASSERT_EQ(archiver.Write(), 3);
    const std::vector<CZipEntryRecord> entries = EntriesOf(target);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(VerifyZipEntries(target, entries), (std::vector<bool>{ true, true, true }));

    const CZipEntryRecord& middle = entries[1];
    FlipByteAt(target, middle.localHeaderOffset + 30 + middle.name.size() + middle.compressedSize / 2);
    EXPECT_EQ(VerifyZipEntries(target, entries), (std::vector<bool>{ true, false, true }));

    CZipEntryRecord wrongName = entries[0];
    wrongName.name = "other.qor";
    EXPECT_EQ(VerifyZipEntries(target, { wrongName }), std::vector<bool>{ false });
    EXPECT_EQ(VerifyZipEntries(calls.File("missing.zip"), entries), (std::vector<bool>{ false, false, false }));
}

} // namespace
} // namespace qor

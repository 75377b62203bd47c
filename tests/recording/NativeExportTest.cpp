#include "recording/NativeExport.h"

#include "recording/BookmarkRecordFile.h"
#include "samplegen/SampleRecording.h"
#include "support/TestFolders.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace qor {
namespace {

namespace fs = std::filesystem;
using test::ReadFileText;

class NativeExport : public ::testing::Test {
protected:
    // A minute-long GSM call bookmarked from 10 to 20 seconds.
    std::string WriteBookmarkedCall(int version, const std::string& passphrase)
    {
        samplegen::CSampleCall call;
        call.version = version;
        call.passphrase = passphrase;
        call.durationSeconds = 60;
        call.bookmarkStart = 10;
        call.bookmarkEnd = 20;
        call.comment = "Call back Monday";
        const std::string path = folder.File("User-20160129-134525.qor");
        EXPECT_TRUE(samplegen::WriteRecording(path, call));
        return path;
    }

    // Exports the bookmarked part and checks that it reads back as a plain ten-second call.
    void ExpectBookmarkExport(const std::string& sourcePath, const std::string& passphrase)
    {
        CRvRecordFile source;
        ASSERT_EQ(source.OpenAndWait(sourcePath, passphrase), 1);
        CBookmarkRecordFile cut(source, passphrase);
        cut.CropToBookmark();
        ASSERT_TRUE(WriteNative(cutPath, cut));

        EXPECT_EQ(fs::file_size(cutPath), CRvRecordFileHdr::kImageSize + 500 * 33);
        EXPECT_EQ(ReadFileText(cutPath).substr(0, 4), std::string("\x04\0\0\0", 4)) << "a plain version 4";
        CRvRecordFile exported;
        ASSERT_EQ(exported.OpenAndWait(cutPath, ""), 1);
        EXPECT_EQ(exported.GetHeader().GetCodecTag(), kCodecGsm);
        EXPECT_EQ(exported.GetHeader().Duration(), 10);
        EXPECT_EQ(exported.GetCallerId(), source.GetCallerId());
        int start = 0, end = 0;
        EXPECT_FALSE(exported.GetBookmark(start, end));
        EXPECT_TRUE(exported.GetComment().starts_with("Call back Monday"));
        EXPECT_EQ(exported.GetSampleCount(), 80'000);
    }

    test::CTempFolder folder;
    std::string cutPath = folder.File("cut.qor");
};

TEST_F(NativeExport, CopyIsByteForByteAndFailsWithoutHarm)
{
    const std::string source = WriteBookmarkedCall(4, "");
    test::WriteFileText(cutPath, std::string(2'000'000, 'x'));
    ASSERT_TRUE(ExportNativeCopy(source, cutPath));
    EXPECT_EQ(ReadFileText(cutPath), ReadFileText(source));

    test::WriteFileText(cutPath, "kept");
    EXPECT_FALSE(ExportNativeCopy(folder.File("missing.qor"), cutPath));
    EXPECT_FALSE(ExportNativeCopy(folder.Path(), cutPath)) << "a folder is not a recording";
    EXPECT_EQ(ReadFileText(cutPath), "kept");
    EXPECT_FALSE(ExportNativeCopy(source, folder.File("missing/copy.qor")));
    EXPECT_FALSE(fs::exists(folder.File("missing")));
}

TEST_F(NativeExport, BookmarkedPartOfAPlainCall)
{
    ExpectBookmarkExport(WriteBookmarkedCall(4, ""), "");
}

TEST_F(NativeExport, BookmarkedPartOfAnEncryptedCallIsWrittenPlain)
{
    // Its body is written plain, so an encrypted header would make the file unreadable.
    ExpectBookmarkExport(WriteBookmarkedCall(5, "demo"), "demo");
}

TEST_F(NativeExport, VersionOneKeepsItsShortHeaderAndALastFrameIsPadded)
{
    CRvRecordFile call;
    ASSERT_EQ(call.OpenAndWait(WriteBookmarkedCall(1, ""), ""), 1);
    ASSERT_TRUE(WriteNative(cutPath, call.GetHeader(), 1, call.GetSamples(0, 9000), CCallAccess{}));
    EXPECT_EQ(fs::file_size(cutPath), CRvRecordFileHdr::kVersion1Size + 57 * 33);
    CRvRecordFile exported;
    ASSERT_EQ(exported.OpenAndWait(cutPath, ""), 1);
    EXPECT_EQ(exported.GetHeader().Version(), 1);
    EXPECT_EQ(exported.GetSampleCount(), 57 * 160);
}

TEST_F(NativeExport, UnwritableDestinations)
{
    CRvRecordFile call;
    ASSERT_EQ(call.OpenAndWait(WriteBookmarkedCall(4, ""), ""), 1);
    EXPECT_FALSE(WriteNative(folder.File("missing/cut.qor"), call));
    EXPECT_FALSE(fs::exists(folder.File("missing")));

    fs::create_directory(cutPath);
    EXPECT_FALSE(WriteNative(cutPath, call)) << "a folder in the way";
    EXPECT_TRUE(fs::is_directory(cutPath));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 2)
        << "no temporary file is left behind";
}

} // namespace
} // namespace qor

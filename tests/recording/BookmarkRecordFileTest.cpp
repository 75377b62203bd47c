#include "recording/BookmarkRecordFile.h"

#include "samplegen/SampleRecording.h"
#include "support/RecordingFolder.h"
#include "support/TestFolders.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace qor {
namespace {

class BookmarkRecordFile : public ::testing::Test {
protected:
    std::string Write(const samplegen::CSampleCall& call) { return folder.Write("User-20160129-134525.qor", call); }

    test::CRecordingFolder folder;
};

TEST_F(BookmarkRecordFile, CroppingKeepsOnlyTheBookmarkedPart)
{
    samplegen::CSampleCall call;
    call.codecTag = kCodecMuLaw;
    call.durationSeconds = 60;
    call.bookmarkStart = 10;
    call.bookmarkEnd = 20;
    call.comment = "keep";
    const std::string path = Write(call);
    const std::string before = test::ReadFileText(path);

    CRvRecordFile source;
    ASSERT_EQ(source.OpenAndWait(path, ""), 1);
    ASSERT_EQ(source.GetSampleCount(), 480'000);
    CBookmarkRecordFile cut(source, "");
    cut.CropToBookmark();
    ASSERT_EQ(cut.GetSampleCount(), 80'000);
    EXPECT_EQ(cut.GetHeader().Duration(), 10);
    const auto kept = cut.GetSamples(0, 80'000);
    const auto original = source.GetSamples(80'000, 80'000);
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), original.begin()));
    int start = 0, end = 0;
    EXPECT_FALSE(cut.GetBookmark(start, end));
    EXPECT_TRUE(cut.GetComment().starts_with("keep"));
    EXPECT_EQ(test::ReadFileText(path), before) << "the source file is not changed";
    EXPECT_EQ(source.GetSampleCount(), 480'000);
}

TEST_F(BookmarkRecordFile, WithoutAStoredDurationTheProgramsRateApplies)
{
    samplegen::CSampleCall call;
    call.version = 3; // version 3 keeps a stored 0
    call.codecTag = kCodecALaw;
    call.durationSeconds = 30;
    call.storeDuration = false;
    call.bookmarkStart = 25;
    call.bookmarkEnd = 40; // past the end of the call
    const std::string path = Write(call);
    CRvRecordFile source;
    ASSERT_EQ(source.OpenAndWait(path, ""), 1);
    CBookmarkRecordFile cut(source, "");
    cut.CropToBookmark();
    EXPECT_EQ(cut.GetSampleCount(), 5 * 8000);
    EXPECT_EQ(cut.GetHeader().Duration(), 15);
}

TEST_F(BookmarkRecordFile, WithoutABookmarkNothingIsCut)
{
    const std::string path = Write(samplegen::CSampleCall{});
    CRvRecordFile source;
    ASSERT_EQ(source.OpenAndWait(path, ""), 1);
    CBookmarkRecordFile copy(source, "");
    copy.CropToBookmark();
    EXPECT_EQ(copy.GetSampleCount(), source.GetSampleCount());
    EXPECT_EQ(copy.GetHeader().Duration(), 10);
}

TEST_F(BookmarkRecordFile, TemporaryPathsLiveInAPrivateFolder)
{
    const std::string path = Write(samplegen::CSampleCall{});
    CRvRecordFile source;
    ASSERT_EQ(source.OpenAndWait(path, ""), 1);
    CBookmarkRecordFile copy(source, "");
    const std::filesystem::path temp = copy.MakeTempPath(".wav");
    EXPECT_EQ(temp.filename(), "User-20160129-134525.wav");
    EXPECT_TRUE(std::filesystem::is_directory(temp.parent_path()));
    EXPECT_EQ(std::filesystem::status(temp.parent_path()).permissions() & std::filesystem::perms::all,
        std::filesystem::perms::owner_all);
}

} // namespace
} // namespace qor

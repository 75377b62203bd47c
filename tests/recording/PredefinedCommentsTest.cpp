#include "recording/PredefinedComments.h"

#include "recording/Bookmark.h"
#include "support/TestFolders.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace qor {
namespace {

std::vector<std::string> Comments(const std::vector<std::string>& paths)
{
    std::vector<CCommentsFile> files;
    for (const std::string& path : paths)
        files.push_back({ path, std::nullopt });
    return LoadPredefinedComments(files).comments;
}

TEST(PredefinedComments, TheFirstTrustedFileGivesItsLinesElseTheSixteenDefaults)
{
    test::CTempFolder folder;
    const std::string own = folder.File("own.txt");
    const auto defaults = Comments({ folder.File("missing.txt") });
    ASSERT_EQ(defaults.size(), 16u);
    EXPECT_EQ(defaults.front(), "Product Interest");
    EXPECT_EQ(defaults.back(), "Great Sales Technique");

    test::WriteFileText(own, "\r\n\n");
    EXPECT_EQ(Comments({ own }), defaults) << "empty lines only";
    test::WriteFileText(own, "Called back\r\n\r\nCaf\xe9 order\n" + std::string(2000, 'x'));
    const auto lines = Comments({ own, folder.File("missing.txt") });
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Called back");
    EXPECT_EQ(lines[1], "Caf\xc3\xa9 order") << "a Windows-1252 file reads as the lists read headers";
    EXPECT_EQ(lines[2].size(), kCommentCapacity);
    // Found by fuzzing: a lone CR inside a line ended up inside the comment offered.
    test::WriteFileText(own, "** Sale **\r\nCall back Mday\r\x08\r\n\r\nPrice quote s\n\r\nP");
    EXPECT_EQ(Comments({ own }), (std::vector<std::string>{ "** Sale **", "Call back Mday", "\x08", "Price quote s", "P" }));

    // In a folder every user can write, a file that others can write too decides nothing.
    const std::string shared = folder.File("shared");
    std::filesystem::create_directory(shared);
    ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
    test::WriteFileText(shared + "/Comments.txt", "Planted\n");
    ASSERT_EQ(chmod((shared + "/Comments.txt").c_str(), 0666), 0);
    const CPredefinedComments planted = LoadPredefinedComments({ { shared + "/Comments.txt", std::nullopt } });
    EXPECT_EQ(planted.comments, defaults);
    ASSERT_EQ(planted.refused.size(), 1u) << "a file not used is said, for the dialog to show";
    EXPECT_EQ(planted.refused[0].first, shared + "/Comments.txt");
    ASSERT_EQ(chmod((shared + "/Comments.txt").c_str(), 0644), 0);
    EXPECT_EQ(
        Comments({ folder.File("missing.txt"), shared + "/Comments.txt" }), std::vector<std::string>{ "Planted" });
}

} // namespace
} // namespace qor

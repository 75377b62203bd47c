#include "recording/Bookmark.h"

#include "foundation/Utf8Text.h"

#include <gtest/gtest.h>

namespace qor {
namespace {

const std::string kBlock1020
    = "\r\n\r\n### System information do no edit! ###\r\n<bookmark>\r\n<bstart>00:00:10</bstart>\r\n"
      "<bend>00:00:20</bend>\r\n<bookmark>";

TEST(Bookmark, SettingOneOnAnEmptyCommentLaysOutTheWholeField)
{
    std::string comment;
    ASSERT_TRUE(WriteBookmark(comment, 10, 20));
    ASSERT_EQ(comment.size(), 1023u);
    EXPECT_EQ(comment.substr(0, 24), "Bookmark at:  00:00:10\r\n");
    ASSERT_EQ(kBlock1020.size(), 116u);
    EXPECT_EQ(comment.substr(1023 - 116), kBlock1020);
    EXPECT_EQ(comment.substr(24, 907 - 24), std::string(907 - 24, ' '));
    int start = 0, end = 0;
    ASSERT_TRUE(ParseBookmark(comment, start, end));
    EXPECT_EQ(start, 10);
    EXPECT_EQ(end, 20);
    EXPECT_EQ(CommentUserText(comment), "");
}

TEST(Bookmark, ReplacingKeepsTheUsersText)
{
    std::string comment = "Call back Monday";
    ASSERT_TRUE(WriteBookmark(comment, 10, 20));
    EXPECT_EQ(comment.substr(24, 16), "Call back Monday");
    EXPECT_EQ(CommentUserText(comment), "Call back Monday");

    ASSERT_TRUE(WriteBookmark(comment, 30, 40));
    EXPECT_EQ(comment.size(), 1023u);
    EXPECT_EQ(comment.substr(0, 40), "Bookmark at:  00:00:30\r\nCall back Monday");
    int start = 0, end = 0;
    ASSERT_TRUE(ParseBookmark(comment, start, end));
    EXPECT_EQ(start, 30);
    EXPECT_EQ(end, 40);
    EXPECT_EQ(comment.find("00:00:10"), std::string::npos);
}

TEST(Bookmark, NewWordsKeepTheBookmarkAsStoredAndNeverOverflowIt)
{
    std::string comment = "Call back Monday";
    ASSERT_TRUE(WriteBookmark(comment, 10, 20));
    const std::string stored = comment;
    ASSERT_EQ(CommentRoom(comment), 1023u - 24 - 116);
    ASSERT_TRUE(ReplaceCommentWords(comment, "Sold\r\ntwo lines"));
    EXPECT_EQ(comment.substr(0, 24), stored.substr(0, 24));
    EXPECT_EQ(comment.substr(1023 - 116), stored.substr(1023 - 116));
    EXPECT_EQ(CommentWholeText(comment), "Sold\r\ntwo lines");

    EXPECT_FALSE(ReplaceCommentWords(comment, std::string(CommentRoom(comment) + 1, 'x')));
    EXPECT_FALSE(ReplaceCommentWords(comment, "Bookmark at:  00:00:01\r\nlooks like ours"));
    EXPECT_EQ(CommentWholeText(comment), "Sold\r\ntwo lines") << "refused words change nothing";
    ASSERT_TRUE(ReplaceCommentWords(comment, std::string(CommentRoom(comment), 'x')));

    std::string plain = "old";
    ASSERT_TRUE(ReplaceCommentWords(plain, "hello   "));
    EXPECT_EQ(plain, "hello   ") << "a comment without a bookmark is the words as typed";
}

TEST(Bookmark, RemovingLeavesTheTextPaddedAndTouchesNothingWithoutOne)
{
    std::string comment = "Call back Monday";
    ASSERT_TRUE(WriteBookmark(comment, 10, 20));
    ASSERT_TRUE(WriteBookmark(comment, -1, -1));
    EXPECT_EQ(comment, "Call back Monday" + std::string(1023 - 16, ' '));
    int start = 0, end = 0;
    EXPECT_FALSE(ParseBookmark(comment, start, end));

    std::string plain = "no bookmark here";
    ASSERT_TRUE(WriteBookmark(plain, -1, -1));
    EXPECT_EQ(plain, "no bookmark here");

    // The same words typed by the user further on are the user's text, not a bookmark line.
    std::string typed = "Note: Bookmark at: the start of the call";
    ASSERT_TRUE(WriteBookmark(typed, -1, -1));
    EXPECT_EQ(typed, "Note: Bookmark at: the start of the call");
}

TEST(Bookmark, OnlyTheProgramsOwnLineIsTakenForABookmarkLine)
{
    const std::string note = "Bookmark at: reception desk - call Anna back Monday\r\nsecond line";
    std::string comment = note;
    ASSERT_TRUE(WriteBookmark(comment, 10, 20));
    EXPECT_EQ(comment.substr(0, 24 + note.size()), "Bookmark at:  00:00:10\r\n" + note);
    EXPECT_EQ(CommentUserText(comment), "Bookmark at: reception desk - call Anna back Monday");
    ASSERT_TRUE(WriteBookmark(comment, -1, -1));
    EXPECT_EQ(comment, note + std::string(1023 - note.size(), ' '));

    std::string noLineEnd = "Bookmark at: the desk";
    ASSERT_TRUE(WriteBookmark(noLineEnd, -1, -1));
    EXPECT_EQ(noLineEnd, "Bookmark at: the desk");

    // The user edited the line's CR LF away: the text stays, the block still goes.
    std::string edited = "Call back Monday";
    ASSERT_TRUE(WriteBookmark(edited, 10, 20));
    edited.erase(22, 2);
    ASSERT_TRUE(WriteBookmark(edited, -1, -1));
    EXPECT_EQ(edited.substr(0, 38), "Bookmark at:  00:00:10Call back Monday");
    EXPECT_EQ(edited.find("<bookmark>"), std::string::npos);
}

TEST(Bookmark, TheBlockNeverSplitsACharacter)
{
    std::string accents;
    for (int i = 0; i < 450; ++i)
        accents += "\xC3\xA9"; // é
    std::string comment = accents;
    ASSERT_TRUE(WriteBookmark(comment, 10, 20));
    ASSERT_EQ(comment.size(), 1023u);
    const std::string before = comment.substr(0, 1023 - 116);
    EXPECT_TRUE(IsValidUtf8(before)) << "no lone lead byte before the block";
    EXPECT_EQ(before.substr(before.find_last_not_of(' ') - 1, 2), "\xC3\xA9");
    ASSERT_TRUE(WriteBookmark(comment, -1, -1));
    EXPECT_TRUE(IsValidUtf8(comment));
}

TEST(Bookmark, InvalidPairsAreRefused)
{
    std::string comment = "text";
    for (const auto& [start, end] :
        std::vector<std::pair<int, int>>{ { 20, 10 }, { 10, 10 }, { -1, 5 }, { -2, -1 }, { 5, -1 } }) {
        EXPECT_FALSE(WriteBookmark(comment, start, end)) << start << "-" << end;
        EXPECT_EQ(comment, "text");
    }
}

TEST(Bookmark, DamagedBlocksHoldNoBookmark)
{
    std::string good;
    WriteBookmark(good, 10, 20);
    int start = 0, end = 0;
    const std::vector<std::string> damaged = { kBlock1020.substr(kBlock1020.find("<bookmark>")), // tag at position 0
        good.substr(0, good.rfind("<bookmark>")), // second tag missing
        good.substr(0, good.find("<bstart>")) + good.substr(good.find("<bend>") + 6), // no start tag
        [&] {
            std::string s = good;
            s.replace(s.find("<bstart>") + 8, 2, "xx");
            return s;
        }(),
        [&] {
            std::string s = good;
            s.replace(s.find("<bend>") + 6, 8, "        ");
            return s;
        }(),
        "" };
    for (const std::string& comment : damaged)
        EXPECT_FALSE(ParseBookmark(comment, start, end)) << comment.substr(0, 60);
}

TEST(Bookmark, StartsOfAHundredHoursOrMore)
{
    std::string comment;
    ASSERT_TRUE(WriteBookmark(comment, 360'000, 360'010));
    EXPECT_EQ(comment.substr(0, 25), "Bookmark at:  100:00:00\r\n");
    EXPECT_EQ(comment.size(), 1023u);
    int start = 0, end = 0;
    ASSERT_TRUE(ParseBookmark(comment, start, end));
    EXPECT_EQ(start, 360'000) << "the parser reads only the first 8 characters: 100:00:0";
    EXPECT_EQ(end, 360'001);

    std::string huge = "<x><bookmark><bstart>99999999</bstart><bend>1:1:1</bend><bookmark>";
    EXPECT_FALSE(ParseBookmark(huge, start, end)) << "too large for seconds";
}

TEST(Bookmark, UsersTextOfAComment)
{
    EXPECT_EQ(CommentUserText("  Call back Monday \r\nsecond line"), "Call back Monday");
    EXPECT_EQ(CommentUserText("   "), "");
    std::string comment = "Order 4471\r\nmore";
    WriteBookmark(comment, 1, 2);
    EXPECT_EQ(CommentUserText(comment), "Order 4471");
}

TEST(Bookmark, DurationText)
{
    EXPECT_EQ(FormatHhMmSs(3725), "01:02:05");
    EXPECT_EQ(FormatHhMmSs(360'000), "100:00:00");
    EXPECT_EQ(FormatHhMmSs(0), "00:00:00");
}

} // namespace
} // namespace qor

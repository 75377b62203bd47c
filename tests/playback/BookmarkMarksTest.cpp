#include "playback/BookmarkMarks.h"

#include <gtest/gtest.h>

namespace qor {
namespace {

using Step = CBookmarkMarks::Step;
constexpr std::int32_t kSecond = 8000;

TEST(BookmarkMarks, TheCycleStoresWholeSecondsSwapsAndClearsAsTheButtonsDo)
{
    CBookmarkMarks marks;
    EXPECT_EQ(marks.Next(), Step::Start);
    EXPECT_FALSE(marks.Press(20 * kSecond).store);
    EXPECT_EQ(marks.Next(), Step::End);
    const auto swapped = marks.Press(5 * kSecond + 100); // an end before the start
    EXPECT_TRUE(swapped.store);
    EXPECT_EQ(swapped.startSeconds, 5);
    EXPECT_EQ(swapped.endSeconds, 20);
    EXPECT_EQ(marks.Start(), 5 * kSecond + 100);
    EXPECT_EQ(marks.Next(), Step::Clear);
    const auto cleared = marks.Press(0);
    EXPECT_TRUE(cleared.store);
    EXPECT_EQ(cleared.startSeconds, -1);
    EXPECT_EQ(marks.Start(), -1);

    marks.Press(3 * kSecond);
    EXPECT_FALSE(marks.Press(3 * kSecond).store) << "the same position twice clears";
    EXPECT_EQ(marks.Start(), -1);
    EXPECT_EQ(marks.End(), -1);

    marks.Reset();
    marks.Press(0);
    EXPECT_FALSE(marks.Press(kSecond).store) << "an end at or before one second is shown, not stored";
    EXPECT_EQ(marks.End(), kSecond);
}

TEST(BookmarkMarks, CtrlBAndTheBracketKeysMarkFromWhereverTheCycleIs)
{
    CBookmarkMarks marks;
    marks.Load(true, 10, 30);
    EXPECT_EQ(marks.Next(), Step::Clear);
    EXPECT_EQ(marks.End(), 30 * kSecond);
    const auto cleared = marks.Press(12 * kSecond);
    EXPECT_TRUE(cleared.store && cleared.endSeconds == -1) << "Ctrl+B on a bookmark clears it";
    EXPECT_EQ(marks.Start(), -1) << "and starts nothing the user did not ask for";
    EXPECT_EQ(marks.Next(), Step::Start);
    marks.Press(12 * kSecond);
    EXPECT_EQ(marks.Start(), 12 * kSecond);

    const auto moved = marks.MarkStart(2 * kSecond);
    EXPECT_FALSE(moved.store) << "no end yet";
    const auto ended = marks.MarkEnd(9 * kSecond);
    EXPECT_TRUE(ended.store);
    EXPECT_EQ(ended.startSeconds, 2);
    EXPECT_EQ(ended.endSeconds, 9);
    const auto startMoved = marks.MarkStart(15 * kSecond);
    EXPECT_TRUE(startMoved.store) << "moving one end of a bookmark stores it again, in order";
    EXPECT_EQ(startMoved.startSeconds, 9);
    EXPECT_EQ(startMoved.endSeconds, 15);

    marks.Reset();
    const auto fromTheStart = marks.MarkEnd(40 * kSecond);
    EXPECT_EQ(fromTheStart.startSeconds, 0) << "an end alone bookmarks from the beginning";
    EXPECT_EQ(fromTheStart.endSeconds, 40);
}

} // namespace
} // namespace qor

#include "foundation/WildcardMatch.h"

#include <gtest/gtest.h>

namespace qor {
namespace {

TEST(WildcardMatch, StarAndQuestionMark)
{
    EXPECT_TRUE(WildcardMatch("*", ""));
    EXPECT_TRUE(WildcardMatch("*", "ANYTHING"));
    EXPECT_TRUE(WildcardMatch("", ""));
    EXPECT_FALSE(WildcardMatch("", "A"));
    EXPECT_TRUE(WildcardMatch("*123*", ">0123456"));
    EXPECT_TRUE(WildcardMatch("*123*", "<1234"));
    EXPECT_FALSE(WildcardMatch("*123*", "<1243"));
    EXPECT_TRUE(WildcardMatch("A?C", "ABC"));
    EXPECT_FALSE(WildcardMatch("A?C", "AC"));
    EXPECT_TRUE(WildcardMatch("**A**B*", "XAYBZ"));
    EXPECT_TRUE(WildcardMatch("*AB", "AAB"));
    EXPECT_FALSE(WildcardMatch("*AB", "ABA"));
    EXPECT_TRUE(WildcardMatch("*?", "X"));
    EXPECT_FALSE(WildcardMatch("*??", "X"));
}

TEST(WildcardMatch, ComparesCharactersExactly)
{
    EXPECT_FALSE(WildcardMatch("*user*", "USER-20160129"));
    EXPECT_TRUE(WildcardMatch("*USER*", "USER-20160129"));
    EXPECT_TRUE(WildcardMatch("*\xC9*", "CAF\xC9"));
}

TEST(WildcardMatch, LongTextsWithManyStarsStayFast)
{
    const std::string text(20000, 'A');
    EXPECT_FALSE(WildcardMatch("*A*A*A*A*A*B", text));
    EXPECT_TRUE(WildcardMatch("*A*A*A*A*A*", text));
}

} // namespace
} // namespace qor

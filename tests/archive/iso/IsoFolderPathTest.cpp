#include "archive/iso/IsoFolderPath.h"

#include <gtest/gtest.h>

namespace qor {
namespace {

using Levels = std::vector<std::string>;

TEST(IsoFolderPath, SplitsLevelsDropsTrailingBlanksAndDotsAndStopsAtAnEmptyLevel)
{
    EXPECT_EQ(SplitImageFolder(""), Levels{});
    EXPECT_EQ(SplitImageFolder("/"), Levels{});
    EXPECT_EQ(SplitImageFolder("/Rec/2015"), (Levels{ "Rec", "2015" }));
    EXPECT_EQ(SplitImageFolder("Mar 2015"), Levels{ "Mar 2015" });
    EXPECT_EQ(SplitImageFolder(" lead/trail   /x"), (Levels{ " lead", "trail", "x" }));
    EXPECT_EQ(SplitImageFolder("a//b"), Levels{ "a" });
    EXPECT_EQ(SplitImageFolder("a/   /b"), Levels{ "a" });
    EXPECT_EQ(SplitImageFolder("a/b/"), (Levels{ "a", "b" }));
    EXPECT_EQ(SplitImageFolder("../a/./.."), Levels{ "a" }) << "no level names a folder outside the image";
    EXPECT_EQ(SplitImageFolder("a\\b/c"), (Levels{ "a_b", "c" })) << "Joliet readers would split at a backslash";
}

} // namespace
} // namespace qor

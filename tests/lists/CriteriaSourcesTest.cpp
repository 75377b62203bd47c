#include "lists/CriteriaSources.h"

#include <gtest/gtest.h>

namespace qor {
namespace {

using Sources = std::vector<std::string>;

TEST(CriteriaSources, WithSubFoldersAFolderInsideAListedOneAddsNothing)
{
    Sources sources{ "/calls/2016" };
    EXPECT_FALSE(AddSource(sources, "/calls/2016/jan", true));
    EXPECT_FALSE(AddSource(sources, "/calls/2016", true));
    EXPECT_FALSE(AddSource(sources, "", true)) << "a cancelled chooser gives no folder";
    EXPECT_EQ(sources, Sources{ "/calls/2016" });

    // Whole path elements and case count: neither of these is inside /calls/2016.
    EXPECT_TRUE(AddSource(sources, "/calls/2016-old", true));
    EXPECT_TRUE(AddSource(sources, "/Calls/2016/jan", true));
    EXPECT_EQ(sources, (Sources{ "/calls/2016", "/calls/2016-old", "/Calls/2016/jan" }));

    Sources root{ "/" };
    EXPECT_FALSE(AddSource(root, "/calls", true)) << "a folder written with its final slash holds the rest";
}

TEST(CriteriaSources, WithSubFoldersAFolderHoldingListedOnesTakesTheirPlace)
{
    Sources sources{ "/archive", "/calls/2016/jan", "/calls/2016b", "/calls/2016/feb/", "/home" };
    EXPECT_TRUE(AddSource(sources, "/calls/2016", true));
    EXPECT_EQ(sources, (Sources{ "/archive", "/calls/2016", "/calls/2016b", "/home" }));

    Sources single{ "/calls/a.qor" };
    EXPECT_TRUE(AddSource(single, "/calls", true)) << "a recording file inside the folder is held too";
    EXPECT_EQ(single, Sources{ "/calls" });
}

TEST(CriteriaSources, WithoutSubFoldersEveryNewFolderIsAdded)
{
    Sources sources{ "/calls/2016" };
    EXPECT_TRUE(AddSource(sources, "/calls/2016/jan", false));
    EXPECT_TRUE(AddSource(sources, "/calls", false));
    EXPECT_FALSE(AddSource(sources, "/calls", false)) << "listing a folder twice would read it twice";
    EXPECT_EQ(sources, (Sources{ "/calls/2016", "/calls/2016/jan", "/calls" }));
}

TEST(CriteriaSources, SwitchingSubFoldersOnDropsTheSourcesOthersHold)
{
    Sources sources{ "/calls/2016/jan", "/backup/calls/2016", "/calls/2016", "/calls/2016x", "/calls/2016/jan/a.qor",
        "/backup/calls/2016" };
    PruneForSubFolders(sources);
    // A source that merely contains another's text elsewhere (/backup/calls/2016) stays, once.
    EXPECT_EQ(sources, (Sources{ "/backup/calls/2016", "/calls/2016", "/calls/2016x" }));

    Sources apart{ "/b", "/a" };
    PruneForSubFolders(apart);
    EXPECT_EQ(apart, (Sources{ "/b", "/a" }));
}

} // namespace
} // namespace qor

#include "review/ShortCuts.h"

#include "support/TestFolders.h"

#include <gtest/gtest.h>

namespace qor {
namespace {

using test::ReadFileText;
using test::WriteFileText;

class ShortCuts : public ::testing::Test {
protected:
    test::CDataFolderSandbox sandbox;
    CShortCuts shortCuts;
};

TEST_F(ShortCuts, WithoutAFileThereIsOneGroup)
{
    EXPECT_FALSE(shortCuts.Load());
    ASSERT_EQ(shortCuts.Entries().size(), 1u);
    EXPECT_TRUE(shortCuts.Entries()[0] == (CShortCuts::SHORTCUTENTRY{ 0, -1, "Shortcuts to Sources..", "", true }));
}

TEST_F(ShortCuts, FileHoldsOnlyShortcutElements)
{
    ASSERT_TRUE(shortCuts.Add({ 3, -1, "Office", "/srv/calls/office", false }));
    ASSERT_TRUE(shortCuts.Save());
    EXPECT_EQ(shortCuts.FilePath(), sandbox.UserData() + "/Veltrane/Qor Tolvane/Configuration/shortcut.xml");
    EXPECT_EQ(ReadFileText(shortCuts.FilePath()),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<profile version=\"1\">\n"
        "    <shortcut ID=\"3\">\n"
        "        <ParentID>-1</ParentID>\n"
        "        <Name>Office</Name>\n"
        "        <Target>/srv/calls/office</Target>\n"
        "        <IsGroup>0</IsGroup>\n"
        "    </shortcut>\n"
        "</profile>\n");

    WriteFileText(
        shortCuts.FilePath(), "<profile version=\"1\"><hotlist ID=\"3\"><Name>review</Name></hotlist></profile>");
    EXPECT_TRUE(shortCuts.Load());
    EXPECT_TRUE(shortCuts.Entries().empty());
}

} // namespace
} // namespace qor

#include "review/HotLists.h"

#include "support/TestFolders.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace qor {

static void PrintTo(const CTreeStoreEntry& entry, std::ostream* out)
{
    *out << "{" << entry.id << ", " << entry.parentId << ", \"" << entry.name << "\", \"" << entry.target << "\", "
         << entry.isGroup << "}";
}

namespace {

class HotLists : public ::testing::Test {
protected:
    test::CDataFolderSandbox sandbox;
    CHotLists hotLists;
};

TEST_F(HotLists, WithoutAFileTheMachineStartsWithFiveGroups)
{
    EXPECT_FALSE(hotLists.Load());
    EXPECT_EQ(hotLists.Entries(),
        (std::vector<CHotLists::HOTLISTENTRY>{
            { 0, -1, "Links to Recordings...", "", true },
            { 1, 0, "Important Calls", "", true },
            { 2, 0, "Won Sales", "", true },
            { 3, 0, "Lost Sales", "", true },
            { 4, 0, "Personal", "", true },
        }));
    EXPECT_FALSE(std::filesystem::exists(hotLists.FilePath())) << "loading writes nothing";
}

TEST_F(HotLists, FileIsTheUsersOwnKeptUnderAnyUmaskAndLaidOutPerEntry)
{
    ASSERT_TRUE(hotLists.Add({ 1, -1, "Important Calls", "", true }));
    ASSERT_TRUE(hotLists.Add({ 5, 1, LinkNameForFile("/calls/a & b.qor"), "/calls/a & b.qor", false }));
    const mode_t previous = umask(002);
    ASSERT_TRUE(hotLists.Save());
    umask(previous);
    struct stat status { };
    ASSERT_EQ(stat(hotLists.FilePath().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u) << "a file the umask left open would be refused as others'";
    CHotLists again;
    EXPECT_TRUE(again.Load()) << again.NotTrustedBecause();
    EXPECT_EQ(hotLists.FilePath(), sandbox.UserData() + "/Veltrane/Qor Tolvane/Configuration/hotlist.xml");
    EXPECT_EQ(test::ReadFileText(hotLists.FilePath()),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<profile version=\"1\">\n"
        "    <hotlist ID=\"1\">\n"
        "        <ParentID>-1</ParentID>\n"
        "        <Name>Important Calls</Name>\n"
        "        <Target/>\n"
        "        <IsGroup>1</IsGroup>\n"
        "    </hotlist>\n"
        "    <hotlist ID=\"5\">\n"
        "        <ParentID>1</ParentID>\n"
        "        <Name>a &amp; b.qor</Name>\n"
        "        <Target>/calls/a &amp; b.qor</Target>\n"
        "        <IsGroup>0</IsGroup>\n"
        "    </hotlist>\n"
        "</profile>\n");
}

TEST(LinkName, IsTheFilesBaseNameWithTheRecordingExtension)
{
    EXPECT_EQ(LinkNameForFile("/calls/2016/Jan/call 1.wav"), "call 1.qor");
    EXPECT_EQ(LinkNameForFile("/calls/v1.2/call"), "call.qor");
    EXPECT_EQ(LinkNameForFile("/calls/backup.2016.qor"), "backup.2016.qor");
}

} // namespace
} // namespace qor

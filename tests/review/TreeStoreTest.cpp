#include "foundation/Settings.h"
#include "review/HotLists.h"
#include "support/TestFolders.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <limits>
#include <tuple>

namespace qor {

static void PrintTo(const CTreeStoreEntry& entry, std::ostream* out)
{
    *out << "{" << entry.id << ", " << entry.parentId << ", \"" << entry.name << "\", \"" << entry.target << "\", "
         << entry.isGroup << "}";
}

namespace {

using test::ReadFileText;
using test::WriteFileText;
using FindBy = CTreeStore::FindBy;

CTreeStoreEntry Group(std::int32_t id, std::int32_t parentId)
{
    return { id, parentId, "group " + std::to_string(id), "", true };
}

CTreeStoreEntry Link(std::int32_t id, std::int32_t parentId, const std::string& target)
{
    return { id, parentId, LinkNameForFile(target), target, false };
}

std::vector<std::int32_t> Ids(const std::vector<CTreeStoreEntry>& entries)
{
    std::vector<std::int32_t> ids;
    ids.reserve(entries.size());
    for (const auto& entry : entries)
        ids.push_back(entry.id);
    return ids;
}

std::string Profile(const std::string& body)
{
    return "<?xml version=\"1.0\"?>\r\n<profile version=\"1\">" + body + "</profile>\r\n";
}

// Exercised through the calls-for-review store; the shortcut store shares every line of it.
class TreeStore : public ::testing::Test {
protected:
    // 0 { 1 { 3, 4 { 5 } }, 2 }, 6
    void SetUp() override
    {
        for (const auto& entry : { Group(0, -1), Group(1, 0), Link(2, 0, "/calls/b.qor"), Link(3, 1, "/calls/a.qor"),
                 Group(4, 1), Link(5, 4, "/calls/c.qor"), Group(6, -1) })
            ASSERT_TRUE(tree.Add(entry));
    }

    test::CDataFolderSandbox sandbox;
    CHotLists tree;
    CHotLists store;
};

TEST_F(TreeStore, IdsStayUnique)
{
    EXPECT_EQ(store.NewId(), -1);
    for (const std::int32_t id : { 5, 2, 9 })
        ASSERT_TRUE(store.Add(Group(id, -1)));
    EXPECT_EQ(store.NewId(), 10);
    EXPECT_FALSE(store.Add(Link(2, 5, "/calls/x.qor")));
    EXPECT_EQ(store.Find(2), Group(2, -1));

    // No id lies above the largest one: NewId then finds the smallest free one instead of wrapping.
    ASSERT_TRUE(store.Add(Group(std::numeric_limits<std::int32_t>::max(), -1)));
    EXPECT_EQ(store.NewId(), 0);
    EXPECT_TRUE(store.Add(Group(store.NewId(), -1)));
    EXPECT_EQ(store.NewId(), 1);
    EXPECT_FALSE(store.Add(Group(-1, -1))) << "-1 is no entry's id: it stands for the top";
    EXPECT_FALSE(store.Remove(-1));
    EXPECT_EQ(store.Entries().size(), 5u);
}

TEST_F(TreeStore, RemovingAGroupTakesEverythingBelowIt)
{
    EXPECT_TRUE(tree.Remove(1));
    EXPECT_EQ(Ids(tree.Entries()), (std::vector<std::int32_t>{ 0, 2, 6 }));
    EXPECT_FALSE(tree.Remove(1));
    EXPECT_FALSE(tree.Remove(99));

    // A hand-edited file may hold a parent loop; removal still ends and takes the whole loop.
    for (const auto& entry : { Group(10, 11), Group(11, 10), Link(12, 11, "/calls/d.qor") })
        ASSERT_TRUE(tree.Add(entry));
    EXPECT_TRUE(tree.Remove(10));
    EXPECT_EQ(Ids(tree.Entries()), (std::vector<std::int32_t>{ 0, 2, 6 }));
}

TEST_F(TreeStore, DuplicatesAndLinksToMissingCallsAreRemoved)
{
    // Children named A, B, A, C, A (the second A a group with a link below it): one of each stays.
    for (const auto& [id, name, group] : { std::tuple{ 20, "A", false }, std::tuple{ 21, "B", false },
             std::tuple{ 22, "A", true }, std::tuple{ 23, "C", false }, std::tuple{ 24, "A", false } })
        ASSERT_TRUE(tree.Add({ id, 6, name, group ? "" : "/calls/" + std::string(name), group }));
    ASSERT_TRUE(tree.Add(Link(25, 22, "/calls/e.qor")));
    EXPECT_EQ(tree.RemoveDuplicateChildren(6), 2);
    EXPECT_EQ(Ids(tree.Children(6)), (std::vector<std::int32_t>{ 20, 21, 23 }));
    EXPECT_FALSE(tree.Exists(25)) << "what was below a removed duplicate goes with it";
    EXPECT_EQ(tree.RemoveDuplicateChildren(6), 0);
    EXPECT_EQ(tree.RemoveDuplicateChildren(99), 0);

    const test::CTempFolder calls;
    test::WriteFileText(calls.File("kept.qor"), "call");
    std::filesystem::create_symlink(calls.File("gone"), calls.File("dangling.qor"));
    ASSERT_TRUE(tree.Add(Link(30, 1, calls.File("kept.qor"))));
    ASSERT_TRUE(tree.Add(Link(31, 1, calls.File("dangling.qor"))));
    const std::size_t before = tree.Entries().size();
    // The link to a link to nothing goes: its folder is there and holds no such call. Every other
    // link of the tree names a call in a folder that is not there (a share not mounted): kept.
    const CLinkCheck check = tree.RemoveLinksToMissingFiles();
    EXPECT_EQ(check.removed, 1);
    EXPECT_EQ(tree.Entries().size(), before - 1);
    EXPECT_TRUE(tree.Exists(30));
    EXPECT_FALSE(tree.Exists(31));
    ASSERT_EQ(check.unsure.size(), 6u);
    EXPECT_EQ(check.unsure[0].second, "its folder is not there now (a disk or share not mounted?)");
    EXPECT_TRUE(tree.Exists(4)) << "groups stay";
}

TEST_F(TreeStore, MoveKeepsTheTreeATree)
{
    const std::pair<std::int32_t, std::int32_t> refused[] = {
        { 1, 1 }, // into itself
        { 1, 4 }, // into its own sub-group
        { 0, 5 }, // under a link below itself
        { 2, 3 }, // under a link
        { 99, 0 },
        { 2, 99 },
    };
    for (const auto& [id, parentId] : refused)
        EXPECT_FALSE(tree.Move(id, parentId)) << id << " into " << parentId;
    EXPECT_EQ(Ids(tree.Entries()), (std::vector<std::int32_t>{ 0, 1, 2, 3, 4, 5, 6 }));
    EXPECT_EQ(tree.Find(1)->parentId, 0);

    EXPECT_TRUE(tree.Move(2, 4));
    EXPECT_EQ(Ids(tree.Children(4)), (std::vector<std::int32_t>{ 5, 2 })) << "a moved entry follows its new siblings";
    EXPECT_TRUE(tree.Move(4, 6));
    EXPECT_EQ(tree.LinksBelow(6), (std::vector<std::string>{ "/calls/c.qor", "/calls/b.qor" }));
    EXPECT_EQ(tree.LinksBelow(0), (std::vector<std::string>{ "/calls/a.qor" }));
}

TEST_F(TreeStore, QueriesFollowTheTreeDepthFirst)
{
    EXPECT_EQ(tree.LinksBelow(0), (std::vector<std::string>{ "/calls/a.qor", "/calls/c.qor", "/calls/b.qor" }));
    EXPECT_EQ(Ids(tree.Children(0)), (std::vector<std::int32_t>{ 1, 2 }));
    EXPECT_TRUE(tree.HasGroupChildren(1));
    EXPECT_FALSE(tree.HasGroupChildren(4));
    EXPECT_TRUE(tree.HasChildren(4));
    EXPECT_FALSE(tree.HasChildren(5));

    CTreeStoreEntry copy;
    EXPECT_FALSE(tree.GetCopy(99, copy));
    EXPECT_FALSE(tree.Rename(3, ""));
    EXPECT_TRUE(tree.Rename(3, "Call back"));
    ASSERT_TRUE(tree.GetCopy(3, copy));
    EXPECT_EQ(copy, (CTreeStoreEntry{ 3, 1, "Call back", "/calls/a.qor", false }));
}

TEST_F(TreeStore, FindWalksByIdOrParentAndStartsOverWhenDone)
{
    EXPECT_EQ(tree.FindFirst(1, FindBy::kParent)->id, 3);
    EXPECT_EQ(tree.FindNext(1, FindBy::kParent)->id, 4);
    EXPECT_EQ(tree.FindNext(1, FindBy::kParent), std::nullopt);
    EXPECT_EQ(tree.FindNext(1, FindBy::kParent)->id, 3) << "the cursor went back to the start";

    EXPECT_EQ(tree.FindFirst(-1, FindBy::kParent)->id, 0);
    EXPECT_EQ(tree.FindFirst(-1, FindBy::kParent)->id, 0) << "FindFirst starts over";
    EXPECT_EQ(tree.FindNext(-1, FindBy::kParent)->id, 6);

    EXPECT_EQ(tree.FindFirst(4, FindBy::kId)->name, "group 4");
    EXPECT_EQ(tree.FindNext(4, FindBy::kId), std::nullopt);
    EXPECT_EQ(tree.FindFirst(99, FindBy::kId), std::nullopt);
}

TEST_F(TreeStore, SavedTreeLoadsBackUnchanged)
{
    ASSERT_TRUE(tree.Add({ 7, 6, "Tom & Jerry <Sales> Müller – 東京", "/calls/R&D <2016>/Zoë \"1\".qor", false }));
    ASSERT_TRUE(tree.Add({ -3, 6, "negative", "", true }));
    ASSERT_TRUE(tree.Add({ 8, 6, "odd", "/calls/cr\r lf\n tab\t bell\x07 &amp; &#65; caf\xE9.qor", false }));
    ASSERT_TRUE(tree.Save());
    EXPECT_EQ(store.FilePath(), CSettings::GetConfigFilePath(true, "hotlist.xml"));
    EXPECT_TRUE(store.Load());
    EXPECT_EQ(store.Entries(), tree.Entries());
}

TEST_F(TreeStore, FirstElementOfAnIdWins)
{
    WriteFileText(store.FilePath(),
        Profile("<hotlist><Name>without id</Name></hotlist>"
                "<hotlist ID=\"0\"><Name>zero</Name></hotlist>"
                "<hotlist ID=\"x8\"><Name>not a number</Name></hotlist>"
                "<shortcut ID=\"3\"><Name>other store</Name></shortcut>"
                "<hotlist ID=\" 7\"><IsGroup>2</IsGroup><Target>/t</Target><ParentID>-1</ParentID></hotlist>"
                "<hotlist ID=\"7\"><Name>second</Name></hotlist>"
                "<hotlist ID=\"-1\"><ParentID>-1</ParentID><IsGroup>1</IsGroup></hotlist>"));
    EXPECT_TRUE(store.Load()) << "-1 is no id: it stands for the top";
    EXPECT_EQ(store.Entries(),
        (std::vector<CTreeStoreEntry>{ { 0, 0, "without id", "", false }, { 7, -1, "", "/t", true } }));
}

TEST_F(TreeStore, UnreadableFileGivesTheDefaultsAndIsKeptAside)
{
    const std::string damaged = Profile("<hotlist ID=\"9\">");
    WriteFileText(tree.FilePath(), damaged);
    EXPECT_FALSE(tree.Load());
    EXPECT_EQ(Ids(tree.Entries()), (std::vector<std::int32_t>{ 0, 1, 2, 3, 4 }));
    EXPECT_FALSE(std::filesystem::exists(tree.FilePath()));
    ASSERT_TRUE(tree.Save());
    int kept = 0;
    for (const auto& item : std::filesystem::directory_iterator(std::filesystem::path(tree.FilePath()).parent_path()))
        if (item.path().filename().string().starts_with("hotlist.xml.damaged-")) {
            EXPECT_EQ(ReadFileText(item.path()), damaged) << "the damaged store survives the save at exit";
            ++kept;
        }
    EXPECT_EQ(kept, 1);
    EXPECT_NE(test::LogEntries().back().find("hotlist.xml cannot be read; kept as"), std::string::npos);

    WriteFileText(tree.FilePath(), Profile(""));
    EXPECT_TRUE(tree.Load());
    EXPECT_TRUE(tree.Entries().empty());

    // Neither the root's name nor its version is looked at.
    WriteFileText(tree.FilePath(), "<list version=\"7\"><hotlist ID=\"9\"/></list>");
    EXPECT_TRUE(tree.Load());
    EXPECT_EQ(Ids(tree.Entries()), (std::vector<std::int32_t>{ 9 }));
}

TEST_F(TreeStore, EmptyStoreLeavesThePreviousFile)
{
    EXPECT_FALSE(store.Save());
    EXPECT_FALSE(std::filesystem::exists(store.FilePath()));
    ASSERT_TRUE(tree.Save());
    const std::string saved = ReadFileText(tree.FilePath());
    EXPECT_FALSE(store.Save());
    EXPECT_EQ(ReadFileText(store.FilePath()), saved);
}

// Two logins of one user change the store from what each read: a save takes back nothing the other
// saved. One renames and adds; the other removes a group and adds under the same new id.
TEST_F(TreeStore, SavesFromStaleCopiesKeepEachOthersChanges)
{
    ASSERT_TRUE(tree.Save());
    CHotLists first;
    CHotLists second;
    ASSERT_TRUE(first.Load());
    ASSERT_TRUE(second.Load());
    ASSERT_TRUE(first.Rename(2, "renamed"));
    ASSERT_TRUE(first.Add(Group(7, 6)));
    ASSERT_TRUE(first.Add(Link(8, 7, "/calls/first.qor")));
    ASSERT_TRUE(second.Remove(4));
    ASSERT_TRUE(second.Move(3, 6));
    ASSERT_TRUE(second.Add(Link(7, 0, "/calls/second.qor")));
    ASSERT_TRUE(first.Save());
    ASSERT_TRUE(second.Save());

    CHotLists reader;
    ASSERT_TRUE(reader.Load());
    std::vector<std::string> shown;
    for (const CTreeStoreEntry& entry : reader.Entries())
        shown.push_back(std::to_string(entry.parentId) + ">" + entry.name);
    EXPECT_EQ(shown,
        (std::vector<std::string>{ "-1>group 0", "0>group 1", "0>renamed", "-1>group 6", "6>group 7", "7>first.qor",
            "6>a.qor", "0>second.qor" }))
        << "4 and 5 gone, 3 moved, both additions kept under distinct ids";
    EXPECT_EQ(Ids(reader.Entries()), Ids(second.Entries())) << "the saver now holds what was saved";
}

TEST_F(TreeStore, AStoreUnchangedSinceItWasReadLeavesAHandMadeFileAsItIs)
{
    const std::string handMade
        = Profile("<hotlist ID=\"0\"><ParentID>-1</ParentID><IsGroup>1</IsGroup></hotlist>"
                  "<hotlist ID=\"1\"><ParentID>1</ParentID><Name>its own group</Name></hotlist>"
                  "<hotlist ID=\"2\"><ParentID>9</ParentID><Name>under nothing</Name></hotlist>");
    WriteFileText(store.FilePath(), handMade);
    ASSERT_TRUE(store.Load());
    EXPECT_TRUE(store.Save());
    EXPECT_EQ(ReadFileText(store.FilePath()), handMade);
}

TEST_F(TreeStore, TwoProgramsStartingWithoutAFileShareOneSetOfDefaultGroups)
{
    CHotLists first;
    CHotLists second;
    ASSERT_FALSE(first.Load());
    ASSERT_FALSE(second.Load());
    ASSERT_TRUE(first.Add(Link(first.NewId(), 1, "/calls/first.qor")));
    ASSERT_TRUE(second.Rename(4, "Mine"));
    ASSERT_TRUE(first.Save());
    ASSERT_TRUE(second.PickUpSavedChanges());
    ASSERT_TRUE(second.Save());

    CHotLists reader;
    ASSERT_TRUE(reader.Load());
    EXPECT_EQ(Ids(reader.Entries()), (std::vector<std::int32_t>{ 0, 1, 2, 3, 4, 5 }));
    EXPECT_EQ(reader.Find(4)->name, "Mine");
    EXPECT_EQ(reader.Find(5)->target, "/calls/first.qor");
}

TEST_F(TreeStore, PicksUpAnotherProgramsSaveAndKeepsItsOwnChanges)
{
    ASSERT_TRUE(tree.Save());
    CHotLists shown;
    ASSERT_TRUE(shown.Load());
    EXPECT_FALSE(shown.PickUpSavedChanges()) << "the file is as it was read";

    ASSERT_TRUE(shown.Rename(2, "not saved yet"));
    CHotLists other;
    ASSERT_TRUE(other.Load());
    ASSERT_TRUE(other.Add(Link(7, 6, "/calls/other.qor")));
    ASSERT_TRUE(other.Save());
    ASSERT_TRUE(shown.PickUpSavedChanges());
    ASSERT_TRUE(shown.Find(7).has_value());
    EXPECT_EQ(shown.Find(7)->parentId, 6);
    EXPECT_EQ(shown.Find(2)->name, "not saved yet");
    EXPECT_FALSE(shown.PickUpSavedChanges()) << "nothing new since";

    ASSERT_TRUE(shown.Save());
    ASSERT_TRUE(other.PickUpSavedChanges());
    EXPECT_EQ(other.Find(2)->name, "not saved yet") << "our rename reached the other program through the file";

    std::filesystem::remove(other.FilePath());
    EXPECT_FALSE(shown.PickUpSavedChanges()) << "a file gone takes nothing away";
    EXPECT_EQ(shown.Entries().size(), 8U);
}

} // namespace
} // namespace qor

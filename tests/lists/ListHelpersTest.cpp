#include "lists/CallFinder.h"
#include "lists/ListTitles.h"
#include "lists/QorTolvaneDoc.h"
#include "samplegen/SampleRecording.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

namespace qor {
namespace {

TEST(ListTitles, EachKindHasItsTitleAndLabel)
{
    EXPECT_EQ(ListTitle(kListFolder, "/calls/2016/", ""), "2016");
    EXPECT_EQ(ListTitle(kListFolder, "/calls/A folder with a long name", ""), "A folder with a l...");
    EXPECT_EQ(ListTitle(kListFolder, "/calls/exactly twenty chars", ""), "exactly twenty chars");
    EXPECT_EQ(ListTitle(kListFolder, "", ""), "Custom") << "a folder list without a folder is custom";
    EXPECT_EQ(ListTitle(kListCustom, "", "week.reclist"), "week.reclist");
    EXPECT_EQ(ListTitle(kListPlayHistory, "", ""), "Play History");

    EXPECT_EQ(ListLabel(kListFolder, "/calls/A folder with a long name", "now"), "A folder with a long name - now");
    EXPECT_EQ(ListLabel(kListCustom, "", "then"), "Custom Recordings - then");
    EXPECT_EQ(ListLabel(kListPlayHistory, "", "now"), "Play History - now");
    EXPECT_EQ(LastPathElement("/"), "/");

    // Counted in characters, not bytes.
    EXPECT_EQ(ListTitle(kListFolder, "/calls/\u0411\u0443\u0445\u0433\u0430\u043B\u0442\u0435\u0440\u0438\u044F", ""),
        "\u0411\u0443\u0445\u0433\u0430\u043B\u0442\u0435\u0440\u0438\u044F");
    EXPECT_EQ(ListTitle(kListFolder, "/calls/\u00C4rzte \u00FCber \u00D6sterreich und Co", ""),
        "\u00C4rzte \u00FCber \u00D6sterr...");
}

class CallFinder : public ::testing::Test {
protected:
    void Add(const char* user, const char* caller, const char* comment)
    {
        samplegen::CSampleCall call;
        call.userId = user;
        call.callerId = caller;
        call.comment = comment;
        call.durationSeconds = 1;
        const std::string path = folder.File(std::string(user) + ".qor");
        ASSERT_TRUE(samplegen::WriteRecording(path, call));
        auto entry = std::make_unique<CRvFileListEntry>();
        entry->SetPath(path);
        entry->LoadDetails("");
        entries.push_back(std::move(entry));
    }
    std::string Users(const std::vector<const CRvFileListEntry*>& found) const
    {
        std::string users;
        for (const auto* entry : found)
            users += entry->GetUserIdText().substr(0, 1);
        return users;
    }

    test::CTempFolder folder;
    std::vector<std::unique_ptr<CRvFileListEntry>> entries;
};

TEST_F(CallFinder, MatchesAnywhereWithoutCaseInTheChosenField)
{
    Add("alice", ">0123", "order 4471");
    Add("bruno", "<4471", "call back");
    Add("carla", "<0999>", "Alice called");
    EXPECT_EQ(Users(FindCalls(entries, FindField::All, "alice", FindDirection::Both)), "ac");
    EXPECT_EQ(Users(FindCalls(entries, FindField::UserId, "ALICE", FindDirection::Both)), "a");
    EXPECT_EQ(Users(FindCalls(entries, FindField::CallerId, "4471", FindDirection::Both)), "b");
    EXPECT_EQ(Users(FindCalls(entries, FindField::All, "4471", FindDirection::Both)), "ab");
    EXPECT_EQ(Users(FindCalls(entries, FindField::All, "4471", FindDirection::IncomingOnly)), "a");
    EXPECT_EQ(Users(FindCalls(entries, FindField::All, "0", FindDirection::OutgoingOnly)), "")
        << "<0999> has no direction";
    EXPECT_EQ(Users(FindCalls(entries, FindField::Comment, "c?ll", FindDirection::Both)), "bc");
    EXPECT_TRUE(FindCalls(entries, FindField::All, "", FindDirection::Both).empty());
}

TEST_F(CallFinder, MatchesTheShownTextWithUnicodeCaseFolding)
{
    Add("m\u00FCller", ">0123", "Stra\u00DFe");
    Add("nobody", ">M\xFCnchen office", ""); // Windows-1252 from an old recorder
    EXPECT_EQ(Users(FindCalls(entries, FindField::UserId, "M\u00DCLLER", FindDirection::Both)), "m");
    EXPECT_EQ(Users(FindCalls(entries, FindField::UserId, "m?ller", FindDirection::Both)), "m")
        << "? stands for one character, however many bytes it takes";
    EXPECT_EQ(Users(FindCalls(entries, FindField::Comment, "STRASSE", FindDirection::Both)), "m");
    EXPECT_EQ(Users(FindCalls(entries, FindField::CallerId, "m\u00FCnchen", FindDirection::Both)), "n");
    EXPECT_EQ(entries[1]->GetCallerIdText(), ">M\u00FCnchen office") << "shown as UTF-8";
}

} // namespace
} // namespace qor

#include "lists/QorTolvaneDoc.h"

#include "samplegen/SampleRecording.h"
#include "support/MemoryLimit.h"
#include "support/RecordingFolder.h"
#include "support/TestFolders.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace qor {
namespace {

namespace fs = std::filesystem;
using samplegen::CSampleCall;
using test::ReadFileText;
using test::WriteFileText;

class QorTolvaneDoc : public ::testing::Test {
protected:
    std::string Write(const std::string& name, CSampleCall call = {})
    {
        call.durationSeconds = 2;
        return folder.Write(name, call);
    }

    std::unique_ptr<CRvFileListEntry> EntryFor(const std::string& path)
    {
        auto entry = std::make_unique<CRvFileListEntry>();
        entry->SetPath(path);
        entry->LoadDetails("");
        return entry;
    }

    test::CRecordingFolder folder;
    CQorTolvaneDoc document;
};

TEST_F(QorTolvaneDoc, SavesFiveExactLinesForTwoRecordings)
{
    const std::string first = Write("Tom & Jerry.qor");
    const std::string second = Write("b.qor");
    ASSERT_TRUE(document.AddEntry(EntryFor(first)));
    ASSERT_TRUE(document.AddEntry(EntryFor(second)));
    document.SetFolder("/calls/<all>");
    std::vector<int> progress;
    ASSERT_TRUE(document.Save(folder.File("list.reclist"), [&](int index) { progress.push_back(index); }));
    EXPECT_EQ(ReadFileText(folder.File("list.reclist")),
        "<root>\r\n   <rec>" + folder.Path() + "/Tom &amp; Jerry.qor</rec>\r\n   <rec>" + second
            + "</rec>\r\n   <Folder>/calls/&lt;all&gt;</Folder>\r\n</root>\r\n");
    EXPECT_EQ(progress, (std::vector<int>{ 0, 1 }));
    EXPECT_FALSE(document.IsModified());

    CQorTolvaneDoc reloaded;
    EXPECT_TRUE(reloaded.Load(folder.File("list.reclist"), ""));
    ASSERT_EQ(reloaded.GetCount(), 2);
    EXPECT_EQ(reloaded.GetEntry(0)->GetPath(), first);
    EXPECT_EQ(reloaded.GetFolder(), "/calls/<all>");
    EXPECT_FALSE(reloaded.IsModified()) << "a list just loaded has nothing to save";
    reloaded.SetFolder("");
    EXPECT_TRUE(reloaded.Load(folder.File("list.reclist"), ""));
    EXPECT_FALSE(reloaded.IsModified()) << "appending only paths it lists already adds nothing";
    ASSERT_TRUE(reloaded.AddEntry(EntryFor(Write("c.qor"))));
    reloaded.SetModifiedFlag(false);
    CQorTolvaneDoc appended;
    ASSERT_TRUE(appended.AddEntry(EntryFor(folder.File("c.qor"))));
    appended.SetModifiedFlag(false);
    EXPECT_TRUE(appended.Load(folder.File("list.reclist"), ""));
    EXPECT_EQ(appended.GetCount(), 3);
    EXPECT_TRUE(appended.IsModified()) << "appending to a list changes it";
}

TEST_F(QorTolvaneDoc, EveryPathLinuxAllowsReadsBackExactly)
{
    const std::vector<std::string> names = { "a<b.qor", "x&amp;y.qor", "&lt;.qor", "&#65;.qor", "cr\rlf\n.qor",
        "tab\tand\x01.qor", "caf\xE9-latin1.qor", " spaced .qor", "]]>.qor" };
    for (const std::string& name : names)
        ASSERT_TRUE(document.AddEntry(EntryFor(Write(name)))) << name;
    document.SetFolder("/calls/&amp;<x>");
    ASSERT_TRUE(document.Save(folder.File("odd.reclist")));
    CQorTolvaneDoc reloaded;
    ASSERT_TRUE(reloaded.Load(folder.File("odd.reclist"), ""));
    ASSERT_EQ(reloaded.GetCount(), static_cast<int>(names.size()));
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(reloaded.GetEntry(static_cast<int>(i))->GetPath(), folder.File(names[i]));
    EXPECT_EQ(reloaded.GetFolder(), "/calls/&amp;<x>");
}

TEST_F(QorTolvaneDoc, LoadingCostsMemoryForTheEntriesNotTheMarkup)
{
    if (!test::CanLimitMemory())
        GTEST_SKIP() << "the sanitizers reserve too much address space for a memory limit";
    std::string markup = "<root>";
    markup.reserve(20'000'100);
    while (markup.size() < 20'000'000)
        markup += "<a/>";
    markup += "<rec>" + Write("a.qor") + "</rec></root>";
    WriteFileText(folder.File("huge.reclist"), markup);
    EXPECT_EQ(test::RunWithMemoryLimit(120'000'000,
                  [&] {
                      CQorTolvaneDoc list;
                      return list.Load(folder.File("huge.reclist"), "") && list.GetCount() == 1 ? 1 : 0;
                  }),
        1);
}

TEST_F(QorTolvaneDoc, AnEmptyListIsAnEmptyFile)
{
    WriteFileText(folder.File("old.reclist"), "<root></root>");
    ASSERT_TRUE(document.Save(folder.File("old.reclist")));
    EXPECT_EQ(fs::file_size(folder.File("old.reclist")), 0u);
    CQorTolvaneDoc reloaded;
    EXPECT_TRUE(reloaded.Load(folder.File("old.reclist"), ""));
    EXPECT_EQ(reloaded.GetCount(), 0);
}

TEST_F(QorTolvaneDoc, LoadTakesEveryTextAsAPathExceptTheFolder)
{
    const std::string a = Write("a.qor");
    const std::string upper = Write("A.qor");
    const std::string amp = Write("Tom & Jerry.qor");
    WriteFileText(folder.File("l.reclist"),
        "<?xml version=\"1.0\"?>\r\r\n<list>\r\r\n <group><call>" + a + "</call></group>\r\r\n <x><y><z>" + upper
            + "</z></y></x>\r\r\n <rec>" + amp + "</rec>\r\r\n <rec>" + a + "</rec>\r\r\n <rec>"
            + folder.File("gone.qor")
            + "</rec>\r\r\n <Folder>/first</Folder>\r\r\n"
              "<Folder>/calls</Folder>\r\r\n</LIST>\r\r\n");
    ASSERT_TRUE(document.Load(folder.File("l.reclist"), ""));
    ASSERT_EQ(document.GetCount(), 3) << "the repeated path and the vanished file are dropped";
    EXPECT_EQ(document.GetEntry(0)->GetPath(), a);
    EXPECT_EQ(document.GetEntry(1)->GetPath(), upper) << "paths differing in case are two recordings";
    EXPECT_EQ(document.GetEntry(2)->GetPath(), amp);
    EXPECT_EQ(document.GetFolder(), "/calls");
    EXPECT_TRUE(document.GetEntry(0)->IsLoaded());
}

TEST_F(QorTolvaneDoc, MalformedFilesKeepWhatCameBeforeAndExplainWhere)
{
    const std::string a = Write("a.qor");
    const std::string b = Write("b.qor");
    WriteFileText(folder.File("cut.reclist"), "<root>\r\n   <rec>" + a + "</rec>\r\n   <rec>" + b);
    CXmlError error;
    EXPECT_FALSE(document.Load(folder.File("cut.reclist"), "", &error));
    EXPECT_EQ(document.GetCount(), 1);
    EXPECT_EQ(error.line, 3);
    EXPECT_EQ(CQorTolvaneDoc::ParseErrorMessage("/x/cut.reclist", error),
        "Error parsing file /x/cut.reclist.\n\nLine 3, Column " + std::to_string(error.column)
            + ". Error 1: Unexpected end of file\n\nElement <rec> is not closed.");
    EXPECT_EQ(CQorTolvaneDoc::ParseErrorMessage("", error).substr(0, 21), "Error parsing file.\n\n");

    EXPECT_FALSE(document.Load(folder.File("missing.reclist"), "", &error));
    EXPECT_EQ(error.code, CXmlReader::kErrorCannotRead);

    // Plain text, or another document, is no list: said so, rather than opened as an empty one.
    for (const std::string& text : { a + "\n", std::string("<html><body>Notes</body></html>") }) {
        WriteFileText(folder.File("other.reclist"), text);
        CQorTolvaneDoc other;
        std::vector<std::string> notCalls;
        EXPECT_FALSE(other.Load(folder.File("other.reclist"), "", &error, &notCalls)) << text;
        EXPECT_EQ(error.code, CXmlReader::kErrorNotAList);
        EXPECT_EQ(other.GetCount(), 0);
        EXPECT_TRUE(notCalls.empty());
    }
}

TEST_F(QorTolvaneDoc, AListFromElsewhereOpensOnlyCalls)
{
    // Shown in a list, a private file could be exported or mailed without a second look.
    const std::string a = Write("a.qor");
    WriteFileText(folder.File("other.reclist"),
        "<root><rec>/etc/passwd</rec><rec>a.qor</rec><rec>" + a + "</rec><rec>" + folder.Path() + "</rec></root>");
    std::vector<std::string> notCalls;
    EXPECT_TRUE(document.Load(folder.File("other.reclist"), "", nullptr, &notCalls));
    ASSERT_EQ(document.GetCount(), 1);
    EXPECT_EQ(document.GetEntry(0)->GetPath(), a);
    EXPECT_EQ(notCalls, (std::vector<std::string>{ "/etc/passwd", "a.qor", folder.Path() }));
}

TEST_F(QorTolvaneDoc, TotalsFollowEveryChange)
{
    CSampleCall important;
    important.important = true;
    const std::string a = Write("a.qor", important);
    const std::string b = Write("b.qor");
    EXPECT_TRUE(document.AddEntry(EntryFor(a)));
    EXPECT_TRUE(document.AddCopy(*EntryFor(b)));
    EXPECT_FALSE(document.AddEntry(EntryFor(a))) << "already listed";
    EXPECT_FALSE(document.AddEntry(EntryFor(folder.File("gone.qor"))));
    EXPECT_FALSE(document.AddEntry(nullptr));
    EXPECT_EQ(document.GetImportantCount(), 1);
    EXPECT_EQ(document.GetTotalDuration(), 4);
    EXPECT_TRUE(document.IsModified());

    document.GetEntry(1)->SetImportant(1);
    EXPECT_EQ(document.GetImportantCount(), 2);
    document.GetEntry(1)->SetImportant(1);
    EXPECT_EQ(document.GetImportantCount(), 2) << "no change, no count";

    document.RemoveEntry(0);
    document.RemoveEntry(5);
    EXPECT_EQ(document.GetCount(), 1);
    EXPECT_EQ(document.GetImportantCount(), 1);
    EXPECT_EQ(document.GetTotalDuration(), 2);
    EXPECT_FALSE(document.Contains(a));
    EXPECT_TRUE(document.AddEntry(EntryFor(a))) << "a removed path may come back";

    document.SetModifiedFlag(false);
    document.Clear();
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(document.GetCount(), 0);
    EXPECT_EQ(document.GetImportantCount(), 0);
    EXPECT_EQ(document.GetTotalDuration(), 0);
}

TEST_F(QorTolvaneDoc, TotalsStayTheSumsWhenDetailsArriveLater)
{
    CSampleCall call;
    call.durationSeconds = 66;
    call.important = true;
    auto entry = std::make_unique<CRvFileListEntry>();
    entry->SetPath(folder.Write("late.qor", call));
    CRvFileListEntry* added = entry.get();
    ASSERT_TRUE(document.AddEntry(std::move(entry)));
    EXPECT_EQ(document.GetTotalDuration(), 0);
    added->LoadDetails("");
    EXPECT_EQ(document.GetTotalDuration(), 66);
    EXPECT_EQ(document.GetImportantCount(), 1);
    CRvFileListEntry copy = *added;
    copy.SetImportant(0);
    EXPECT_EQ(document.GetImportantCount(), 1) << "a copy is no part of the list";
    document.RemoveEntry(0);
    EXPECT_EQ(document.GetTotalDuration(), 0);
    EXPECT_EQ(document.GetImportantCount(), 0);
}

TEST_F(QorTolvaneDoc, SaveIntoAMissingFolderFails)
{
    ASSERT_TRUE(document.AddEntry(EntryFor(Write("a.qor"))));
    EXPECT_FALSE(document.Save(folder.File("no/such/list.reclist")));
    EXPECT_TRUE(document.IsModified());
}

} // namespace
} // namespace qor

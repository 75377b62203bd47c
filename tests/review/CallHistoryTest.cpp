#include "review/CallHistory.h"

#include "lists/QorTolvaneDoc.h"
#include "samplegen/SampleRecording.h"
#include "support/RecordingFolder.h"
#include "support/TestFolders.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace qor {
namespace {

namespace fs = std::filesystem;
using test::ReadFileText;
using test::WriteFileText;

class CallHistory : public ::testing::Test {
protected:
    std::string Write(const std::string& name, std::int32_t startTime)
    {
        samplegen::CSampleCall call;
        call.startTime = startTime;
        call.durationSeconds = 1;
        return folder.Write(name, call);
    }

    test::CDataFolderSandbox sandbox;
    test::CRecordingFolder folder;
    CCallHistory history;
};

TEST_F(CallHistory, RemembersEveryPlayOfAnExistingFile)
{
    const std::string call = Write("a & b.qor", 1'000);
    history.AddPlayed(call);
    history.AddPlayed(call);
    history.AddPlayed(call);
    history.AddPlayed(folder.File("gone.qor"));
    EXPECT_EQ(history.GetCount(), 3u);

    ASSERT_TRUE(history.Save());
    EXPECT_EQ(ReadFileText(CCallHistory::FilePath()),
        "<root>\r\r\n   <rec>" + folder.Path() + "/a &amp; b.qor</rec>\r\r\n   <rec>" + folder.Path()
            + "/a &amp; b.qor</rec>\r\r\n   <rec>" + folder.Path() + "/a &amp; b.qor</rec>\r\r\n</root>\r\r\n");
    EXPECT_EQ(CCallHistory::FilePath(), sandbox.UserBase() + "/Veltrane/Qor Tolvane/Configuration/history.reclist");
}

// A second login of the same user plays other calls: each save adds its own plays to the file.
TEST_F(CallHistory, TwoLoginsSavingKeepEachOthersPlays)
{
    const std::string a = Write("a.qor", 1'000);
    const std::string b = Write("b.qor", 2'000);
    const std::string c = Write("c.qor", 3'000);
    history.AddPlayed(a);
    ASSERT_TRUE(history.Save());
    CCallHistory first;
    CCallHistory second;
    first.Load();
    second.Load();
    first.AddPlayed(b);
    second.AddPlayed(c);
    ASSERT_TRUE(first.Save());
    ASSERT_TRUE(second.Save());
    CCallHistory reader;
    reader.Load();
    EXPECT_EQ(reader.GetPaths(), (std::vector<std::string>{ a, b, c }));

    second.Clear();
    second.AddPlayed(a);
    ASSERT_TRUE(second.Save());
    reader.Load();
    EXPECT_EQ(reader.GetPaths(), std::vector<std::string>{ a }) << "a cleared history starts again";
}

TEST_F(CallHistory, AnEmptyHistoryLeavesTheFileAlone)
{
    WriteFileText(CCallHistory::FilePath(), "kept");
    EXPECT_FALSE(history.Save());
    EXPECT_EQ(ReadFileText(CCallHistory::FilePath()), "kept");
}

TEST_F(CallHistory, LoadReadsEveryTextAndDropsVanishedFiles)
{
    const std::string a = Write("a.qor", 1'000);
    const std::string b = Write("b.qor", 2'000);
    history.AddPlayed(b);
    WriteFileText(CCallHistory::FilePath(),
        "<root>\r\r\n   <rec>" + a + "</rec>\r\r\n <x><y>" + b + "</y></x>\r\r\n <rec>" + folder.File("gone.qor")
            + "</rec>\r\r\n</ROOT>\r\r\n");
    history.Load();
    EXPECT_EQ(history.GetPaths(), (std::vector<std::string>{ a, b })) << "what was in memory is forgotten";

    fs::remove(CCallHistory::FilePath());
    history.Load();
    EXPECT_EQ(history.GetCount(), 0u);
}

TEST_F(CallHistory, StrangeNamesReadBackAndADamagedFileLosesNothing)
{
    const std::vector<std::string> paths
        = { Write("a<b.qor", 1), Write("x&amp;y.qor", 2), Write("&#65;.qor", 3), Write("cr\r.qor", 4) };
    for (const std::string& path : paths)
        history.AddPlayed(path);
    ASSERT_TRUE(history.Save());
    history.Load();
    auto expected = paths;
    std::reverse(expected.begin(), expected.end());
    auto read = history.GetPaths();
    std::sort(read.begin(), read.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(read, expected);

    const std::string plain = Write("plain.qor", 5);
    const std::string damaged = "<root><rec>" + plain + "</rec><rec>" + paths[0] + "</rec></root>";
    WriteFileText(CCallHistory::FilePath(), damaged);
    history.Load();
    EXPECT_EQ(history.GetPaths(), std::vector<std::string>{ plain }) << "what came before the damage stays";
    std::vector<std::string> aside;
    for (const auto& item : fs::directory_iterator(fs::path(CCallHistory::FilePath()).parent_path()))
        if (item.path().filename().string().starts_with("history.reclist.damaged-"))
            aside.push_back(item.path());
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(ReadFileText(aside[0]), damaged);
}

TEST_F(CallHistory, FillsAListNewestFirstWithoutRepeats)
{
    const std::string old = Write("old.qor", 1'000);
    const std::string recent = Write("recent.qor", 3'000);
    const std::string middle = Write("middle.qor", 2'000);
    for (const std::string& path : { old, recent, old, middle })
        history.AddPlayed(path);
    fs::remove(middle);

    CQorTolvaneDoc document;
    history.FillDocument(document);
    ASSERT_EQ(document.GetCount(), 2);
    EXPECT_EQ(document.GetEntry(0)->GetPath(), recent);
    EXPECT_EQ(document.GetEntry(1)->GetPath(), old);
    EXPECT_EQ(history.GetCount(), 4u) << "the store itself keeps every play";
    EXPECT_EQ(history.GetPaths().front(), recent) << "the store is left sorted, and saved that way";
}

} // namespace
} // namespace qor

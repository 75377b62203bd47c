#include "archive/zip/ZipArchiver.h"

#include "ZipTools.h"
#include "support/RecordingFolder.h"
#include "support/VerifiedSources.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace qor {
namespace {

namespace fs = std::filesystem;
using Entries = std::vector<std::pair<std::string, std::string>>;

samplegen::CSampleCall Call(std::uint32_t seed)
{
    samplegen::CSampleCall call;
    call.seed = seed;
    return call;
}

bool Contains(const std::vector<std::string>& texts, const std::string& part)
{
    return std::any_of(
        texts.begin(), texts.end(), [&](const std::string& text) { return text.find(part) != text.npos; });
}

std::vector<std::string> FolderContents(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(folder))
        names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ZipArchiver, WritesANewArchiveThatUnzipAndPythonReadByteForByte)
{
    test::CDataFolderSandbox sandbox;
    test::CRecordingFolder calls;
    const std::string first = calls.Write("in/1234-20150301-101500.qor", Call(1));
    const std::string second = calls.Write("in/5678-20150302-090000.qor", Call(2));
    const std::string third = calls.Write("in/loose.qor", Call(3));
    fs::create_directories(calls.File("out"));
    const std::string target = calls.File("out/calls.zip");

    std::vector<double> progress;
    test::CRecordedMessages messages;
    CZIPArchiver archiver([&](double percent) { progress.push_back(percent); }, &messages);
    EXPECT_EQ(archiver.Kind(), 2);
    EXPECT_EQ(archiver.Add(target, first, "1234", 0), 0);
    EXPECT_EQ(archiver.Add(target, second, "/../Mar 2015/./", 0), 0);
    EXPECT_EQ(archiver.Add(target, third, "", 0), 0);
    EXPECT_FALSE(fs::exists(target)) << "Add only queues";

    EXPECT_EQ(archiver.Write(), 3);
    EXPECT_EQ(archiver.Count(), 3);
    EXPECT_TRUE(messages.errors.empty());
    ASSERT_EQ(progress.size(), 3u);
    EXPECT_NEAR(progress[0], 100.0 / 3, 1e-9);
    EXPECT_EQ(progress[2], 100.0);
    EXPECT_EQ(test::SourcesOf(archiver.Verified()), (std::set<std::string>{ first, second, third }));
    EXPECT_EQ(FolderContents(calls.File("out")), std::vector<std::string>{ "calls.zip" }) << "no partial file left";
    EXPECT_TRUE(test::UnzipAccepts(target));
    EXPECT_TRUE(test::PythonReadsEntries(target,
        { { "1234/1234-20150301-101500.qor", first }, { "Mar 2015/5678-20150302-090000.qor", second },
            { "loose.qor", third } }));
    EXPECT_EQ(test::PythonEntryNames(target).size(), 3u);
    EXPECT_TRUE(Contains(test::LogEntries(), "Archiver: ZIP " + first + " -> " + target + " (1234/"));

    const auto written = fs::last_write_time(target);
    EXPECT_EQ(archiver.Write(), 0) << "the queue was emptied";
    EXPECT_EQ(fs::last_write_time(target), written);
}

TEST(ZipArchiver, AppendsToArchivesOfOursAndOfInfoZipKeepingEveryEntry)
{
    test::CDataFolderSandbox sandbox;
    test::CRecordingFolder calls;
    test::WriteFileText(calls.File("old/notes.txt"), "kept by the other tool\n");
    test::WriteFileText(calls.File("old/sub/more.txt"), std::string(5000, 'x'));
    ASSERT_EQ(test::RunCommand("cd " + calls.File("old") + " && zip -q -r ../infozip.zip notes.txt sub"), 0);
    const std::string infoZip = calls.File("infozip.zip");
    const std::string call = calls.Write("new/notes.txt", Call(4));

    CZIPArchiver archiver(nullptr, nullptr);
    archiver.Add(infoZip, call, "", 0);
    archiver.Add(infoZip, call, "again", 0);
    ASSERT_EQ(archiver.Write(), 2);
    EXPECT_TRUE(test::UnzipAccepts(infoZip));
    EXPECT_TRUE(test::PythonReadsEntries(infoZip,
        { { "notes.txt", calls.File("old/notes.txt") }, { "sub/", "" },
            { "sub/more.txt", calls.File("old/sub/more.txt") }, { "notes (2).txt", call },
            { "again/notes.txt", call } }))
        << "another file of a name the archive holds takes a numbered name";

    const std::string ours = calls.File("ours.zip");
    const std::string first = calls.Write("a.qor", Call(5));
    const std::string second = calls.Write("b.qor", Call(6));
    CZIPArchiver creating(nullptr, nullptr);
    creating.Add(ours, first, "x", 0);
    ASSERT_EQ(creating.Write(), 1);
    CZIPArchiver appending(nullptr, nullptr);
    appending.Add(ours, second, "y", 0);
    ASSERT_EQ(appending.Write(), 1);
    EXPECT_EQ(test::SourcesOf(appending.Verified()), std::set<std::string>{ second }) << "only what this run wrote";
    EXPECT_TRUE(test::UnzipAccepts(ours));
    EXPECT_TRUE(test::PythonReadsEntries(ours, { { "x/a.qor", first }, { "y/b.qor", second } }));
    EXPECT_FALSE(test::JournalWaits());
}

TEST(ZipArchiver, ThresholdLeavesOutTheCallThatCrossesItAndStillTakesSmallerOnes)
{
    test::CDataFolderSandbox sandbox;
    test::CTempFolder folder;
    const std::size_t sixTenths = IArchiver::kMegabyte * 6 / 10;
    test::WriteRandomFile(folder.File("first.qor"), sixTenths, 1);
    test::WriteRandomFile(folder.File("second.qor"), sixTenths, 2);
    test::WriteRandomFile(folder.File("small.qor"), IArchiver::kMegabyte / 10, 3);
    const std::string target = folder.File("limited.zip");

    CZIPArchiver archiver(nullptr, nullptr);
    archiver.SetThresholdMB(1);
    for (const char* name : { "first.qor", "second.qor", "small.qor" })
        archiver.Add(target, folder.File(name), "", 0);
    EXPECT_EQ(archiver.Write(), 2);
    EXPECT_EQ(archiver.Count(), 2);
    EXPECT_EQ(archiver.SizeMB(), 0);
    EXPECT_EQ(test::SourcesOf(archiver.Verified()),
        (std::set<std::string>{ folder.File("first.qor"), folder.File("small.qor") }));
    EXPECT_LT(fs::file_size(target), IArchiver::kMegabyte);
    EXPECT_TRUE(test::UnzipAccepts(target));
    EXPECT_TRUE(test::PythonReadsEntries(
        target, { { "first.qor", folder.File("first.qor") }, { "small.qor", folder.File("small.qor") } }));
    EXPECT_EQ(test::PythonEntryNames(target).size(), 2u);
}

TEST(ZipArchiver, MoreThan65535EntriesGetZip64RecordsThatUnzipAndPythonRead)
{
    test::CDataFolderSandbox sandbox;
    test::CTempFolder folder;
    constexpr int kCalls = 65'540;
    const std::string target = folder.File("many.zip");
    fs::create_directories(folder.File("c"));
    CZIPArchiver archiver(nullptr, nullptr);
    for (int index = 0; index < kCalls; ++index) {
        // Each tiny call holds its own name, so Python can check every entry's bytes.
        const std::string name = "c/" + std::to_string(index);
        test::WriteFileText(folder.File(name), name);
        archiver.Add(target, folder.File(name), "c", 0);
    }
    ASSERT_EQ(archiver.Write(), kCalls);
    EXPECT_EQ(test::SourcesOf(archiver.Verified()).size(), static_cast<std::size_t>(kCalls));

    test::WriteFileText(folder.File("c/last"), "c/last");
    CZIPArchiver appending(nullptr, nullptr);
    appending.Add(target, folder.File("c/last"), "c", 0);
    ASSERT_EQ(appending.Write(), 1) << "a ZIP64 directory of ours is read back for appending";

    EXPECT_TRUE(test::UnzipAccepts(target));
    const std::string everyEntryHoldsItsName
        = "import sys, zipfile; entries = zipfile.ZipFile(sys.argv[1]).infolist(); "
          "archive = zipfile.ZipFile(sys.argv[1]); "
          "sys.exit(len(entries) != int(sys.argv[2]) or any(archive.read(e) != "
          "e.filename.encode() for e in entries))";
    EXPECT_EQ(
        test::RunCommand("python3 -c '" + everyEntryHoldsItsName + "' " + target + " " + std::to_string(kCalls + 1)),
        0);
}

TEST(ZipArchiver, CancelStopsAtTheNextStepAndKeepsWhatWasWritten)
{
    test::CDataFolderSandbox sandbox;
    test::CRecordingFolder calls;
    const std::string target = calls.File("cancelled.zip");
    std::vector<std::string> sources;
    for (std::uint32_t index = 0; index < 4; ++index)
        sources.push_back(calls.Write("call" + std::to_string(index) + ".qor", Call(index)));

    CZIPArchiver* self = nullptr;
    CZIPArchiver archiver([&](double) { self->Cancel(); }, nullptr);
    self = &archiver;
    for (const std::string& source : sources)
        archiver.Add(target, source, "", 0);
    EXPECT_EQ(archiver.Write(), IArchiver::kCancelled);
    EXPECT_EQ(archiver.Count(), 1);
    EXPECT_EQ(test::SourcesOf(archiver.Verified()), std::set<std::string>{ sources[0] });
    EXPECT_TRUE(test::UnzipAccepts(target));
    EXPECT_EQ(test::PythonEntryNames(target), std::vector<std::string>{ "call0.qor" });
    const std::string written = test::ReadFileText(target);
    archiver.Add(target, sources[1], "", 0);
    EXPECT_EQ(archiver.Write(), IArchiver::kCancelled) << "a cancelled archiver stays cancelled";
    EXPECT_EQ(test::ReadFileText(target), written);
}

TEST(ZipArchiver, ASourceThatCannotBeReadIsLeftOutAndTheOthersGoIn)
{
    test::CDataFolderSandbox sandbox;
    test::CRecordingFolder calls;
    const std::string good = calls.Write("good.qor", Call(7));
    const std::string later = calls.Write("later.qor", Call(8));
    const std::string target = calls.File("partly.zip");
    test::CRecordedMessages messages;
    CZIPArchiver archiver(nullptr, &messages);
    archiver.Add(target, good, "", 0);
    archiver.Add(target, calls.File("missing.qor"), "", 0);
    archiver.Add(target, later, "", 0);
    EXPECT_EQ(archiver.Write(), IArchiver::kFailed);
    EXPECT_EQ(archiver.Count(), 2);
    EXPECT_EQ(test::SourcesOf(archiver.Verified()), (std::set<std::string>{ good, later }));
    EXPECT_TRUE(Contains(messages.errors, calls.File("missing.qor")));
    EXPECT_TRUE(test::UnzipAccepts(target));
    EXPECT_EQ(test::PythonEntryNames(target), (std::vector<std::string>{ "good.qor", "later.qor" }));

    // Neither a FIFO (which must not hang the job) nor a folder changes an existing archive.
    const std::string before = test::ReadFileText(target);
    ASSERT_EQ(mkfifo(calls.File("pipe.qor").c_str(), 0600), 0);
    fs::create_directories(calls.File("folder.qor"));
    for (const char* name : { "pipe.qor", "folder.qor" }) {
        CZIPArchiver refusing(nullptr, &messages);
        refusing.Add(target, calls.File(name), "", 0);
        EXPECT_EQ(refusing.Write(), IArchiver::kFailed) << name;
        EXPECT_TRUE(Contains(messages.errors, "not a regular file")) << name;
        EXPECT_EQ(test::ReadFileText(target), before) << name;
        EXPECT_FALSE(test::JournalWaits()) << name;
    }
}

TEST(ZipArchiver, ATargetThatIsNoValidZipIsLeftUntouched)
{
    test::CDataFolderSandbox sandbox;
    test::CRecordingFolder calls;
    const std::string source = calls.Write("call.qor", Call(9));
    const std::string valid = calls.File("valid.zip");
    CZIPArchiver writing(nullptr, nullptr);
    writing.Add(valid, calls.Write("held.qor", Call(10)), "", 0);
    writing.Add(valid, calls.Write("held2.qor", Call(11)), "", 0);
    ASSERT_EQ(writing.Write(), 2);
    const std::string archive = test::ReadFileText(valid);
    const std::size_t directoryStart = archive.rfind("PK\x01\x02", archive.size() - 22);

    test::WriteRandomFile(calls.File("random.zip"), 4096, 12);
    test::WriteFileText(calls.File("cut.zip"), archive.substr(0, archive.size() - 10));
    test::WriteFileText(calls.File("short-directory.zip"),
        archive.substr(0, directoryStart + 20) + archive.substr(directoryStart + 40));
    for (const char* name : { "random.zip", "cut.zip", "short-directory.zip" }) {
        const std::string target = calls.File(name);
        const std::string before = test::ReadFileText(target);
        test::CRecordedMessages messages;
        CZIPArchiver archiver(nullptr, &messages);
        archiver.Add(target, source, "", 0);
        EXPECT_EQ(archiver.Write(), IArchiver::kFailed) << name;
        EXPECT_EQ(test::ReadFileText(target), before) << name;
        EXPECT_TRUE(test::SourcesOf(archiver.Verified()).empty()) << name;
        ASSERT_EQ(messages.errors.size(), 1u) << name;
        EXPECT_NE(messages.errors[0].find(target), std::string::npos) << messages.errors[0];
        EXPECT_NE(messages.errors[0].find("not a valid ZIP file"), std::string::npos) << messages.errors[0];
        EXPECT_FALSE(test::JournalWaits()) << name;
    }
}

} // namespace
} // namespace qor

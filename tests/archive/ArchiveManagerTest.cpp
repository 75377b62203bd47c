#include "archive/ArchiveManager.h"

#include "archive/ArchiveLogger.h"
#include "recording/RecordFileHdr.h"
#include "samplegen/SampleRecording.h"
#include "support/RecordingFolder.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <thread>

namespace qor {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class CRecordedSink : public IProgressBarSink {
public:
    void OnProgress(double) override { ++progress; }
    void OnStart() override
    {
        ++started;
        if (onStart)
            onStart();
    }
    void OnFinish(CJobArchListEntry* job) override
    {
        ++finished;
        if (job && onFinish)
            onFinish(*job);
    }
    int started = 0, finished = 0, progress = 0;
    std::function<void(CJobArchListEntry&)> onFinish;
    std::function<void()> onStart;
};

class CRecordedMessages : public IArchiveMessages {
public:
    void Show(Kind, const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

class ArchiveManager : public ::testing::Test {
protected:
    std::string Call(const std::string& relative, std::int32_t startTime = 1'425'168'000, int version = 4)
    {
        samplegen::CSampleCall call;
        call.durationSeconds = 2;
        call.startTime = startTime;
        call.version = version;
        call.passphrase = "secret";
        return folder.Write("calls/" + relative, call);
    }

    CJobArchListEntry Job(const std::vector<std::string>& paths, std::int32_t method = kArchiveDisk)
    {
        CJobArchListEntry job;
        job.archiveType = method;
        job.target = folder.File("archive");
        for (const std::string& path : paths) {
            CRvFileListEntry entry;
            entry.SetPath(path);
            job.AddCall(entry);
        }
        return job;
    }

    // Runs the queued jobs to their end, keeping the jobs for ModifyOriginals.
    CArchiveManager::Results Run(CJobArchListEntry job)
    {
        manager.AddJob(job, &sink);
        EXPECT_TRUE(manager.Start(false));
        while (manager.IsRunning())
            std::this_thread::sleep_for(1ms);
        return manager.GetResults();
    }

    std::vector<std::string> ArchivedPaths()
    {
        std::vector<std::string> paths;
        for (const auto& call : manager.GetArchivedCalls(false))
            paths.push_back(call.GetPath());
        std::sort(paths.begin(), paths.end());
        return paths;
    }

    test::CDataFolderSandbox sandbox;
    test::CRecordingFolder folder;
    std::shared_ptr<CArchiveLogger> log = std::make_shared<CArchiveLogger>();
    CRecordedMessages messages;
    CRecordedSink sink;
    CArchiveManager manager{ log, &messages };
};

TEST_F(ArchiveManager, TakesEveryLevelOfAFolderAndLaysItOutByUser)
{
    const std::string a = Call("1234-20150301-101500.qor");
    const std::string b = Call("deep/er/5678-20150302-101500.qor");
    const std::string plain = Call("nodash.qor");
    test::WriteFileText(folder.File("calls/notes.txt"), "not a call");
    CJobArchListEntry job = Job({ folder.File("calls") });
    job.structureType = kStructureByUser;
    const auto results = Run(job);
    EXPECT_FALSE(results.failed);
    EXPECT_EQ(results.acceptedCount, 3);
    EXPECT_EQ(results.archivedCount, 3);
    EXPECT_TRUE(fs::exists(folder.File("archive/1234/1234-20150301-101500.qor")));
    EXPECT_TRUE(fs::exists(folder.File("archive/5678/5678-20150302-101500.qor")));
    EXPECT_TRUE(fs::exists(folder.File("archive/nodash.qor")));
    std::vector<std::string> expected{ a, b, plain };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ArchivedPaths(), expected);
    EXPECT_EQ(manager.GetFirstJob()->callCount, 3);
    EXPECT_EQ(sink.started, 1);
    EXPECT_EQ(sink.finished, 1);
    const auto calls = manager.GetArchivedCalls(false);
    EXPECT_TRUE(calls[0].IsArchived());
    EXPECT_EQ(calls[0].GetArchiveName(), folder.File("archive"));
}

// The names an archive holds, as the tools people use list them.
std::set<std::string> NamesIn(const std::string& command)
{
    std::set<std::string> names;
    std::FILE* pipe = popen(command.c_str(), "r");
    char line[4096];
    while (pipe && std::fgets(line, sizeof line, pipe)) {
        std::string name(line);
        while (!name.empty() && (name.back() == '\n' || name.back() == '\'' || name.back() == '/'))
            name.pop_back();
        if (!name.empty() && name.front() == '\'')
            name.erase(0, 1);
        names.insert(name);
    }
    if (pipe)
        pclose(pipe);
    return names;
}

TEST_F(ArchiveManager, ZipAndIsoArchivesHoldTheCallsInTheirStructureFolders)
{
    const std::string a = Call("1234-20150301-101500.qor", 1'425'204'900); // 1 March 2015
    const std::string b = Call("sub/1234-20150302-101500.qor", 1'425'291'300);
    const std::string folderOfB = fs::path(b).parent_path().string().substr(1);
    for (const std::int32_t method : { kArchiveZip, kArchiveIso }) {
        const bool zip = method == kArchiveZip;
        const std::string path = folder.File(zip ? "calls.zip" : "calls.iso");
        const std::string list = zip ? "unzip -Z1 '" + path + "'" : "xorriso -indev '" + path + "' -find / 2>/dev/null";
        CJobArchListEntry byMonth = Job({ folder.File("calls") }, method);
        byMonth.target = path;
        byMonth.structureType = kStructureByMonth;
        manager.ClearJobs();
        Run(byMonth);
        const auto months = NamesIn(list);
        EXPECT_TRUE(months.contains(zip ? "Mar 2015/1234-20150301-101500.qor" : "/Mar 2015/1234-20150301-101500.qor"))
            << method;
        EXPECT_TRUE(months.contains(zip ? "Mar 2015/1234-20150302-101500.qor" : "/Mar 2015/1234-20150302-101500.qor"))
            << "two calls of one month share its folder";
        EXPECT_EQ(manager.GetArchivedCalls(false).size(), 2u) << "read back intact: both months";

        fs::remove(path);
        CJobArchListEntry byPath = Job({ b }, method);
        byPath.target = path;
        byPath.structureType = kStructureByPath;
        manager.ClearJobs();
        Run(byPath);
        EXPECT_TRUE(NamesIn(list).contains((zip ? "" : "/") + folderOfB + "/1234-20150302-101500.qor")) << method;
        EXPECT_EQ(manager.GetArchivedCalls(true).size(), 1u) << "this run's call alone, read back intact";
    }
}

TEST_F(ArchiveManager, SelectionsMissingPathsAndUnknownMethods)
{
    const std::string a = Call("a.qor");
    const std::string b = Call("b.qor");
    CJobArchListEntry earlier = Job({ a });
    earlier.SetJobTime(100);
    log->AddEntry(earlier);

    CJobArchListEntry unarchived = Job({ folder.File("calls") });
    unarchived.selectionType = kSelectUnarchived;
    Run(unarchived);
    EXPECT_EQ(ArchivedPaths(), std::vector<std::string>{ b }) << "a is in the archive log already";

    manager.ClearArchivedCalls();
    manager.ClearJobs();
    const std::string c = Call("c.qor", static_cast<std::int32_t>(std::time(nullptr)) - 3600);
    CJobArchListEntry recent = Job({ folder.File("calls") });
    recent.selectionType = kSelectLast30Days;
    Run(recent);
    EXPECT_EQ(ArchivedPaths(), std::vector<std::string>{ c }) << "calls are dated by their header, not the file";
    std::filesystem::remove(c);

    manager.ClearArchivedCalls();
    manager.ClearJobs();
    const auto results = Run(Job({ folder.File("calls/gone.qor"), a }));
    EXPECT_TRUE(results.failed);
    EXPECT_EQ(messages.texts.back(), "ArchiveManager error - invalid file (..." + folder.File("calls/gone.qor") + ")");
    EXPECT_EQ(results.archivedCount, 1) << "the job still runs with the paths that exist";

    manager.ClearArchivedCalls();
    manager.ClearJobs();
    EXPECT_EQ(Run(Job({ a }, 9)).archivedCount, 0) << "no archiver for an unknown method";
}

TEST_F(ArchiveManager, AnEmptyQueueEndsAtOnceAndCancelWritesNothing)
{
    EXPECT_TRUE(manager.Start(true));
    while (manager.IsRunning())
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(sink.started, 0);

    for (int i = 0; i < 300; ++i)
        Call("many/" + std::to_string(i) + ".qor");
    manager.AddJob(Job({ folder.File("calls/many") }), &sink);
    // Cancelled from the run itself as it begins to collect, however busy the machine is.
    sink.onStart = [this] { manager.Cancel(); };
    ASSERT_TRUE(manager.Start(false));
    while (manager.IsRunning())
        std::this_thread::sleep_for(1ms);
    manager.Wait();
    const auto results = manager.GetResults();
    EXPECT_TRUE(results.failed);
    EXPECT_TRUE(results.cancelled);
    EXPECT_FALSE(fs::exists(folder.File("archive"))) << "the archiver was not told to write";
    EXPECT_TRUE(manager.GetArchivedCalls(false).empty());
    EXPECT_EQ(manager.ModifyOriginals(manager.GetFirstJob()).modified, 0);
}

TEST_F(ArchiveManager, OnlyCallsReadBackIntactAreDeletedOrStripped)
{
    const std::string a = Call("Ann-1.qor");
    const std::string b = Call("Bob-1.qor");
    const std::string c = Call("Cid-1.qor");
    // Bob's folder in the archive is a file: his copy fails, and the copying stops there.
    test::WriteFileText(folder.File("archive/Bob"), "in the way");
    CJobArchListEntry job = Job({ folder.File("calls") });
    job.structureType = kStructureByUser;
    job.mediaProcessing = kDeleteOriginals;
    Run(job);
    EXPECT_EQ(ArchivedPaths(), std::vector<std::string>{ a });
    CJobArchListEntry* current = manager.GetFirstJob();
    current->ClearCalls();
    for (const std::string& path : { a, b, c }) {
        CRvFileListEntry entry;
        entry.SetPath(path);
        current->AddCall(entry); // as if a caller listed every call
    }
    EXPECT_EQ(manager.ModifyOriginals(current).modified, 1);
    EXPECT_FALSE(fs::exists(a));
    EXPECT_TRUE(fs::exists(b)) << "its copy failed";
    EXPECT_TRUE(fs::exists(c)) << "never reached the archive";
    EXPECT_TRUE(current->originalsModified);
}

TEST_F(ArchiveManager, RemoveAudioKeepsTheHeaderAndNeedsThePassphrase)
{
    const std::string plain = Call("plain.qor");
    const std::string locked = Call("locked.qor", 1'425'168'000, 5);
    const std::string lockedBefore = test::ReadFileText(locked);
    CJobArchListEntry job = Job({ folder.File("calls") });
    job.mediaProcessing = kRemoveAudio;
    Run(job);
    CJobArchListEntry* current = manager.GetFirstJob();
    for (const auto& call : manager.GetArchivedCalls(false))
        current->AddCall(call);
    EXPECT_EQ(manager.ModifyOriginals(current).modified, 1);
    EXPECT_EQ(fs::file_size(plain), CRvRecordFileHdr::kImageSize);
    EXPECT_EQ(test::ReadFileText(locked), lockedBefore) << "no passphrase held: the file stays as it was";
}

} // namespace
} // namespace qor

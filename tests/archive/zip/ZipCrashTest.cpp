#include "ZipTools.h"
#include "archive/zip/ZipArchiver.h"
#include "archive/zip/ZipRepair.h"
#include "support/ChildProcess.h"
#include "support/RecordingFolder.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/time.h>

namespace qor {
namespace {

namespace fs = std::filesystem;
constexpr int kHeldCalls = 50;
constexpr int kAddedCalls = 12;

void KillNow(int)
{
    kill(getpid(), SIGKILL);
}

// Arms a SIGKILL that arrives microseconds from now, wherever the run is then.
bool KillAfter(long microseconds)
{
    std::signal(SIGALRM, KillNow);
    const itimerval timer{ { 0, 0 }, { 0, microseconds } };
    return setitimer(ITIMER_REAL, &timer, nullptr) == 0;
}

TEST(ZipCrash, AnAppendKilledAtAnyMomentLosesNoEntryTheArchiveHeld)
{
    test::CDataFolderSandbox sandbox;
    test::CRecordingFolder calls;
    const std::string target = calls.File("held.zip");
    std::vector<std::pair<std::string, std::string>> held;
    CZIPArchiver first(nullptr, nullptr);
    for (int index = 0; index < kHeldCalls; ++index) {
        samplegen::CSampleCall call;
        call.seed = static_cast<std::uint32_t>(index);
        call.durationSeconds = 2;
        const std::string name = "call" + std::to_string(index) + ".qor";
        first.Add(target, calls.Write("held/" + name, call), "held", 0);
        held.emplace_back("held/" + name, calls.File("held/" + name));
    }
    ASSERT_EQ(first.Write(), kHeldCalls);
    std::vector<std::string> added;
    for (int index = 0; index < kAddedCalls; ++index) {
        added.push_back(calls.File("added/" + std::to_string(index) + ".qor"));
        test::WriteRandomFile(added.back(), 300'000, static_cast<unsigned>(index));
    }
    const auto appendInChild = [&](const std::function<bool()>& prepare, const ArchiveProgressFunction& progress) {
        return test::RunInChild(prepare, [&] {
            CZIPArchiver archiver(progress, nullptr);
            for (const std::string& source : added)
                archiver.Add(target, source, "added", 0);
            return archiver.Write() == kAddedCalls ? 0 : 1;
        });
    };

    // Killed between two calls: the old directory is already overwritten, the journal holds it.
    const ArchiveProgressFunction killAtThirdCall = [reported = 0](double) mutable {
        if (++reported == 3)
            raise(SIGKILL);
    };
    const std::string before = test::ReadFileText(target);
    EXPECT_EQ(appendInChild([] { return true; }, killAtThirdCall), -1);
    EXPECT_TRUE(test::JournalWaits());
    EXPECT_NE(test::ReadFileText(target), before);

    // Then at moments spread over the whole run, from before the journal to after the directory.
    for (const long delay : { 0L, 200L, 1'000L, 3'000L, 8'000L, 20'000L, 50'000L, 150'000L, 400'000L }) {
        if (delay > 0)
            appendInChild([delay] { return KillAfter(delay); }, nullptr);
        const std::string extra = calls.File("extra/" + std::to_string(delay) + ".qor");
        test::WriteRandomFile(extra, 1000, 99);
        CZIPArchiver next(nullptr, nullptr);
        next.Add(target, extra, "", 0);
        ASSERT_EQ(next.Write(), 1) << "killed after " << delay << " us";
        EXPECT_FALSE(test::JournalWaits());
        EXPECT_TRUE(test::UnzipAccepts(target)) << "killed after " << delay << " us";
        EXPECT_TRUE(test::PythonReadsEntries(target, held)) << "killed after " << delay << " us";
    }
    // A journal is never applied to another file that took the archive's name meanwhile. (New
    // content first: calls the archive holds already are not added again.)
    for (std::size_t index = 0; index < added.size(); ++index)
        test::WriteRandomFile(added[index], 300'000, static_cast<unsigned>(100 + index));
    EXPECT_EQ(appendInChild([] { return true; }, killAtThirdCall), -1);
    ASSERT_TRUE(test::JournalWaits());
    fs::remove(target);
    test::WriteFileText(calls.File("note.txt"), "a new archive under the old name\n");
    ASSERT_EQ(test::RunCommand("cd " + calls.Path() + " && zip -q " + target + " note.txt"), 0);
    CZIPArchiver next(nullptr, nullptr);
    next.Add(target, added[0], "", 0);
    ASSERT_EQ(next.Write(), 1);
    EXPECT_TRUE(test::PythonReadsEntries(target, { { "note.txt", calls.File("note.txt") }, { "0.qor", added[0] } }));
    EXPECT_TRUE(RepairPendingZipJournals().empty()) << "the journal's own file is gone";
    EXPECT_FALSE(test::JournalWaits());

    const std::vector<std::string> log = test::LogEntries();
    EXPECT_NE(
        std::find_if(log.begin(), log.end(),
            [](const std::string& entry) { return entry.find("belongs to a file no longer there") != entry.npos; }),
        log.end());
    EXPECT_GE(std::count_if(log.begin(), log.end(),
                  [](const std::string& entry) { return entry.find("repaired from the journal") != entry.npos; }),
        3)
        << "several kills landed while the archive was being changed";
}

} // namespace
} // namespace qor

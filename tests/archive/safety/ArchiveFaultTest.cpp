// Archive jobs of each method killed at random moments, on a disk that fills up, with their target
// vanishing, a call growing while it is archived, and two jobs at once: after every round, every
// call is at its place or in an archive that holds it intact and that archive.log names, as the
// real unzip and xorriso read it. The seed of the random moments is printed; QOR_FAULT_SEED
// repeats a run and QOR_FAULT_ROUNDS changes how many kills each method gets.
#include "CallLedger.h"
#include "CliProcess.h"
#include "support/OtherUser.h"
#include "support/RecordingFolder.h"
#include "support/SmallFileSystem.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#include <random>
#include <thread>
#include <unistd.h>

namespace qor {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using test::Joined;

constexpr int kCalibrationEvery = 10;

struct CMethod {
    const char* name;
    const char* flag;
    const char* extension; // empty for a folder tree
};

void PrintTo(const CMethod& method, std::ostream* out)
{
    *out << method.name;
}

int EnvironmentNumber(const char* name, int fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::atoi(value) : fallback;
}

class ArchiveFaults : public ::testing::TestWithParam<CMethod> {
protected:
    ArchiveFaults()
        : m_seed(static_cast<std::uint32_t>(
            EnvironmentNumber("QOR_FAULT_SEED", static_cast<int>(std::random_device()() >> 1))))
        , m_random(m_seed)
    {
        std::cout << "[ seed     ] QOR_FAULT_SEED=" << m_seed << " (" << GetParam().name << ")" << std::endl;
    }

    // A folder of new calls, remembered by the ledger: A-law, 80 to 320 KB each, so that writing
    // them takes long enough for kills to land inside it.
    std::string NewCalls(const std::string& folder, int count)
    {
        for (int index = 0; index < count; ++index) {
            samplegen::CSampleCall call;
            call.seed = m_nextSeed++;
            call.codecTag = kCodecALaw;
            call.startTime += static_cast<std::int32_t>(call.seed) * 600;
            call.durationSeconds = std::uniform_int_distribution<int>(10, 40)(m_random);
            ledger.Record(work.Write(folder + "/1000-" + std::to_string(call.seed) + ".qor", call));
        }
        return work.File(folder);
    }

    std::string Target(const std::string& name) const { return work.File(name + GetParam().extension); }

    std::vector<std::string> Arguments(
        const std::string& target, const std::string& after, const std::string& folder) const
    {
        return { "archive", GetParam().flag, target, "--after", after, folder };
    }

    void ExpectPromiseHolds(const std::string& when) const
    {
        const std::vector<std::string> violations = ledger.Violations();
        EXPECT_TRUE(violations.empty()) << when << " (QOR_FAULT_SEED=" << m_seed << "):\n" << Joined(violations);
    }

    test::CDataFolderSandbox sandbox;
    test::CRecordingFolder work;
    test::CCallLedger ledger;
    std::uint32_t m_seed;
    std::mt19937 m_random;
    std::uint32_t m_nextSeed = 1;
};

TEST_P(ArchiveFaults, KilledAtAnyMomentNoCallIsLost)
{
    const int kills = EnvironmentNumber("QOR_FAULT_ROUNDS", 50);
    const int rounds = kills + kills / (kCalibrationEvery - 1) + 1;
    double longestRun = 0.0;
    for (int round = 0; round < rounds; ++round) {
        // New and existing archives, deleting and stripping, in every combination.
        const std::string target = Target(round % 2 == 0 ? "shared" : "new-" + std::to_string(round));
        const std::string after = (round / 2) % 2 == 0 ? "delete" : "strip-audio";
        const std::string folder = NewCalls("round-" + std::to_string(round), 4);
        const bool calibrating = round % kCalibrationEvery == 0;
        const auto started = Clock::now();
        test::CCliProcess job(Arguments(target, after, folder));
        std::string when = "round " + std::to_string(round) + ", " + after + " into " + target;
        if (calibrating) {
            const test::CCliResult result = job.Wait();
            ASSERT_EQ(result.exitCode, 0) << when << "\n" << result.errors;
            longestRun = std::max(longestRun, std::chrono::duration<double>(Clock::now() - started).count());
        } else {
            const double delay = std::uniform_real_distribution<double>(0.0, longestRun * 1.3)(m_random);
            std::this_thread::sleep_for(std::chrono::duration<double>(delay));
            job.Kill();
            job.Wait();
            when += ", killed after " + std::to_string(static_cast<int>(delay * 1e6)) + " us";
        }
        // The next start of either program repairs what a kill left half-written.
        test::RunCli({ "log" });
        ExpectPromiseHolds(when);
        if (HasFailure())
            return;
    }
    // A later job that comes by removes what the killed ones left: beside the archive, and beside
    // the originals it walks.
    NewCalls("last", 1);
    const test::CCliResult last = test::RunCli({ "archive", GetParam().flag, Target("shared"), "--select", "unarchived",
        "--sub", "--after", "delete", work.Path() });
    ASSERT_EQ(last.exitCode, 0) << last.errors;
    ExpectPromiseHolds("the last job");
    std::vector<std::string> partials = test::PartialFilesBelow(work.Path());
    // Only the new archives of killed rounds that no later job wrote to may keep theirs.
    std::erase_if(partials, [&](const std::string& path) { return path.find("/new-") != std::string::npos; });
    EXPECT_TRUE(partials.empty()) << Joined(partials);
}

TEST_P(ArchiveFaults, AFullDiskAVanishingTargetAGrowingCallAndTwoJobsAtOnceLoseNothing)
{
    // A disk that fills up under the archive (a small file system of its own where we may mount
    // one; a file size limit on the program otherwise).
    test::CSmallFileSystem small(1 << 20);
    for (const char* after : { "delete", "strip-audio" }) {
        const std::string folder = NewCalls(std::string("full-") + after, 6);
        if (small.Mounted()) {
            small.FillLeaving(100 * 1024);
            test::RunCli(Arguments(small.File(std::string("calls-") + after + GetParam().extension), after, folder));
        } else {
            test::CCliProcess limited(Arguments(Target(std::string("limited-") + after), after, folder),
                { "prlimit", "--fsize=60000", "--" });
            limited.Wait();
        }
        test::RunCli({ "log" });
        ExpectPromiseHolds(std::string("a full disk, then ") + after);
    }

    // The target taken away while the job runs (moved in one step), then put back: the job either
    // saw it go and kept the originals, or saw it there; and it says truly how many it deleted.
    for (int round = 0; round < 4; ++round) {
        const std::string target = Target("vanishing-" + std::to_string(round));
        const std::string moved = work.File("gone-" + std::to_string(round));
        const std::string folder = NewCalls("vanish-" + std::to_string(round), 8);
        test::CCliProcess job(Arguments(target, "delete", folder));
        std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 150)(m_random)));
        std::error_code error;
        const bool taken = job.Running() && (fs::rename(target, moved, error), !error);
        const test::CCliResult result = job.Wait();
        if (taken && !fs::exists(target))
            fs::rename(moved, target, error);
        const auto left = std::distance(fs::directory_iterator(folder), fs::directory_iterator());
        const auto said = result.output.find("originals deleted") == std::string::npos
            ? 0
            : std::atoi(result.output.substr(result.output.rfind("; ") + 2).c_str());
        EXPECT_EQ(said, 8 - left) << result.output;
        ExpectPromiseHolds("the target taken away in round " + std::to_string(round));
    }

    // A call that grows while the job reads, checks and deletes it, as a recorder still writing
    // would (reopening it for each piece, and stopping once it is gone).
    for (int round = 0; round < 3; ++round) {
        const std::string folder = NewCalls("growing-" + std::to_string(round), 3);
        const std::string growing = folder + "/1000-growing.qor";
        std::vector<std::string> states{ std::string(3 << 20, 'g') };
        test::WriteFileText(growing, states.back());
        test::CCliProcess job(Arguments(Target("growing"), "delete", folder));
        while (job.Running()) {
            const int file = open(growing.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
            if (file < 0)
                break;
            const std::string piece(4096, static_cast<char>('a' + states.size() % 26));
            if (write(file, piece.data(), piece.size()) == static_cast<ssize_t>(piece.size()))
                states.push_back(states.back() + piece);
            close(file);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        job.Wait();
        // Its last state, or the one before when the last piece raced the deletion.
        ledger.RecordAnyOf(growing, { states.size() > 1 ? states[states.size() - 2] : states.back(), states.back() });
        ExpectPromiseHolds("a call growing in round " + std::to_string(round));
    }

    // A call of another account, of whose recorder no lease tells: one that changed within the
    // quiet time is kept whole, whether it changes again meanwhile or not.
    const auto stranger = test::COtherUser::Get();
    if (stranger) {
        const std::string folder = NewCalls("theirs", 2);
        const std::string growing = folder + "/1000-theirs.qor";
        std::string state(3 << 20, 't');
        test::WriteFileText(growing, state);
        ASSERT_TRUE(stranger->Own(growing));
        const test::CCliResult paused = test::RunCli(Arguments(Target("theirs-paused"), "delete", folder));
        EXPECT_NE(paused.errors.find(growing + ": kept: still being written"), std::string::npos) << paused.errors;
        test::CCliProcess job(Arguments(Target("theirs-growing"), "delete", folder));
        while (job.Running()) {
            const int file = open(growing.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
            const std::string piece(4096, static_cast<char>('a' + state.size() % 26));
            if (file >= 0 && write(file, piece.data(), piece.size()) == static_cast<ssize_t>(piece.size()))
                state += piece;
            if (file >= 0)
                close(file);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        job.Wait();
        ledger.RecordAnyOf(growing, { state });
        ExpectPromiseHolds("a call of another account growing");
    }

    // Two jobs at once, on one target and on two.
    for (int round = 0; round < 4; ++round) {
        const std::string suffix = std::to_string(round);
        const std::string second = round % 2 == 0 ? Target("together") : Target("apart-" + suffix);
        test::CCliProcess first(Arguments(Target("together"), "delete", NewCalls("one-" + suffix, 4)));
        test::CCliProcess other(Arguments(second, "strip-audio", NewCalls("two-" + suffix, 4)));
        first.Wait();
        other.Wait();
        ExpectPromiseHolds("two jobs at once in round " + suffix);
    }

    // Another user plants files of the calls' names and bytes where their copies go (or a file
    // where the archive goes), then takes them away once the job is done: the job never took a
    // file of his for a copy of ours.
    if (stranger) {
        const std::string folder = NewCalls("planting", 3);
        const std::string target = Target("planted");
        std::vector<std::string> planted;
        if (std::string(GetParam().extension).empty()) {
            test::MakeSharedFolder(work.Path(), "planted");
            for (const auto& call : fs::directory_iterator(folder))
                planted.push_back(target + "/" + call.path().filename().string());
            for (const auto& call : fs::directory_iterator(folder))
                fs::copy_file(call.path(), target + "/" + call.path().filename().string());
        } else {
            planted.push_back(target);
            test::WriteFileText(target, test::ReadFileText(fs::directory_iterator(folder)->path().string()));
        }
        for (const std::string& file : planted)
            ASSERT_TRUE(stranger->Own(file));
        test::RunCli(Arguments(target, "delete", folder));
        for (const std::string& file : planted)
            fs::remove(file);
        ExpectPromiseHolds("copies planted by another user, then taken away");
    }
}

INSTANTIATE_TEST_SUITE_P(Methods, ArchiveFaults,
    ::testing::Values(
        CMethod{ "Zip", "--zip", ".zip" }, CMethod{ "Iso", "--iso", ".iso" }, CMethod{ "Disk", "--disk", "" }),
    [](const ::testing::TestParamInfo<CMethod>& method) { return std::string(method.param.name); });

} // namespace
} // namespace qor

// Each way an archive job was found to destroy the only copy of a call, tried again through
// qortolvane-cli (or the engine where a moment inside a run must be chosen); after each, every call
// is still at its place or in an archive that holds it intact and that archive.log names.
#include "CallLedger.h"
#include "CliProcess.h"
#include "archive/ArchiveJobFinisher.h"
#include "archive/ArchiveLogRecovery.h"
#include "archive/ArchiveLogger.h"
#include "archive/CopyRecheck.h"
#include "archive/iso/IsoArchiver.h"
#include "archive/zip/ZipArchive.h"
#include "archive/zip/ZipJournal.h"
#include "archive/zip/ZipRepair.h"
#include "foundation/DataFolders.h"
#include "support/ChildProcess.h"
#include "support/RecordingFolder.h"
#include "support/SmallFileSystem.h"

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <thread>
#include <unistd.h>
#include <zlib.h>

namespace qor {
namespace {

namespace fs = std::filesystem;
using test::CCliResult;
using test::Joined;
using test::RunCli;
using Kept = std::vector<std::pair<std::string, COriginalChange>>;

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// What a shell command prints, and whether it succeeded.
std::string ShellOutput(const std::string& command)
{
    std::string output;
    std::FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    while (std::size_t count = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, count);
    pclose(pipe);
    return output;
}

bool ShellSucceeds(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::multiset<std::string> Contents(const std::string& archive)
{
    std::vector<std::string> contents;
    std::string why;
    EXPECT_TRUE(test::ArchiveContents(archive, contents, why)) << archive << ": " << why;
    return { contents.begin(), contents.end() };
}

std::set<std::string> NamesIn(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& item : fs::recursive_directory_iterator(folder))
        if (item.is_regular_file())
            names.insert(fs::relative(item.path(), folder).string());
    return names;
}

// Sets the last four bytes of data so that its CRC-32 becomes target: the checksum is linear, so
// the bytes can be worked out backwards from the result, as anyone could.
void ForceCrc32(std::string& data, std::uint32_t target)
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t index = 0; index < 256; ++index) {
        std::uint32_t value = index;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1) ? 0xEDB88320u ^ (value >> 1) : value >> 1;
        table[index] = value;
    }
    const std::size_t at = data.size() - 4;
    const auto before
        = ~static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(at)));
    std::uint32_t state = ~target;
    for (int step = 0; step < 4; ++step) {
        std::uint32_t index = 0;
        while ((table[index] >> 24) != (state >> 24))
            ++index;
        state = ((state ^ table[index]) << 8) | index;
    }
    state ^= before;
    for (int byte = 0; byte < 4; ++byte)
        data[at + static_cast<std::size_t>(byte)] = static_cast<char>((state >> (8 * byte)) & 0xFF);
}

// Starts the manager's run and waits for its end (Wait alone would ask it to stop).
void RunToTheEnd(CArchiveManager& manager)
{
    ASSERT_TRUE(manager.Start(false));
    while (manager.IsRunning())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    manager.Wait();
}

class ArchiveSafety : public ::testing::Test {
protected:
    // A call in the work folder, remembered by the ledger as it is now.
    std::string Call(const std::string& relative, std::uint32_t seed, std::int32_t seconds = 3)
    {
        samplegen::CSampleCall call;
        call.seed = seed;
        call.durationSeconds = seconds;
        call.startTime += static_cast<std::int32_t>(seed) * 3600;
        const std::string path = work.Write(relative, call);
        ledger.Record(path);
        return path;
    }
    std::string Path(const std::string& relative) const { return work.File(relative); }

    static CCliResult Archive(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), "archive");
        return RunCli(arguments);
    }

    void ExpectPromiseHolds(const std::string& when) const
    {
        const std::vector<std::string> violations = ledger.Violations();
        EXPECT_TRUE(violations.empty()) << when << ":\n" << Joined(violations);
    }

    std::vector<std::unique_ptr<CJobArchListEntry>> LogEntries() const
    {
        CArchiveLogFileRead read = ReadArchiveLogFile(CArchiveLogger::FilePath());
        return std::move(read.entries);
    }

    test::CDataFolderSandbox sandbox;
    test::CRecordingFolder work;
    test::CCallLedger ledger;
};

TEST_F(ArchiveSafety, NoCopyIsEverTheOriginalItself)
{
    const std::string calls = Path("calls");
    const std::vector<std::string> originals
        = { Call("calls/1000-a.qor", 1), Call("calls/1000-b.qor", 2), Call("calls/1000-c.qor", 3) };
    fs::create_directory_symlink(calls, Path("link"));

    // The target is the source, or a link to it: refused whole.
    for (const std::string& target : { calls, Path("link") })
        for (const char* after : { "delete", "strip-audio" })
            for (const bool sub : { false, true }) {
                std::vector<std::string> arguments{ "--disk", target, "--after", after, calls };
                if (sub)
                    arguments.push_back("--sub");
                const CCliResult run = Archive(arguments);
                EXPECT_EQ(run.exitCode, 2) << target << " " << after;
                EXPECT_TRUE(Has(run.errors, "is one of the folders to archive")) << run.errors;
                ExpectPromiseHolds(std::string("target ") + target + ", then " + after);
            }

    // A target inside the source is left out of the search: a later run finds the copies nowhere
    // but in the archive, and the originals then go.
    const std::string inside = calls + "/archive";
    CCliResult run = Archive({ "--disk", inside, "--sub", calls });
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    run = Archive({ "--disk", inside, "--sub", "--after", "strip-audio", calls });
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(Has(run.output, "3 calls archived")) << run.output;
    EXPECT_EQ(NamesIn(inside), (std::set<std::string>{ "1000-a.qor", "1000-b.qor", "1000-c.qor" }))
        << "the copies were not archived again, and the same calls were not copied twice";
    for (const std::string& original : originals) {
        const std::string copy = inside + "/" + fs::path(original).filename().string();
        EXPECT_GT(fs::file_size(copy), fs::file_size(original)) << "the copy keeps the audio the original gave up";
    }
    ExpectPromiseHolds("target inside the source, stripped");
}

TEST_F(ArchiveSafety, ACallThatChangedAfterItWasReadIsKept)
{
    for (const std::int32_t method : { kArchiveZip, kArchiveIso, kArchiveDisk }) {
        const std::string folder = "changed-" + std::to_string(method);
        const std::string first = Call(folder + "/1000-a.qor", 10);
        const std::string growing = Call(folder + "/1000-b.qor", 11);
        const std::string last = Call(folder + "/1000-c.qor", 12);
        auto log = std::make_shared<CArchiveLogger>();
        CArchiveManager manager(log, nullptr);
        CJobArchListEntry job;
        job.archiveType = method;
        job.mediaProcessing = kDeleteOriginals;
        job.target = Path("out-" + std::to_string(method)) + (method == kArchiveZip ? ".zip" : ".iso");
        if (method == kArchiveDisk)
            job.target = Path("out-disk");
        CRvFileListEntry source;
        source.SetPath(Path(folder));
        job.AddCall(source);
        manager.AddJob(job, nullptr);
        RunToTheEnd(manager);

        // A recorder still writing: 4 KiB more after the call was read and its copy checked.
        test::WriteFileText(growing, test::ReadFileText(growing) + std::string(4096, 'x'));
        ledger.Record(growing);
        const CArchiveJobOutcome outcome = FinishArchiveJob(manager, *log, *manager.GetFirstJob());
        EXPECT_EQ(outcome.archived, 2) << method;
        EXPECT_EQ(outcome.changed, (Kept{ { growing, COriginalChange::Changed } })) << method;
        EXPECT_EQ(outcome.originals.modified, 2) << method;
        EXPECT_TRUE(fs::exists(growing) && !fs::exists(first) && !fs::exists(last)) << method;
        ExpectPromiseHolds("method " + std::to_string(method));
    }

    // Changed between the log and the deletion: ModifyOriginals looks once more.
    const std::string late = Call("late/1000-d.qor", 13);
    auto log = std::make_shared<CArchiveLogger>();
    CArchiveManager manager(log, nullptr);
    CJobArchListEntry job;
    job.mediaProcessing = kRemoveAudio;
    job.target = Path("late.zip");
    CRvFileListEntry source;
    source.SetPath(late);
    job.AddCall(source);
    manager.AddJob(job, nullptr);
    RunToTheEnd(manager);
    CJobArchListEntry* done = manager.GetFirstJob();
    done->ClearCalls();
    for (const CArchiveFileListEntry& call : manager.GetArchivedCalls(false))
        done->AddCall(call);
    test::WriteFileText(late, test::ReadFileText(late) + "more");
    ledger.Record(late);
    const CArchiveManager::CModifyOutcome modified = manager.ModifyOriginals(done);
    EXPECT_EQ(modified.modified, 0);
    EXPECT_EQ(modified.kept, (Kept{ { late, COriginalChange::Changed } }));
    ExpectPromiseHolds("changed before it was stripped");
}

TEST_F(ArchiveSafety, AnIsoJobAddsToTheImageItFindsAndTakesItsTurn)
{
    const std::string image = Path("out/calls.iso");
    fs::create_directories(Path("out"));
    const std::string january = Call("jan/1000-20160105.qor", 20);
    const std::string february = Call("feb/1000-20160207.qor", 21);
    for (const char* month : { "jan", "feb" }) {
        const CCliResult run = Archive({ "--iso", image, "--after", "delete", Path(month) });
        EXPECT_EQ(run.exitCode, 0) << run.errors;
        EXPECT_TRUE(Has(run.output, "1 calls archived")) << run.output;
    }
    EXPECT_FALSE(fs::exists(january) || fs::exists(february));
    EXPECT_EQ(Contents(image).size(), 2u) << "January's call is still in the image";
    EXPECT_EQ(LogEntries().size(), 2u);
    ExpectPromiseHolds("two ISO jobs one after the other");

    // While one job writes the image, another is refused and changes nothing.
    const std::string march = Call("mar/1000-20160310.qor", 22);
    const std::string april = Call("apr/1000-20160402.qor", 23);
    CISOArchiver holding(nullptr, nullptr);
    ASSERT_EQ(holding.Add(image, march, "", 0), 0);
    const CCliResult refused = Archive({ "--iso", image, "--after", "delete", Path("apr") });
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(Has(refused.errors, "another job is writing to it")) << refused.errors;
    EXPECT_TRUE(fs::exists(april));
    ASSERT_EQ(holding.Write(), 0);
    EXPECT_EQ(Contents(image).size(), 3u);
    ExpectPromiseHolds("an ISO job while another writes the image");
}

TEST_F(ArchiveSafety, TwoJobsCreatingOneNewZipNeverWriteOverEachOther)
{
    fs::create_directories(Path("out"));
    const std::string target = Path("out/new.zip");
    const std::string mine = Call("a/1000-a.qor", 30);
    const std::string theirs = Call("b/1000-b.qor", 31);
    CZipArchive first(target);
    std::string error;
    ASSERT_TRUE(first.Open(error)) << error;
    CCliResult run = Archive({ "--zip", target, "--after", "delete", Path("b") });
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run.errors, "another job is writing to it")) << run.errors;
    EXPECT_TRUE(fs::exists(theirs));
    EXPECT_FALSE(fs::exists(target));

    const int source = open(mine.c_str(), O_RDONLY | O_CLOEXEC);
    const std::atomic<bool> cancelled{ false };
    ASSERT_EQ(first.Add(source, "1000-a.qor", cancelled), CZipArchive::Result::Written);
    close(source);
    ASSERT_TRUE(first.Finish(error)) << error;
    first.Close();
    const auto created = fs::last_write_time(target);
    run = Archive({ "--zip", target, "--after", "delete", Path("b") });
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(Contents(target).size(), 2u) << "the second job added to what the first finished";
    EXPECT_GT(fs::last_write_time(target), created) << "adding calls changes the archive's time (backups see it)";
    ExpectPromiseHolds("two jobs on one new ZIP");

    // A partial file a killed job left is removed, never taken for the archive.
    const std::string other = Path("out/other.zip");
    EXPECT_EQ(test::RunInChild([] { return true; },
                  [&] {
                      CZipArchive dying(other);
                      std::string reason;
                      const int call = open(mine.c_str(), O_RDONLY);
                      if (!dying.Open(reason) || dying.Add(call, "x.qor", cancelled) != CZipArchive::Result::Written)
                          return 1;
                      raise(SIGKILL);
                      return 1;
                  }),
        -1);
    ASSERT_EQ(test::PartialFilesBelow(Path("out")).size(), 1u);
    const std::string late = Call("c/1000-c.qor", 32);
    run = Archive({ "--zip", other, "--after", "delete", Path("c") });
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(test::PartialFilesBelow(Path("out")).empty());
    EXPECT_EQ(Contents(other).size(), 1u) << "only the call of the job that finished";
    ExpectPromiseHolds("a partial file left by a killed job");
}

TEST_F(ArchiveSafety, CallsOfOneNameKeepOneEntryEachAndAreNeverAddedTwice)
{
    const struct {
        const char* flag;
        std::string target;
    } methods[] = { { "--zip", Path("same.zip") }, { "--iso", Path("same.iso") }, { "--disk", Path("same-tree") } };
    std::uint32_t seed = 40;
    for (const auto& [flag, target] : methods) {
        const std::string folder = std::string("same") + flag;
        const std::string a = Call(folder + "/a/1000-x.qor", seed++);
        Call(folder + "/b/1000-x.qor", seed++);
        fs::create_directories(Path(folder + "/c"));
        fs::copy_file(a, Path(folder + "/c/1000-x.qor"));
        ledger.Record(Path(folder + "/c/1000-x.qor"));
        // Three runs of the same calls add them once.
        for (int run = 0; run < 3; ++run) {
            const CCliResult result = Archive({ flag, target, "--sub", Path(folder) });
            EXPECT_EQ(result.exitCode, 0) << flag << result.errors;
        }
        EXPECT_EQ(Contents(target).size(), 2u) << flag << ": two distinct calls, the third the same as the first";
        const CCliResult deleting = Archive({ flag, target, "--sub", "--after", "delete", Path(folder) });
        EXPECT_TRUE(Has(deleting.output, "3 calls archived") && Has(deleting.output, "3 originals deleted"))
            << flag << deleting.output << deleting.errors;
        EXPECT_EQ(Contents(target).size(), 2u) << flag;
        ExpectPromiseHolds(std::string("three calls of one name, ") + flag);
    }
    EXPECT_EQ(NamesIn(Path("same-tree")), (std::set<std::string>{ "1000-x.qor", "1000-x (2).qor" }));
    EXPECT_EQ(ShellOutput("unzip -Z1 '" + Path("same.zip") + "' | sort"), "1000-x (2).qor\n1000-x.qor\n");

    // Another call of that name later never takes an earlier call's copy's place.
    Call("later/1000-x.qor", seed++);
    const CCliResult later = Archive({ "--disk", Path("same-tree"), "--after", "delete", Path("later") });
    EXPECT_EQ(later.exitCode, 0) << later.errors;
    EXPECT_EQ(NamesIn(Path("same-tree")), (std::set<std::string>{ "1000-x.qor", "1000-x (2).qor", "1000-x (3).qor" }));
    ExpectPromiseHolds("a later call of the same name");
}

TEST_F(ArchiveSafety, TheLogKeepsEveryJobAndIsWrittenBeforeAnyOriginalChanges)
{
    // Two programs that loaded the log before either saved: both jobs stay.
    CArchiveLogger first, second;
    first.Load(true);
    second.Load(true);
    CJobArchListEntry one, two;
    one.SetJobTime(1'700'000'000);
    one.target = "/archives/one.zip";
    two.SetJobTime(1'700'000'100);
    two.target = "/archives/two.zip";
    first.AddEntry(one);
    second.AddEntry(two);
    ASSERT_TRUE(first.Save());
    ASSERT_TRUE(second.Save());
    EXPECT_EQ(LogEntries().size(), 2u);
    EXPECT_EQ(second.Entries().size(), 2u) << "a save also brings in what the others wrote";

    // Six jobs at once, each to its own archive: six entries, every call named.
    std::vector<std::unique_ptr<test::CCliProcess>> jobs;
    for (int job = 0; job < 6; ++job) {
        Call("at-once/" + std::to_string(job) + "/1000-" + std::to_string(job) + ".qor", 50 + job);
        jobs.push_back(std::make_unique<test::CCliProcess>(
            std::vector<std::string>{ "archive", "--zip", Path("at-once-" + std::to_string(job) + ".zip"), "--after",
                "delete", Path("at-once/" + std::to_string(job)) }));
    }
    for (auto& job : jobs)
        EXPECT_EQ(job->Wait().exitCode, 0);
    EXPECT_EQ(LogEntries().size(), 8u);
    ExpectPromiseHolds("six jobs at once");

    // A log the XML reader refuses, cut short or written before texts were escaped, is kept aside
    // and every entry it shows is taken back.
    const std::string logPath = CArchiveLogger::FilePath();
    const std::string whole = test::ReadFileText(logPath);
    const std::string oldEntry = "   <entry id = 1600000000>\r\r\n      <target>/old.zip</target>\r\r\n"
                                 "      <comment>see <b>here</comment>\r\r\n      <calls>\r\r\n"
                                 "         <call_id>5</call_id>\r\r\n         <file>/calls/old & gone.qor</file>\r\r\n"
                                 "      </calls>\r\r\n   </entry>\r\r\n";
    // Cut short after the last entry's calls; or with an entry written before texts were escaped.
    for (const std::string& damaged : { whole.substr(0, whole.rfind("   </entry>")),
             "<Root>\r\r\n" + oldEntry + whole.substr(std::string("<Root>\r\r\n").size()) }) {
        for (const auto& item : fs::directory_iterator(fs::path(logPath).parent_path()))
            if (item.path().filename().string().starts_with("archive.log.damaged"))
                fs::remove(item.path());
        test::WriteFileText(logPath, damaged);
        const std::size_t before = RecoverArchiveLogEntries(damaged).size();
        ASSERT_GE(before, 1u);
        Call("after-damage/1000-z.qor", 60);
        const CCliResult run
            = Archive({ "--zip", Path("after-damage.zip"), "--after", "delete", Path("after-damage") });
        EXPECT_TRUE(Has(run.errors, "could not be read; kept as")) << run.errors;
        const auto entries = LogEntries();
        EXPECT_EQ(entries.size(), before + 1) << "the entries it showed, and the new job";
        bool keptAside = false;
        for (const auto& item : fs::directory_iterator(fs::path(logPath).parent_path()))
            keptAside |= item.path().filename().string().starts_with("archive.log.damaged")
                && test::ReadFileText(item.path().string()) == damaged;
        EXPECT_TRUE(keptAside);
        ExpectPromiseHolds("after a damaged log");
    }

    // A log of NUL bytes is no log to write over; one an editor saved as UTF-16 is read.
    const std::string entries = test::ReadFileText(logPath);
    test::WriteFileText(logPath, std::string(4096, '\0'));
    Call("nul/1000-n.qor", 62);
    EXPECT_TRUE(Has(Archive({ "--zip", Path("nul.zip"), Path("nul") }).errors, "could not be read; kept as"));
    test::WriteFileText(logPath, entries);
    std::string utf16 = "\xFF\xFE";
    for (const char c : entries) {
        utf16 += c;
        utf16 += '\0';
    }
    test::WriteFileText(logPath, utf16);
    EXPECT_EQ(LogEntries().size(), RecoverArchiveLogEntries(entries).size());
    test::WriteFileText(logPath, entries);

    // The log's folder is full: the job does not run, so no archive is made that the log does not
    // name (every tick of a timer would make another), and no original is touched.
    test::CSmallFileSystem full(256 * 1024);
    if (!full.Mounted())
        GTEST_SKIP() << "mounting a small file system needs root; the full-log case was not tried";
    chmod(full.Path().c_str(), 0700); // a data folder of hers alone
    setenv("XDG_DATA_HOME", full.Path().c_str(), 1);
    ASSERT_TRUE(fs::is_directory(GetConfigurationFolder(true)));
    ASSERT_TRUE(fs::is_directory(GetLogFolder()));
    full.FillLeaving(0);
    Call("log-full/1000-k.qor", 61);
    const CCliResult run = Archive({ "--zip", Path("log-full.zip"), "--after", "delete", Path("log-full") });
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run.errors, "cannot be written (No space left on device); the job was not run")) << run.errors;
    EXPECT_FALSE(fs::exists(Path("log-full.zip")));

    // Full only once the archive is made: the new archive goes again and the originals stay.
    fs::remove(full.File("filler"));
    auto log = std::make_shared<CArchiveLogger>();
    CArchiveManager manager(log);
    CJobArchListEntry job;
    job.target = Path("late-full.zip");
    job.mediaProcessing = kDeleteOriginals;
    CRvFileListEntry folder;
    folder.SetPath(Path("log-full"));
    job.AddCall(folder);
    manager.AddJob(job, nullptr);
    RunToTheEnd(manager);
    ASSERT_TRUE(fs::exists(job.target));
    full.FillLeaving(0);
    const CArchiveJobOutcome outcome = FinishArchiveJob(manager, *log, *manager.GetFirstJob());
    EXPECT_FALSE(outcome.logged);
    EXPECT_EQ(outcome.archived, 0) << "an archive the log does not name archives nothing";
    EXPECT_EQ(outcome.removed, std::vector<std::string>{ job.target });
    EXPECT_FALSE(fs::exists(job.target));
    setenv("XDG_DATA_HOME", sandbox.UserData().c_str(), 1);
    ExpectPromiseHolds("the log's folder full, before and after the archive was made");
}

TEST_F(ArchiveSafety, CountsMessagesAndTheLogSayWhatWasVerified)
{
    // An image that cannot be written: nothing archived, said so, nothing logged, nothing deleted.
    test::CSmallFileSystem small(512 * 1024);
    if (small.Mounted()) {
        for (int call = 0; call < 3; ++call)
            Call("full/1000-" + std::to_string(call) + ".qor", 70 + static_cast<std::uint32_t>(call), 120);
        const CCliResult run = Archive({ "--iso", small.File("full.iso"), "--after", "delete", Path("full") });
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_FALSE(Has(run.output, "calls archived")) << run.output;
        EXPECT_TRUE(Has(run.errors, "full.iso")) << run.errors;
        EXPECT_TRUE(LogEntries().empty());
        ExpectPromiseHolds("an image on a full disk");
    }

    // One call the image refuses (too large for ISO 9660): the others are archived, logged and
    // counted, and the refused one is named.
    Call("mixed/1000-a.qor", 80);
    Call("mixed/1000-b.qor", 81);
    const std::string huge = Path("mixed/1000-huge.qor");
    {
        test::WriteFileText(huge, "");
        fs::resize_file(huge, std::uint64_t{ 5 } << 30);
    }
    const CCliResult run = Archive({ "--iso", Path("mixed.iso"), "--after", "delete", Path("mixed") });
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run.output, "2 calls archived") && Has(run.output, "2 originals deleted")) << run.output;
    EXPECT_TRUE(Has(run.errors, huge)) << run.errors;
    const auto entries = LogEntries();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back()->callCount, 2);
    EXPECT_TRUE(fs::exists(huge));
    ExpectPromiseHolds("one call refused by the image");

    // Calls that would pass the size limit are left out, named, and no failure.
    for (int call = 0; call < 3; ++call) {
        samplegen::CSampleCall large;
        large.seed = 90 + static_cast<std::uint32_t>(call);
        large.codecTag = kCodecALaw;
        large.durationSeconds = 75;
        ledger.Record(work.Write("limited/1000-" + std::to_string(call) + ".qor", large));
    }
    const CCliResult limited
        = Archive({ "--zip", Path("limited.zip"), "--threshold", "1", "--after", "delete", Path("limited") });
    EXPECT_EQ(limited.exitCode, 0) << limited.errors;
    EXPECT_TRUE(Has(limited.output, "1 calls archived") && Has(limited.output, "2 left out at the size limit"))
        << limited.output;
    EXPECT_TRUE(Has(limited.errors, "left out: the archive reached its size limit")) << limited.errors;
    ExpectPromiseHolds("a size limit");

    // The archive folder vanished once the copies were read back: its originals stay, unlogged.
    Call("vanish/1000-v.qor", 82);
    auto log = std::make_shared<CArchiveLogger>();
    CArchiveManager manager(log, nullptr);
    CJobArchListEntry job;
    job.archiveType = kArchiveDisk;
    job.mediaProcessing = kDeleteOriginals;
    job.target = Path("vanishing");
    CRvFileListEntry source;
    source.SetPath(Path("vanish"));
    job.AddCall(source);
    manager.AddJob(job, nullptr);
    RunToTheEnd(manager);
    fs::remove_all(Path("vanishing"));
    const CArchiveJobOutcome outcome = FinishArchiveJob(manager, *log, *manager.GetFirstJob());
    EXPECT_EQ(outcome.archived, 0);
    EXPECT_EQ(outcome.changed, (Kept{ { Path("vanish/1000-v.qor"), COriginalChange::ArchiveGone } }));
    EXPECT_FALSE(outcome.logged);
    ExpectPromiseHolds("the archive folder vanished");

    // Originals another program takes away meanwhile, before the log is written or after: the
    // copies are all that is left, so they are logged and said to be where they are.
    Call("gone/1000-g.qor", 83);
    Call("gone/1000-h.qor", 84);
    CArchiveManager goneManager(log, nullptr);
    job.archiveType = kArchiveZip;
    job.target = Path("gone.zip");
    job.ClearCalls();
    source.SetPath(Path("gone"));
    job.AddCall(source);
    goneManager.AddJob(job, nullptr);
    RunToTheEnd(goneManager);
    fs::remove(Path("gone/1000-g.qor"));
    CArchiveJobOutcome gone = LogArchiveJob(goneManager, *log, *goneManager.GetFirstJob());
    EXPECT_TRUE(gone.logged);
    EXPECT_EQ(gone.archived, 2);
    EXPECT_TRUE(gone.changed.empty());
    EXPECT_EQ(
        gone.vanished, (std::vector<std::pair<std::string, std::string>>{ { Path("gone/1000-g.qor"), job.target } }));
    fs::remove(Path("gone/1000-h.qor"));
    ModifyLoggedOriginals(goneManager, *log, *goneManager.GetFirstJob(), gone);
    EXPECT_EQ(gone.originals.vanished, std::vector<std::string>{ Path("gone/1000-h.qor") });
    EXPECT_TRUE(gone.originals.kept.empty());

    // The same for a folder tree, the original taken away once copied but before the copies are
    // read back: the copy is all that is left of it, and is logged as its copy.
    struct CTakeAway : IProgressBarSink {
        std::string path;
        void OnProgress(double percent) override
        {
            if (percent >= 100.0)
                fs::remove(path);
        }
        void OnStart() override { }
        void OnFinish(CJobArchListEntry*) override { }
    } takeAway;
    takeAway.path = Call("gone-tree/1000-t.qor", 85);
    CArchiveManager treeManager(log, nullptr);
    job.archiveType = kArchiveDisk;
    job.target = Path("gone-tree-archive");
    job.ClearCalls();
    source.SetPath(Path("gone-tree"));
    job.AddCall(source);
    treeManager.AddJob(job, &takeAway);
    RunToTheEnd(treeManager);
    const CArchiveJobOutcome tree = FinishArchiveJob(treeManager, *log, *treeManager.GetFirstJob());
    EXPECT_EQ(tree.archived, 1);
    EXPECT_EQ(tree.vanished.size(), 1u);
    ExpectPromiseHolds("originals taken away during the job");
}

TEST_F(ArchiveSafety, AKilledAppendIsRepairedAtTheNextStartOrOnDemand)
{
    const std::string target = Path("held.zip");
    for (int call = 0; call < 10; ++call)
        Call("held/1000-" + std::to_string(call) + ".qor", 90 + static_cast<std::uint32_t>(call));
    ASSERT_EQ(Archive({ "--zip", target, "--after", "delete", Path("held") }).exitCode, 0);
    const std::multiset<std::string> held = Contents(target);
    for (int call = 0; call < 6; ++call)
        test::WriteFileText(
            Path("big/" + std::to_string(call) + ".qor"), std::string(8 << 20, static_cast<char>('a' + call)));

    // Killed once the journal is there and the archive has begun to change.
    const auto killMidAppend = [&] {
        const auto before = fs::file_size(target);
        test::CCliProcess appending({ "archive", "--zip", target, Path("big") });
        const std::string journals = CZipJournal::Folder(true);
        for (int wait = 0; wait < 20'000; ++wait) {
            bool journal = false;
            for (const auto& item : fs::directory_iterator(journals))
                journal |= item.path().extension() == ".journal";
            if (journal && fs::file_size(target) != before)
                break;
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        appending.Kill();
        appending.Wait();
    };
    killMidAppend();
    EXPECT_FALSE(ShellSucceeds("unzip -tqq '" + target + "'")) << "the kill left the archive half-written";
    const CCliResult anyCommand = RunCli({ "log" });
    EXPECT_TRUE(Has(anyCommand.errors, "repaired from the journal of an interrupted run")) << anyCommand.errors;
    EXPECT_EQ(Contents(target), held);
    ExpectPromiseHolds("repaired at the next start");

    // On demand (what "archive --repair" does once the start has found nothing left to do).
    killMidAppend();
    const CZipRepairOutcome repair = RepairZipArchive(target);
    EXPECT_TRUE(repair.repaired) << repair.message;
    EXPECT_EQ(repair.message, "repaired from the journal of an interrupted run");
    EXPECT_EQ(Contents(target), held);
    // Without the journal (another user's run, say): a new directory for the entries held whole.
    killMidAppend();
    for (const auto& item : fs::directory_iterator(CZipJournal::Folder(true)))
        fs::remove(item.path());
    const CCliResult rebuilt = RunCli({ "archive", "--repair", target });
    EXPECT_EQ(rebuilt.exitCode, 0) << rebuilt.errors;
    EXPECT_TRUE(Has(rebuilt.output, "its directory was rebuilt from the")) << rebuilt.output;
    const std::multiset<std::string> salvaged = Contents(target);
    EXPECT_TRUE(std::includes(salvaged.begin(), salvaged.end(), held.begin(), held.end()));
    ExpectPromiseHolds("rebuilt without a journal");
    const CCliResult intact = RunCli({ "archive", "--repair", target });
    EXPECT_TRUE(intact.exitCode == 0 && Has(intact.output, "intact; nothing to repair")) << intact.output;
    test::WriteFileText(Path("noise.zip"), std::string(5000, 'n'));
    const CCliResult damaged = RunCli({ "archive", "--repair", Path("noise.zip") });
    EXPECT_EQ(damaged.exitCode, 2);
    EXPECT_TRUE(Has(damaged.errors, "it is damaged")) << damaged.errors;

    // A job logged its calls and waits to delete them (the wizard's confirmation) while another
    // job adding to the same archive is killed: the last check puts the archive back from its
    // journal, under its lock, and reads every copy back before any original goes.
    auto log = std::make_shared<CArchiveLogger>();
    const auto logWaiting = [&](CArchiveManager& manager, const std::string& folder) {
        CJobArchListEntry job;
        job.target = target;
        job.mediaProcessing = kDeleteOriginals;
        CRvFileListEntry source;
        source.SetPath(Path(folder));
        job.AddCall(source);
        manager.AddJob(job, nullptr);
        RunToTheEnd(manager);
        return LogArchiveJob(manager, *log, *manager.GetFirstJob());
    };
    for (int call = 0; call < 3; ++call)
        Call("waiting/1000-" + std::to_string(call) + ".qor", 120 + static_cast<std::uint32_t>(call));
    CArchiveManager waiting(log, nullptr);
    CArchiveJobOutcome outcome = logWaiting(waiting, "waiting");
    ASSERT_TRUE(outcome.logged);
    killMidAppend();
    ASSERT_FALSE(ShellSucceeds("unzip -tqq '" + target + "'")) << "the kill left the archive half-written";
    ModifyLoggedOriginals(waiting, *log, *waiting.GetFirstJob(), outcome);
    EXPECT_EQ(outcome.originals.modified, 3);
    EXPECT_TRUE(ShellSucceeds("unzip -tqq '" + target + "'"));
    ExpectPromiseHolds("an append killed before the originals were deleted");

    // An entry damaged meanwhile, with no journal to put it back: its original stays.
    for (int call = 0; call < 3; ++call)
        Call("damaged/1000-" + std::to_string(call) + ".qor", 130 + static_cast<std::uint32_t>(call));
    CArchiveManager damaging(log, nullptr);
    outcome = logWaiting(damaging, "damaged");
    ASSERT_TRUE(outcome.logged);
    const CVerifiedCopy& hit = damaging.Verified().at(Path("damaged/1000-1.qor"));
    const int archive = open(target.c_str(), O_RDWR | O_CLOEXEC);
    unsigned char header[30];
    ASSERT_EQ(pread(archive, header, sizeof header, static_cast<off_t>(hit.entryOffset)), 30);
    const auto data = static_cast<off_t>(
        hit.entryOffset + 30 + (header[26] | header[27] << 8) + (header[28] | header[29] << 8) + 2);
    char byte = 0;
    ASSERT_EQ(pread(archive, &byte, 1, data), 1);
    byte = static_cast<char>(byte ^ 0x55);
    ASSERT_EQ(pwrite(archive, &byte, 1, data), 1);
    // Held open for writing (as another user may hold a file of ours he could once write, whatever
    // its mode says now): no copy in it counts.
    for (const auto& [path, verdict] : CCopyRecheck().Check(damaging.Verified()))
        EXPECT_EQ(verdict, COriginalChange::CopyOpenForWriting) << path;
    close(archive);
    ModifyLoggedOriginals(damaging, *log, *damaging.GetFirstJob(), outcome);
    EXPECT_EQ(outcome.originals.modified, 2) << "the others' entries are whole";
    EXPECT_EQ(outcome.originals.kept, (Kept{ { Path("damaged/1000-1.qor"), COriginalChange::CopyNotIntact } }));
    // Mended, so that the tools read the whole archive again for the check.
    const int mending = open(target.c_str(), O_RDWR | O_CLOEXEC);
    byte = static_cast<char>(byte ^ 0x55);
    ASSERT_EQ(pwrite(mending, &byte, 1, data), 1);
    close(mending);
    ExpectPromiseHolds("an entry damaged before the originals were deleted");
}

TEST_F(ArchiveSafety, OnlyTheVeryCallIsEverDeletedOrStripped)
{
    // A different call of the same name, size and CRC-32 (four bytes set to make it so) is archived
    // on its own, not taken for the first.
    const std::string first = Call("forged/a/1000-x.qor", 110);
    std::string bytes = test::ReadFileText(first);
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
    bytes[5000] = static_cast<char>(bytes[5000] ^ 0x5A);
    ForceCrc32(bytes, crc);
    ASSERT_EQ(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())), crc);
    test::WriteFileText(Path("forged/b/1000-x.qor"), bytes);
    ledger.Record(Path("forged/b/1000-x.qor"));
    for (const char* folder : { "forged/a", "forged/b" }) {
        const CCliResult run = Archive({ "--zip", Path("forged.zip"), "--after", "delete", Path(folder) });
        EXPECT_EQ(run.exitCode, 0) << run.errors;
    }
    EXPECT_EQ(Contents(Path("forged.zip")).size(), 2u);
    ExpectPromiseHolds("a call forged to look like another");

    // A call a recorder still has open is kept, whether it is to be deleted or stripped.
    const std::string live = Call("live/1000-live.qor", 111);
    const int recorder = open(live.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(recorder, 0);
    for (const char* after : { "delete", "strip-audio" }) {
        const CCliResult run = Archive({ "--zip", Path("live.zip"), "--after", after, Path("live") });
        EXPECT_EQ(run.exitCode, 2) << after;
        EXPECT_TRUE(Has(run.errors, "another program has it open")) << run.errors;
    }
    ASSERT_EQ(write(recorder, "more audio", 10), 10);
    close(recorder);
    ledger.Record(live);
    ExpectPromiseHolds("a call still being recorded");

    // A link is never followed to delete or strip what it points to, and a folder-tree archive
    // reached through a linked folder is not taken for originals.
    const std::string elsewhere = Call("elsewhere/1000-kept.qor", 112);
    fs::create_directories(Path("links"));
    fs::create_symlink(elsewhere, Path("links/1000-link.qor"));
    const CCliResult linked = Archive({ "--zip", Path("links.zip"), "--after", "strip-audio", Path("links") });
    EXPECT_TRUE(Has(linked.errors, "is a symbolic link")) << linked.errors;
    EXPECT_EQ(test::ReadFileText(elsewhere).size(), fs::file_size(elsewhere));
    Call("treed/1000-t.qor", 113);
    ASSERT_EQ(Archive({ "--disk", Path("tree"), "--after", "delete", Path("treed") }).exitCode, 0);
    fs::create_directory_symlink(Path("tree"), Path("links/tree"));
    const CCliResult again = Archive({ "--zip", Path("links2.zip"), "--sub", "--after", "strip-audio", Path("links") });
    EXPECT_TRUE(Has(again.errors, "is a symbolic link")) << again.errors;
    EXPECT_EQ(NamesIn(Path("tree")), std::set<std::string>{ "1000-t.qor" });
    EXPECT_GT(fs::file_size(Path("tree/1000-t.qor")), 1440u) << "the archive's copy keeps its audio";
    ExpectPromiseHolds("links");
}

TEST_F(ArchiveSafety, LongNamesAreArchivedAndLeaveNoPartialFiles)
{
    // A call name of 254 bytes, an archive name of 250: the partial files' names never pass the
    // file system's limit, and the calls after them are still archived.
    const std::string longCall = Path("calls/1000-" + std::string(254 - 9, 'n') + ".qor");
    samplegen::CSampleCall call;
    call.seed = 100;
    fs::rename(work.Write("calls/short.qor", call), longCall);
    ledger.Record(longCall);
    Call("calls/1000-z.qor", 101);
    const std::string longZip = Path(std::string(246, 'z') + ".zip");
    for (const std::vector<std::string>& target :
        { std::vector<std::string>{ "--zip", longZip }, std::vector<std::string>{ "--disk", Path("tree") } }) {
        const CCliResult run = Archive({ target[0], target[1], Path("calls") });
        EXPECT_EQ(run.exitCode, 0) << run.errors;
        EXPECT_TRUE(Has(run.output, "2 calls archived")) << run.output;
    }
    EXPECT_EQ(Contents(longZip).size(), 2u);
    EXPECT_TRUE(test::PartialFilesBelow(work.Path()).empty());
    ExpectPromiseHolds("long names");
}

} // namespace
} // namespace qor

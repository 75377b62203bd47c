// Archiving as an office does it: colleagues in one group, working under umask 002, with setgid
// folders they share. Each case is something one colleague could do to lose another's call; after
// each, every call is at its place or in an archive of hers that holds it intact and that her
// archive.log names. Two real users, so the tests run only as root (as CI does).
#include "CallLedger.h"
#include "CliProcess.h"
#include "review/HotLists.h"
#include "support/OtherUser.h"
#include "support/RecordingFolder.h"
#include "support/TestFolders.h"

#include <algorithm>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qor {
namespace {

namespace fs = std::filesystem;
using test::COtherUser;
using test::Joined;

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class ArchiveOffice : public ::testing::Test {
protected:
    void SetUp() override
    {
        alice = COtherUser::Colleague("alice");
        bob = COtherUser::Colleague("bob");
        if (!alice || !bob)
            GTEST_SKIP() << "colleagues are made only when the tests run as root; not tried here";
        // A build inside a folder only root may enter (a private checkout) has no program for them.
        if (alice->Run([] { return access(QOR_CLI_PATH, X_OK) == 0 ? 0 : 1; }) != 0)
            GTEST_SKIP() << QOR_CLI_PATH << " cannot be run by other users here; not tried";
        chmod(work.Path().c_str(), 0755);
        aliceHome = work.File("alice");
        calls = work.File("alice-calls");
        fs::create_directory(calls);
        alice->Own(calls);
    }

    // A call of Alice's as her recorder leaves it under umask 002: hers and her group's.
    std::string AliceCall(const std::string& name, std::uint32_t seed)
    {
        samplegen::CSampleCall call;
        call.seed = seed;
        call.durationSeconds = 3;
        const std::string path = work.Write("alice-calls/" + name, call);
        chown(path.c_str(), alice->Uid(), COtherUser::OfficeGroup());
        chmod(path.c_str(), 0664);
        ledger.Record(path);
        return path;
    }

    test::CCliResult AsAlice(const std::vector<std::string>& arguments, const std::string& machine = "")
    {
        test::CCliProcess process(arguments, alice->Command(aliceHome, machine));
        return process.Wait();
    }

    // Her own data folder, where her log, her schedule and its lock are.
    std::string AliceFile(const std::string& name) const
    {
        return aliceHome + "/.local/share/Veltrane/Qor Tolvane/Configuration/" + name;
    }
    std::string AliceLog() const { return AliceFile("archive.log"); }

    // A process of a user's with the file open (for reading when type is F_RDLCK, else for
    // writing) that takes an open file description lock of that type on it, at once or when told,
    // and keeps it until the holder goes.
    class CHolder {
    public:
        CHolder(const COtherUser& user, const std::string& path, short type, bool lockNow)
        {
            if (pipe(m_toChild) != 0 || pipe(m_fromChild) != 0)
                return;
            m_pid = fork();
            if (m_pid == 0) {
                const gid_t groups[] = { user.Gid(), COtherUser::OfficeGroup() };
                if (setgroups(2, groups) != 0 || setgid(user.Gid()) != 0 || setuid(user.Uid()) != 0)
                    _exit(1);
                const int file = open(path.c_str(), (type == F_RDLCK ? O_RDONLY : O_RDWR) | O_CLOEXEC);
                struct flock whole { };
                whole.l_type = type;
                char go = 0;
                if (file < 0 || (lockNow && fcntl(file, F_OFD_SETLK, &whole) != 0)
                    || write(m_fromChild[1], "o", 1) != 1)
                    _exit(1);
                if (!lockNow && read(m_toChild[0], &go, 1) == 1 && fcntl(file, F_OFD_SETLK, &whole) == 0
                    && write(m_fromChild[1], "l", 1) != 1)
                    _exit(1);
                pause();
                _exit(0);
            }
            // The child's ends go, so that a child that gave up reads as an end, not a wait.
            close(m_toChild[0]);
            close(m_fromChild[1]);
            m_toChild[0] = m_fromChild[1] = -1;
            char answer = 0;
            m_ready = read(m_fromChild[0], &answer, 1) == 1;
        }
        ~CHolder()
        {
            if (m_pid > 0) {
                kill(m_pid, SIGKILL);
                waitpid(m_pid, nullptr, 0);
            }
            for (const int end : { m_toChild[0], m_toChild[1], m_fromChild[0], m_fromChild[1] })
                close(end);
        }
        bool Ready() const { return m_ready; }
        // Takes the lock now through the descriptor opened at the start; whether it got it.
        bool LockNow()
        {
            char answer = 0;
            return write(m_toChild[1], "g", 1) == 1 && read(m_fromChild[0], &answer, 1) == 1;
        }

    private:
        pid_t m_pid = -1;
        int m_toChild[2] = { -1, -1 };
        int m_fromChild[2] = { -1, -1 };
        bool m_ready = false;
    };

    void ExpectPromiseHolds(const std::string& when) const
    {
        const std::vector<std::string> violations = ledger.Violations(AliceLog());
        EXPECT_TRUE(violations.empty()) << when << ":\n" << Joined(violations);
    }

    test::CRecordingFolder work;
    test::CCallLedger ledger;
    std::optional<COtherUser> alice;
    std::optional<COtherUser> bob;
    std::string aliceHome;
    std::string calls;
};

TEST_F(ArchiveOffice, ACopyCountsOnlyWhenItIsOursAloneInAFolderNobodyElseCanChange)
{
    const std::string shared = test::MakeOfficeFolder(work.Path(), "archive", 03775);
    const std::string first = AliceCall("1000-1.qor", 1);
    AliceCall("1000-2.qor", 2);
    // Bob plants a file of the first call's name and bytes where her copy would go.
    const std::string planted = shared + "/1000-1.qor";
    fs::copy_file(first, planted);
    bob->Own(planted);
    chmod(planted.c_str(), 0664);

    const test::CCliResult run = AsAlice({ "archive", "--disk", shared, "--after", "delete", calls });
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(Has(run.output, "2 calls archived")) << run.output;
    for (const auto& item : fs::directory_iterator(shared)) {
        struct stat copy { };
        ASSERT_EQ(lstat(item.path().c_str(), &copy), 0);
        if (copy.st_uid == bob->Uid())
            continue;
        EXPECT_EQ(copy.st_uid, alice->Uid()) << item.path();
        // Her call was 0664 and her umask 002: the only copy is still nobody else's to write.
        EXPECT_EQ(copy.st_mode & 0777, 0644u) << item.path();
        EXPECT_EQ(bob->Run([&] { return open(item.path().c_str(), O_WRONLY | O_CLOEXEC) < 0 ? 0 : 1; }), 0);
    }
    // Bob takes "the copy" away again: Alice's own copies are all there is, and all there needs be.
    EXPECT_EQ(bob->Run([&] { return unlink(planted.c_str()); }), 0);
    ExpectPromiseHolds("after a planted copy was taken away");

    // Bob makes the folder of a user's calls first, reading nothing of hers: no copy of hers goes
    // where he could remove it, and the call stays.
    const std::string byUser = AliceCall("2000-1.qor", 3);
    EXPECT_EQ(bob->Run([&] { return mkdir((shared + "/2000").c_str(), 0777); }), 0);
    const test::CCliResult refused
        = AsAlice({ "archive", "--disk", shared, "--structure", "user", "--after", "delete", calls });
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_TRUE(
        Has(refused.errors, byUser + ": not archived: the archive folder " + shared + "/2000 belongs to another user"))
        << refused.errors;
    EXPECT_TRUE(fs::exists(byUser));
    EXPECT_EQ(bob->Run([&] { return rmdir((shared + "/2000").c_str()); }), 0);
    ExpectPromiseHolds("after a folder another user made first");
}

TEST_F(ArchiveOffice, AColleagueCanNeitherHoldNorChangeHerScheduledRun)
{
    // The per-machine folder as the README has an administrator prepare it.
    const std::string machine = test::MakeOfficeFolder(work.Path(), "machine", 03775);
    AliceCall("1000-1.qor", 1);
    ASSERT_EQ(AsAlice({ "schedule", "set", "--on", "--folder", calls, "--method", "zip", "--to", aliceHome }, machine)
                  .exitCode,
        0);
    ASSERT_EQ(AsAlice({ "schedule", "run" }, machine).exitCode, 0);
    // Her job, its log and its lock are hers alone, whatever her umask: an earlier version kept
    // them in the per-machine folder, where a colleague could hold the lock and stop every tick.
    for (const std::string name : { "schedule.xml", "archive.log", "scheduled-run.lock" }) {
        struct stat status { };
        ASSERT_EQ(stat(AliceFile(name).c_str(), &status), 0) << name;
        EXPECT_EQ(status.st_mode & 0777, 0600u) << name;
        chmod(AliceFile(name).c_str(), 0666);
        EXPECT_EQ(bob->Run([&] { return open(AliceFile(name).c_str(), O_RDWR | O_CLOEXEC) < 0 ? 0 : 1; }), 0)
            << name << ": not even a file she left open is within his reach";
        chmod(AliceFile(name).c_str(), 0600);
    }
    EXPECT_FALSE(fs::exists(machine + "/Veltrane")) << "nothing of hers in the folder all share";

    // Bob keeps his own job beside hers; neither tick waits for or changes the other's.
    const std::string bobHome = work.File("bob");
    test::CCliProcess bobSet({ "schedule", "set", "--on", "--folder", calls, "--method", "iso", "--to", bobHome },
        bob->Command(bobHome, machine));
    EXPECT_EQ(bobSet.Wait().exitCode, 0);
    AliceCall("1000-2.qor", 2);
    EXPECT_EQ(AsAlice({ "schedule", "run" }, machine).exitCode, 0);
    const test::CCliResult hers = AsAlice({ "schedule", "show" }, machine);
    EXPECT_TRUE(Has(hers.output, "Method:         ZIP into")) << hers.output;
    ExpectPromiseHolds("with a colleague's job beside hers");

    // Her archives' names are known in advance (the job's name and the minute): Bob makes the next
    // few first in the office's archive folder, and her run takes a free name instead of stopping.
    const std::string shared = test::MakeOfficeFolder(work.Path(), "archives", 03775);
    ASSERT_EQ(AsAlice({ "schedule", "set", "--to", shared, "--name", "team" }, machine).exitCode, 0);
    const std::time_t now = std::time(nullptr);
    for (std::time_t minute = 0; minute < 4 * 60; minute += 60) {
        char name[64];
        const std::time_t at = now + minute;
        std::tm local{};
        localtime_r(&at, &local);
        std::strftime(name, sizeof name, "/team-%Y-%m-%d_%H%M.zip", &local);
        EXPECT_EQ(bob->Run([&] { return creat((shared + name).c_str(), 0644) < 0 ? 1 : 0; }), 0);
    }
    AliceCall("1000-3.qor", 3);
    const test::CCliResult blocked = AsAlice({ "schedule", "run" }, machine);
    EXPECT_EQ(blocked.exitCode, 0) << blocked.errors;
    EXPECT_TRUE(Has(blocked.output, " (2).zip")) << blocked.output;
    ExpectPromiseHolds("with the names of her archives taken first");
}

TEST_F(ArchiveOffice, AnArchiveIsNoMoreOpenThanItsCallsAndLiesWhereNobodyElseCanTakeIt)
{
    const std::string shared = test::MakeOfficeFolder(work.Path(), "archive", 03775);
    // Her private call (her own group only), archived into the office's setgid folder: the copy
    // and the archive keep her call's group, not the folder's.
    const std::string privateCall = AliceCall("1000-1.qor", 1);
    chown(privateCall.c_str(), alice->Uid(), alice->Gid());
    chmod(privateCall.c_str(), 0640);
    ASSERT_EQ(AsAlice({ "archive", "--disk", shared + "/tree", calls }).exitCode, 0);
    ASSERT_EQ(AsAlice({ "archive", "--zip", shared + "/calls.zip", calls }).exitCode, 0);
    for (const std::string& made : { shared + "/tree/1000-1.qor", shared + "/calls.zip" })
        EXPECT_EQ(bob->Run([&] { return open(made.c_str(), O_RDONLY | O_CLOEXEC) < 0 ? 0 : 1; }), 0) << made;

    // An archive others may read (and hold open) takes no call fewer may read.
    const std::string open = shared + "/open.zip";
    const std::string publicCall = AliceCall("1000-2.qor", 2);
    chmod(privateCall.c_str(), 0600);
    ASSERT_EQ(AsAlice({ "archive", "--zip", open, publicCall }).exitCode, 0);
    const test::CCliResult refused = AsAlice({ "archive", "--zip", open, privateCall });
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_TRUE(Has(refused.errors, privateCall + ": not archived: fewer may read it than may read the archive"))
        << refused.errors;

    // A read lock anyone who can read the archive may take does not keep her from adding to it.
    const std::string another = AliceCall("1000-3.qor", 3);
    {
        CHolder reader(*bob, open, F_RDLCK, true);
        ASSERT_TRUE(reader.Ready());
        const test::CCliResult added = AsAlice({ "archive", "--zip", open, another });
        EXPECT_EQ(added.exitCode, 0) << added.errors;
    }

    // An archive folder below one Bob may write: he could move it away and put another in its
    // place, so no original goes.
    const std::string bobs = work.File("bobs");
    fs::create_directory(bobs);
    chmod(bobs.c_str(), 0777);
    bob->Own(bobs);
    const test::CCliResult exposed = AsAlice({ "archive", "--disk", bobs + "/archive", "--after", "delete", calls });
    EXPECT_NE(exposed.exitCode, 0);
    EXPECT_TRUE(Has(exposed.errors, "kept: its copy lies where another user could change or remove it"))
        << exposed.errors;
    for (const std::string& call : { privateCall, publicCall, another })
        EXPECT_TRUE(fs::exists(call)) << call;
    ExpectPromiseHolds("archives others could read or move");
}

// Three colleagues on one machine, its office folder prepared as the README says, and the office
// job run as the system timer runs it (root's, by default). Each keeps what is hers across restarts,
// none can change or stop what is another's, and each sees her own jobs and the office's.
TEST_F(ArchiveOffice, ThreeUsersAndTheOfficeJobEachKeepWhatIsTheirs)
{
    const std::optional<COtherUser> carol = COtherUser::Colleague("carol");
    ASSERT_TRUE(carol);
    const std::string machine = work.File("machine");
    const std::string office = machine + "/Veltrane/Qor Tolvane/Configuration";
    fs::create_directories(office);
    for (fs::path folder = office; folder != fs::path(work.Path()); folder = folder.parent_path())
        chmod(folder.c_str(), 0755);
    const std::string shared = test::MakeOfficeFolder(work.Path(), "shared", 03775);
    const std::string officeArchives = work.File("office-archives");
    fs::create_directory(officeArchives);
    fs::create_directories(work.File("root/data"));
    fs::create_directories(work.File("root/config"));
    const std::vector<std::string> asRoot = { "env", "QOR_MACHINE_DATA_DIR=" + machine, "HOME=" + work.File("root"),
        "XDG_DATA_HOME=" + work.File("root/data"), "XDG_CONFIG_HOME=" + work.File("root/config") };
    const auto root
        = [&](const std::vector<std::string>& arguments) { return test::CCliProcess(arguments, asRoot).Wait(); };
    ASSERT_EQ(root({ "schedule", "set", "--office", "--on", "--folder", shared, "--method", "zip", "--to",
                       officeArchives, "--name", "office" })
                  .exitCode,
        0);

    struct CColleague {
        const COtherUser* user;
        std::string home, calls, officeCall;
    };
    std::vector<CColleague> colleagues;
    std::uint32_t seed = 10;
    for (const COtherUser* user : std::vector<const COtherUser*>{ &*alice, &*bob, &*carol }) {
        CColleague colleague{ user, work.File(user->Name() + "-home"), work.File(user->Name() + "-calls"), {} };
        fs::create_directory(colleague.calls);
        user->Own(colleague.calls);
        const std::string own = colleague.calls + "/1000-" + std::to_string(seed) + ".qor";
        samplegen::CSampleCall call;
        call.seed = ++seed;
        call.durationSeconds = 2;
        fs::copy_file(work.Write("made.qor", call), own);
        fs::remove(work.File("made.qor"));
        user->Own(own);
        call.seed = ++seed;
        colleague.officeCall = shared + "/2000-" + std::to_string(seed) + ".qor";
        fs::copy_file(work.Write("made.qor", call), colleague.officeCall);
        fs::remove(work.File("made.qor"));
        user->Own(colleague.officeCall);
        colleagues.push_back(colleague);
    }
    const auto as = [&](const CColleague& colleague, const std::vector<std::string>& arguments) {
        return test::CCliProcess(arguments, colleague.user->Command(colleague.home, machine)).Wait();
    };

    // The timer's tick, as the office account.
    const test::CCliResult tick = root({ "schedule", "run", "--if-due", "--office" });
    ASSERT_EQ(tick.exitCode, 0) << tick.errors;
    for (const CColleague& colleague : colleagues) {
        const test::CCliResult set = as(colleague,
            { "schedule", "set", "--on", "--folder", colleague.calls, "--method", "zip", "--to", colleague.home });
        ASSERT_EQ(set.exitCode, 0) << set.errors;
        const test::CCliResult run = as(colleague, { "schedule", "run" });
        EXPECT_EQ(run.exitCode, 0) << colleague.user->Name() << ": " << run.errors;
        // The office job is the administrator's: hers to read, not to change or run.
        EXPECT_EQ(as(colleague, { "schedule", "set", "--office", "--off" }).exitCode, 2);
        EXPECT_EQ(as(colleague, { "schedule", "run", "--office" }).exitCode, 2);
        EXPECT_EQ(as(colleague, { "schedule", "show", "--office" }).exitCode, 0);
        const test::CCliResult list = as(colleague, { "list", "--format", "json", colleague.calls, shared });
        std::size_t archived = 0;
        for (std::size_t at = 0; (at = list.output.find("\"archived\": \"", at)) != std::string::npos; ++at)
            ++archived;
        EXPECT_EQ(archived, 4u) << "hers by her job, the office's by its own: " << list.output;
    }
    EXPECT_TRUE(Has(root({ "schedule", "show", "--office" }).output, "office (on)"));
    // An office log a colleague took over names nothing archived any more, and the list says so.
    const std::string officeLog = office + "/archive.log";
    ASSERT_EQ(chown(officeLog.c_str(), alice->Uid(), COtherUser::OfficeGroup()), 0);
    const test::CCliResult refused = as(colleagues[1], { "list", "--format", "csv", colleagues[1].calls, shared });
    EXPECT_EQ(refused.exitCode, 0) << refused.errors;
    EXPECT_TRUE(Has(refused.errors, officeLog + ": it belongs to another user than the office account"))
        << refused.errors;
    EXPECT_EQ(refused.errors.find(officeLog), refused.errors.rfind(officeLog)) << "named once: " << refused.errors;
    ASSERT_EQ(chown(officeLog.c_str(), 0, 0), 0);

    // Each one's trees and shortcuts, kept across restarts in her own folder, where no colleague
    // reaches them.
    for (const CColleague& colleague : colleagues) {
        const auto inHerFolders = [&](const std::function<int()>& body) {
            return colleague.user->Run([&] {
                setenv("HOME", colleague.home.c_str(), 1);
                setenv("XDG_DATA_HOME", (colleague.home + "/.local/share").c_str(), 1);
                setenv("XDG_CONFIG_HOME", (colleague.home + "/.config").c_str(), 1);
                return body();
            });
        };
        const std::string link = colleague.calls + "/kept.qor";
        EXPECT_EQ(inHerFolders([&] {
            CHotLists trees;
            trees.Load();
            return trees.Add({ 9, -1, "Review", link, false }) && trees.Save() ? 0 : 1;
        }),
            0);
        EXPECT_EQ(inHerFolders([&] {
            CHotLists trees;
            const auto entries = trees.Load() ? trees.Entries() : std::vector<CTreeStoreEntry>();
            return std::any_of(entries.begin(), entries.end(), [&](const auto& entry) { return entry.target == link; })
                ? 0
                : 1;
        }),
            0)
            << colleague.user->Name() << "'s link is still there after a restart";
        for (const CColleague& another : colleagues) {
            if (&another == &colleague)
                continue;
            EXPECT_EQ(another.user->Run([&] {
                const std::string folder = colleague.home + "/.local/share/Veltrane/Qor Tolvane/Configuration/";
                return open((folder + "hotlist.xml").c_str(), O_RDONLY | O_CLOEXEC) < 0
                        && open((folder + "schedule.xml").c_str(), O_RDONLY | O_CLOEXEC) < 0
                    ? 0
                    : 1;
            }),
                0);
        }
    }
}

TEST_F(ArchiveOffice, TheAccountTheAdministratorNamesKeepsTheOfficeJobAndAMisspeltNameIsSaid)
{
    const std::string machine = work.File("machine");
    const std::string office = machine + "/Veltrane/Qor Tolvane/Configuration";
    const std::string system = work.File("etc");
    const std::string globalFolder = system + "/Veltrane/Qor Tolvane/Configuration";
    for (const std::string& folder : { office, globalFolder }) {
        fs::create_directories(folder);
        for (fs::path up = folder; up != fs::path(work.Path()); up = up.parent_path())
            chmod(up.c_str(), 0755);
    }
    bob->Own(office);
    const auto nameOfficeAccount = [&](const std::string& account) {
        test::WriteFileText(globalFolder + "/global.xml",
            "<?xml version=\"1.0\"?>\n<profile version=\"1\"><section name=\"settings\"><OfficeAccount>" + account
                + "</OfficeAccount></section></profile>\n");
    };
    nameOfficeAccount(bob->Name());
    const std::string archives = work.File("office-archives");
    fs::create_directory(archives);
    bob->Own(archives);
    AliceCall("1000.qor", 3);
    const auto as = [&](const COtherUser& user, const std::vector<std::string>& arguments) {
        std::vector<std::string> command = user.Command(work.File(user.Name() + "-home"), machine);
        command.push_back("XDG_CONFIG_DIRS=" + system);
        return test::CCliProcess(arguments, command).Wait();
    };

    const std::vector<std::string> set
        = { "schedule", "set", "--office", "--on", "--folder", calls, "--method", "zip", "--to", archives };
    EXPECT_EQ(as(*alice, set).exitCode, 2) << "only the account global.xml names sets the office job";
    const test::CCliResult setByOffice = as(*bob, set);
    ASSERT_EQ(setByOffice.exitCode, 0) << setByOffice.errors;
    const test::CCliResult run = as(*bob, { "schedule", "run", "--office" });
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(Has(as(*alice, { "log" }).output, "(The office job, run by the administrator's account)"));
    // An office folder others may write in, even sticky, would let them plant a lock or a link.
    ASSERT_EQ(chmod(office.c_str(), 01777), 0);
    const test::CCliResult opened = as(*bob, { "schedule", "run", "--office" });
    EXPECT_EQ(opened.exitCode, 2);
    EXPECT_TRUE(Has(opened.errors, "others may write in " + office)) << opened.errors;
    ASSERT_EQ(chmod(office.c_str(), 0755), 0);

    nameOfficeAccount(bob->Name() + "x");
    const test::CCliResult misspelt = as(*bob, { "schedule", "run", "--office" });
    EXPECT_EQ(misspelt.exitCode, 2);
    const std::string said = "names the office account \"" + bob->Name() + "x\", which this machine does not have";
    EXPECT_TRUE(Has(misspelt.errors, said)) << misspelt.errors;
    EXPECT_TRUE(Has(as(*alice, { "paths" }).output, said));
}

} // namespace
} // namespace qor

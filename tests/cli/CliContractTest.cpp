// What scripts and timers rely on: data formats that never fail on what lies on disk, an exit
// status that tells "nothing matched" from "something failed" from "wrong command line", failed
// writes that are failures, dates by the call's own start, a schedule that can be set up and run
// without a window, and exports that never lose a file.
#include "archive/JobArchScheduler.h"
#include "archive/ScheduledRunLock.h"
#include "cli/CliRun.h"
#include "foundation/Settings.h"
#include "support/OtherUser.h"

#include <filesystem>
#include <nlohmann/json.hpp>
#include <openssl/evp.h>
#include <random>
#include <sys/stat.h>

namespace qor {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using test::CRun;
using test::Has;
using test::RunCli;
using CliContract = test::CCliTest;

std::string FromBase64(const std::string& text)
{
    std::string bytes(text.size(), '\0');
    const int length = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(bytes.data()),
        reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
    bytes.resize(static_cast<std::size_t>(length - std::count(text.end() - 2, text.end(), '=')));
    return bytes;
}

Json ParsedOrNull(const std::string& text)
{
    return Json::parse(text, nullptr, false);
}

TEST_F(CliContract, JsonNeverFailsOnNamesAndTextsThatAreNotUtf8)
{
    samplegen::CSampleCall call;
    call.userId = "M\xFCller"; // Windows-1252, as older recorders wrote it
    call.comment = "First line\r\nsecond line";
    const std::string latin1 = folder.Write("calls/M\xFCller-1.qor", call);

    const CRun listed = RunCli({ "list", "--format", "json", folder.File("calls") });
    ASSERT_EQ(listed.exitCode, 0) << listed.errors;
    const Json calls = ParsedOrNull(listed.output)["calls"];
    ASSERT_EQ(calls.size(), 1u) << listed.output;
    EXPECT_EQ(calls[0]["path"], folder.File("calls/M\xC3\xBCller-1.qor")) << "readable";
    EXPECT_EQ(FromBase64(calls[0]["pathBytes"]), latin1) << "and exact";
    EXPECT_EQ(calls[0]["userId"], "M\xC3\xBCller");
    EXPECT_EQ(calls[0]["comment"], "First line\r\nsecond line") << "comments stay whole in data formats";

    const CRun info = RunCli({ "info", "--format", "json", latin1 });
    ASSERT_EQ(info.exitCode, 0) << info.errors;
    EXPECT_EQ(FromBase64(ParsedOrNull(info.output)[0]["pathBytes"]), latin1);

    ASSERT_EQ(RunCli({ "archive", folder.File("calls"), "--disk", folder.File("out") }).exitCode, 0);
    const CRun log = RunCli({ "log", "--format", "json" });
    ASSERT_EQ(log.exitCode, 0) << log.errors;
    EXPECT_EQ(FromBase64(ParsedOrNull(log.output)[0]["calls"][0]["bytes"]), latin1);

    // Random bytes in every text of the header and in the names: every format still parses.
    std::mt19937 random(7);
    const auto bytes = [&random](std::size_t count, bool forName) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) {
            auto byte = static_cast<char>(random() % 255 + 1);
            text += forName && byte == '/' ? 'x' : byte;
        }
        return text;
    };
    for (int i = 0; i < 30; ++i) {
        samplegen::CSampleCall noisy;
        noisy.userId = bytes(20, false);
        noisy.callerId = bytes(20, false);
        noisy.comment = bytes(200, false);
        noisy.recorderType = bytes(8, false);
        folder.Write("noise/" + bytes(12, true) + ".qor", noisy);
    }
    const CRun noisy = RunCli({ "list", "--format", "json", folder.File("noise") });
    EXPECT_NE(noisy.exitCode, -1);
    EXPECT_EQ(ParsedOrNull(noisy.output)["calls"].size(), 30u) << noisy.errors;
    std::vector<std::string> infoArguments = { "info", "--format", "json" };
    for (const auto& entry : fs::directory_iterator(folder.File("noise")))
        infoArguments.push_back(entry.path().string());
    EXPECT_EQ(ParsedOrNull(RunCli(infoArguments).output).size(), 30u);
}

TEST_F(CliContract, DataFormatsGiveTrueTimesAndNoErrorTextsAsValues)
{
    Call("calls/a.qor", "Alice", 1'482'503'236); // the wall clock 2016-12-23 14:27:16 where it was recorded
    samplegen::CSampleCall secret;
    secret.version = 5;
    secret.passphrase = "demo";
    folder.Write("calls/secret.qor", secret);

    const CRun listed = RunCli({ "list", "--format", "json", "--sort", "user", folder.File("calls") }, ".",
        "TZ=Europe/Berlin QOR_PASSPHRASE=wrong");
    EXPECT_EQ(listed.exitCode, 2) << "the encrypted call is named as failed";
    const Json calls = ParsedOrNull(listed.output)["calls"];
    ASSERT_EQ(calls.size(), 2u) << listed.output;
    const Json& alice = calls[0]["userId"] == "Alice" ? calls[0] : calls[1];
    const Json& locked = calls[0]["userId"] == "Alice" ? calls[1] : calls[0];
    EXPECT_EQ(alice["dateTime"], "2016-12-23T14:27:16+01:00");
    EXPECT_EQ(alice["start"], 1'482'499'636) << "a true Unix time: 13:27:16 UTC";
    EXPECT_TRUE(alice["error"].is_null());
    EXPECT_TRUE(Has(locked["error"], "passphrase does not fit")) << locked;
    for (const char* field : { "userId", "callerId", "dateTime", "start", "duration", "comment" })
        EXPECT_TRUE(locked[field].is_null()) << field << ": " << locked;
    // info says where a date comes from when the header cannot give it.
    const CRun info = RunCli(
        { "info", "--format", "json", folder.File("calls/secret.qor") }, ".", "TZ=Europe/Berlin QOR_PASSPHRASE=wrong");
    EXPECT_EQ(info.exitCode, 2);
    const Json unreadable = ParsedOrNull(info.output)[0];
    EXPECT_EQ(unreadable["dateFrom"], "file") << info.output;
    EXPECT_TRUE(unreadable["dateTime"].is_string() && Has(unreadable["error"], "passphrase does not fit"))
        << info.output;

    // Columns line up whatever the script of the names.
    Call("wide/b.qor", "\xC3\x89lodie", 1'482'503'236);
    Call("wide/c.qor", "\xE7\x8E\x8B\xE8\x8A\xB3", 1'482'503'237);
    const CRun table = RunCli({ "list", folder.File("wide") });
    std::vector<std::size_t> callerColumns;
    std::istringstream lines(table.output);
    for (std::string line; std::getline(lines, line);)
        if (Has(line, ">0123"))
            callerColumns.push_back(Json(line.substr(0, line.find(">0123"))).get<std::string>().size());
    ASSERT_EQ(callerColumns.size(), 2u) << table.output;
    EXPECT_EQ(callerColumns[0] - std::string("\xE7\x8E\x8B\xE8\x8A\xB3").size() + 4,
        callerColumns[1] - std::string("\xC3\x89lodie").size() + 6)
        << "two wide characters take four columns, the accented letter one:\n"
        << table.output;
}

TEST_F(CliContract, TheExitStatusTellsNothingFoundFromFailedItemsFromAWrongCommandLine)
{
    Call("calls/a.qor", "Alice", 1'454'075'125);
    fs::create_directories(folder.File("empty"));

    const CRun unmounted = RunCli({ "list", folder.File("share-not-mounted"), folder.File("calls") });
    EXPECT_EQ(unmounted.exitCode, 2);
    EXPECT_TRUE(Has(unmounted.errors, folder.File("share-not-mounted") + ": no such file or folder"));
    EXPECT_TRUE(Has(unmounted.output, "1 calls")) << "the other source is still listed";
    // Sources that cannot hold calls are named with why, never skipped without a word.
    const std::string pipe = folder.File("pipe.qor");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    const std::string longName = folder.File(std::string(300, 'y') + ".qor");
    const CRun odd = RunCli({ "list", pipe, longName, folder.File("calls") });
    EXPECT_EQ(odd.exitCode, 2);
    EXPECT_TRUE(Has(odd.errors, pipe + ": is a named pipe, not a file or folder of calls")) << odd.errors;
    EXPECT_TRUE(Has(odd.errors, longName + ": cannot be read: name too long")) << odd.errors;
    // A call reached through a link, inside or beside the folder listed, is one row, by its own name.
    fs::create_symlink("a.qor", folder.File("calls/link.qor"));
    for (const std::vector<std::string>& sources : std::vector<std::vector<std::string>>{
             { folder.File("calls") }, { folder.File("calls/link.qor"), folder.File("calls") } }) {
        const CRun linked = RunCli({ "list", "--format", "csv", sources[0], sources.back() });
        EXPECT_TRUE(Has(linked.output, "a.qor")) << linked.output;
        EXPECT_FALSE(Has(linked.output, "link.qor")) << linked.output;
    }
    fs::remove(folder.File("calls/link.qor"));
    const CRun archived
        = RunCli({ "archive", folder.File("calls"), folder.File("gone"), "--disk", folder.File("out") });
    EXPECT_EQ(archived.exitCode, 2);
    EXPECT_TRUE(fs::exists(folder.File("out/a.qor"))) << "and still archived";

    EXPECT_EQ(RunCli({ "list", folder.File("empty") }).exitCode, 1);
    const CRun quiet = RunCli({ "list", "-q", "--format", "csv", folder.File("empty") });
    EXPECT_EQ(quiet.exitCode, 1);
    EXPECT_EQ(quiet.errors, "") << "grep-like: nothing to say";
    EXPECT_EQ(
        RunCli({ "archive", folder.File("calls"), "--select", "unarchived", "--disk", folder.File("out") }).exitCode, 1)
        << "nothing left to archive";

    const CRun command = RunCli({ "lsit", folder.File("calls") });
    EXPECT_EQ(command.exitCode, 64);
    EXPECT_TRUE(Has(command.errors, "qortolvane-cli: unknown command 'lsit'; did you mean 'list'?")) << command.errors;
    const CRun option = RunCli({ "list", "--fromat", "json", folder.File("calls") });
    EXPECT_EQ(option.exitCode, 64);
    EXPECT_TRUE(Has(option.errors, "qortolvane-cli: unknown option '--fromat' for list; did you mean '--format'?"))
        << option.errors;
    fs::create_directories(folder.File("a-folder"));
    test::WriteFileText(folder.File("empty-file"), "");
    for (const std::vector<std::string>& wrong :
        std::vector<std::vector<std::string>>{ { "list", "--dates", "2016-13-45..2016-12-01", folder.File("calls") },
            { "list", "--longer-than", "two", folder.File("calls") },
            { "--passphrase-file", folder.File("a-folder"), "list", folder.File("calls") },
            { "--passphrase-file", folder.File("empty-file"), "list", folder.File("calls") } }) {
        const CRun run = RunCli(wrong);
        EXPECT_EQ(run.exitCode, 64) << wrong[1] << ": " << run.errors;
        EXPECT_TRUE(run.errors.starts_with("qortolvane-cli: ")) << run.errors;
    }
    EXPECT_TRUE(RunCli({ "--version" }).output.starts_with("qortolvane-cli "));
    EXPECT_EQ(RunCli({ "-V" }).exitCode, 0);

    // The branding bundle's names are the data folders' names; one that cannot be used stops every
    // command before it reads or writes any (the desktop program would use other folders).
    const std::string branding = CSettings::GetSystemConfigFilePath(CSettings::kBrandingFile);
    const auto brand = [&](const std::string& bundle) {
        test::WriteFileText(branding,
            "<?xml version=\"1.0\"?>\r\n<profile version=\"1\">\r\n<section name=\"settings\"><ResourceFile>" + bundle
                + "</ResourceFile></section>\r\n</profile>\r\n");
    };
    brand(QOR_BRANDING_EXAMPLE);
    const CRun paths = RunCli({ "paths" });
    EXPECT_TRUE(Has(paths.output, "/Tarnwell Telecom/Tarn Call Desk/")) << paths.output;
    EXPECT_TRUE(Has(paths.output, "/Tarnwell Telecom/Tarn Call Desk.conf\n")) << "the window's recent lists";
    EXPECT_TRUE(Has(paths.output, branding + "\n")) << "branding.xml where it was read, by our own names";
    EXPECT_TRUE(Has(RunCli({ "settings" }).output, "Resource library:    " QOR_BRANDING_EXAMPLE "\n"));
    brand(folder.File("no-bundle"));
    const CRun unbranded = RunCli({ "list", folder.File("calls") });
    EXPECT_EQ(unbranded.exitCode, 78);
    EXPECT_TRUE(
        Has(unbranded.errors, "Unable to locate the resources file (" + folder.File("no-bundle") + "): not found"))
        << unbranded.errors;
    EXPECT_EQ(RunCli({ "--version" }).exitCode, 0) << "what only looks still answers";
    fs::remove(branding);
}

TEST_F(CliContract, AWriteToStandardOutputThatFailsIsAFailure)
{
    Call("calls/a.qor", "Alice", 1'454'075'125);
    ASSERT_EQ(RunCli({ "archive", folder.File("calls"), "--disk", folder.File("out") }).exitCode, 0);
    for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
             { "list", folder.File("calls") }, { "list", "--format", "json", folder.File("calls") },
             { "info", folder.File("calls/a.qor") }, { "log" }, { "--help" }, { "paths" } }) {
        const CRun run = RunCli(command, ".", "", ">/dev/full");
        EXPECT_EQ(run.exitCode, 2) << command[0];
        EXPECT_TRUE(Has(run.errors, "qortolvane-cli: write error: No space left on device")) << run.errors;
    }
    // Output larger than the stream's buffer fails while it is written, not at the end: the reason stays.
    for (int i = 0; i < 60; ++i)
        Call("many/call" + std::to_string(i) + ".qor", "Alice", 1'454'075'125 + i);
    for (const char* format : { "csv", "json", "reclist", "table" }) {
        const CRun run = RunCli({ "list", "--format", format, folder.File("many") }, ".", "", ">/dev/full");
        EXPECT_EQ(run.exitCode, 2) << format;
        EXPECT_TRUE(Has(run.errors, "qortolvane-cli: write error: No space left on device")) << format << run.errors;
    }
}

TEST_F(CliContract, SaveWritesOnlyRegularFilesAndSortTakesOnlyWhatItNames)
{
    Call("calls/a.qor", "Alice", 1'454'075'125);
    const std::string fifo = folder.File("fifo.reclist");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    const CRun toFifo = RunCli({ "list", folder.File("calls"), "--save", fifo });
    EXPECT_EQ(toFifo.exitCode, 2);
    EXPECT_TRUE(Has(toFifo.errors, "is no regular file")) << toFifo.errors;
    EXPECT_TRUE(fs::is_fifo(fifo)) << "left as it is";

    fs::create_directories(folder.File("none"));
    EXPECT_EQ(RunCli({ "list", folder.File("none"), "--save", folder.File("none.reclist") }).exitCode, 1);
    EXPECT_EQ(test::ReadFileText(folder.File("none.reclist")), "<root>\r\n</root>\r\n")
        << "an empty list that reads back";

    for (const char* sort : { "date:x:reverse", "date:reverse:reverse", "date:" })
        EXPECT_EQ(RunCli({ "list", folder.File("calls"), "--sort", sort }).exitCode, 64) << sort;
    EXPECT_EQ(RunCli({ "list", folder.File("calls"), "--sort", "date:reverse" }).exitCode, 0);
}

TEST_F(CliContract, AskingForHelpOrWhereTheFilesAreOrAWrongCommandLineLeavesNoTrace)
{
    const std::string home = folder.File("fresh-home");
    fs::create_directories(home);
    for (const auto& [command, exitCode] : std::vector<std::pair<std::vector<std::string>, int>>{ { { "--help" }, 0 },
             { { "list", "--help" }, 0 }, { { "paths" }, 0 }, { { "settings" }, 0 }, { { "--version" }, 0 },
             { { "list", "--bogus", "." }, 64 }, { { "archive" }, 64 }, { {}, 64 } }) {
        const CRun run = RunCli(command, ".", "env -i HOME='" + home + "' PATH=/usr/bin:/bin");
        const std::string named = command.empty() ? "(nothing)" : command.back();
        EXPECT_EQ(run.exitCode, exitCode) << named << run.errors;
        EXPECT_TRUE(fs::is_empty(home)) << named << " made folders";
    }
}

TEST_F(CliContract, AScheduledJobIsSetUpShownAndRunOnceWhenOverdue)
{
    Call("calls/a.qor", "Alice", 1'454'075'125);
    fs::create_directories(folder.File("archives"));
    const CRun inside = RunCli({ "schedule", "set", "--on", "--folder", folder.File("calls"), "--method", "zip", "--to",
        folder.File("calls") });
    EXPECT_EQ(inside.exitCode, 2);
    EXPECT_TRUE(Has(inside.errors, "not saved: ")) << inside.errors;
    EXPECT_FALSE(fs::exists(CJobArchScheduler::FilePath())) << "a job that could not run is not saved";

    const CRun set = RunCli({ "schedule", "set", "--on", "--folder", folder.File("calls"), "--method", "zip", "--to",
        folder.File("archives"), "--every", "1", "--select", "unarchived" });
    ASSERT_EQ(set.exitCode, 0) << set.errors;
    const Json shown = ParsedOrNull(RunCli({ "schedule", "show", "--format", "json" }).output);
    EXPECT_EQ(shown["method"], "zip");
    EXPECT_EQ(shown["folders"][0], folder.File("calls"));
    EXPECT_EQ(shown["everyDays"], 1);

    // Due a week ago, every day: run once, and the next tick finds it not due.
    CJobArchScheduler scheduler;
    ASSERT_TRUE(scheduler.LoadSchedule());
    CScheduleSettings settings = scheduler.GetSettings();
    settings.scheduledTime = std::time(nullptr) - 7 * 86'400;
    scheduler.SetSettings(settings);
    ASSERT_TRUE(scheduler.SaveSchedule());
    EXPECT_EQ(ParsedOrNull(RunCli({ "schedule", "show", "--format", "json" }).output)["due"], true);
    const CRun first = RunCli({ "schedule", "run", "--if-due" });
    EXPECT_EQ(first.exitCode, 0) << first.errors;
    EXPECT_TRUE(Has(first.output, "1 calls archived")) << first.output;
    const CRun second = RunCli({ "schedule", "run", "--if-due" });
    EXPECT_TRUE(Has(second.output, "not due until")) << second.output;

    // Two timers that fire together (a desktop program and systemd, say) run an overdue job once.
    Call("calls/b.qor", "Bruno", 1'454'075'200);
    ASSERT_TRUE(scheduler.ReloadSchedule());
    settings = scheduler.GetSettings();
    settings.scheduledTime = std::time(nullptr) - 3600;
    scheduler.SetSettings(settings);
    ASSERT_TRUE(scheduler.SaveSchedule());
    const std::string cli = QOR_CLI_PATH;
    const std::string both
        = test::Shell("(" + cli + " schedule run --if-due & " + cli + " schedule run --if-due & wait) 2>&1");
    std::size_t runs = 0;
    for (std::size_t at = both.find("calls archived"); at != std::string::npos;
         at = both.find("calls archived", at + 1))
        ++runs;
    EXPECT_EQ(runs, 1u) << both;
    EXPECT_EQ(ParsedOrNull(RunCli({ "log", "--format", "json" }).output).size(), 2u) << both;

    // While another program holds the run, a timer's tick passes quietly and a run by hand fails.
    CScheduledRunLock elsewhere;
    ASSERT_EQ(elsewhere.TryTake(std::time(nullptr)), CScheduledRunLock::Take::Taken);
    const CRun tick = RunCli({ "schedule", "run", "--if-due" });
    EXPECT_EQ(tick.exitCode, 0);
    EXPECT_TRUE(Has(tick.output, "running in another program")) << tick.output;
    const CRun byHand = RunCli({ "schedule", "run" });
    EXPECT_EQ(byHand.exitCode, 2);
    EXPECT_TRUE(Has(byHand.errors, "running in another program")) << byHand.errors;

    // Held for longer than any run takes (a program that hangs), it is named at every tick.
    test::WriteFileText(CScheduledRunLock::FilePath() + ".lock",
        std::to_string(getpid()) + " " + std::to_string(std::time(nullptr) - 13 * 3600) + "\n");
    const CRun hung = RunCli({ "schedule", "run", "--if-due" });
    EXPECT_NE(hung.exitCode, 0);
    EXPECT_TRUE(Has(hung.errors, "longer than a run takes")) << hung.errors;
    elsewhere.Release();

    // A lock file that cannot be one is said, not taken for a run elsewhere.
    fs::remove(CScheduledRunLock::FilePath() + ".lock");
    fs::create_directory(CScheduledRunLock::FilePath() + ".lock");
    const CRun blocked = RunCli({ "schedule", "run", "--if-due" });
    EXPECT_EQ(blocked.exitCode, 2);
    EXPECT_TRUE(Has(blocked.errors, "cannot be used as the scheduled run's lock")) << blocked.errors;
    fs::remove(CScheduledRunLock::FilePath() + ".lock");

    // A run whose archive cannot be made (its folder reached through another user's link) fails,
    // and the job stays due: the next tick tries again, and fails the same way, saying so.
    if (const auto other = test::COtherUser::Get()) {
        Call("calls/c.qor", "Carla", 1'454'075'300);
        fs::create_directory(folder.File("elsewhere"));
        fs::create_directory_symlink(folder.File("elsewhere"), folder.File("linked"));
        ASSERT_TRUE(other->Own(folder.File("linked")));
        ASSERT_EQ(RunCli({ "schedule", "set", "--to", folder.File("linked") }).exitCode, 0);
        ASSERT_TRUE(scheduler.ReloadSchedule());
        settings = scheduler.GetSettings();
        settings.scheduledTime = std::time(nullptr) - 60;
        scheduler.SetSettings(settings);
        ASSERT_TRUE(scheduler.SaveSchedule());
        for (int attempt = 0; attempt < 2; ++attempt) {
            const CRun failed = RunCli({ "schedule", "run", "--if-due" });
            EXPECT_NE(failed.exitCode, 0) << failed.output;
            EXPECT_TRUE(Has(failed.errors, "another user's link")) << failed.errors;
            EXPECT_FALSE(Has(failed.output, "not due")) << failed.output;
        }
        EXPECT_EQ(ParsedOrNull(RunCli({ "schedule", "show", "--format", "json" }).output)["due"], true);
        EXPECT_TRUE(fs::is_empty(folder.File("elsewhere")));
    }

    // A job edited by hand into one that cannot run is refused when it is due, and stays due.
    std::string file = test::ReadFileText(CJobArchScheduler::FilePath());
    const auto path = file.find("<ArchivePath>");
    file.replace(path, file.find("</ArchivePath>") - path, "<ArchivePath>relative/path");
    test::WriteFileText(CJobArchScheduler::FilePath(), file);
    ASSERT_TRUE(scheduler.ReloadSchedule());
    settings = scheduler.GetSettings();
    settings.scheduledTime = std::time(nullptr) - 60;
    scheduler.SetSettings(settings);
    ASSERT_TRUE(scheduler.SaveSchedule());
    const CRun refused = RunCli({ "schedule", "run", "--if-due" }, folder.Path());
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(Has(refused.errors, "not run: the folder that receives the archives is given as a full path"))
        << refused.errors;
    EXPECT_FALSE(fs::exists(folder.File("relative")));
    EXPECT_EQ(ParsedOrNull(RunCli({ "schedule", "show", "--format", "json" }).output)["due"], true);

    test::WriteFileText(
        CJobArchScheduler::FilePath(), "<?xml version=\"1.0\"?><profile><Enabled>TRUE</Enabled></profile>");
    const CRun foreign = RunCli({ "schedule", "show" });
    EXPECT_EQ(foreign.exitCode, 2);
    EXPECT_TRUE(Has(foreign.errors, "is not a schedule file")) << foreign.errors;
}

// Three programs annotate one call at the same moment, again and again: each change survives.
TEST_F(CliContract, AnnotationsAtTheSameMomentAreAllKept)
{
    const std::string path = Call("calls/a.qor", "Alice", 1'454'075'125, ">0123", 90);
    const std::string cli = QOR_CLI_PATH;
    for (int round = 0; round < 15; ++round) {
        const std::string words = "round " + std::to_string(round);
        const std::string mark = round % 2 ? "--not-important" : "--important";
        test::Shell("(" + cli + " comment '" + path + "' --set '" + words + "' & " + cli + " mark '" + path + "' "
            + mark + " & " + cli + " bookmark '" + path + "' " + std::to_string(round + 1) + " 80 & wait) 2>&1");
        const Json call = ParsedOrNull(RunCli({ "info", "--format", "json", path }).output)[0];
        EXPECT_EQ(call["comment"], words) << round;
        EXPECT_EQ(call["important"], round % 2 == 0) << round;
        EXPECT_EQ(call["bookmark"]["start"], round + 1) << round;
    }
}

TEST_F(CliContract, AnExportNeverLosesAFile)
{
    const std::string first = Call("a/call.qor", "Alice", 1'454'075'125, ">0123", 2);
    const std::string second = Call("b/call.qor", "Bruno", 1'454'075'126, ">0456", 3);
    const std::string out = folder.File("new/out");
    ASSERT_EQ(RunCli({ "export", first, second, "--to", out }).exitCode, 0) << "a missing folder is made";
    EXPECT_EQ(fs::file_size(out + "/call.wav"), 44u + 2 * 16'000u);
    EXPECT_EQ(fs::file_size(out + "/call (2).wav"), 44u + 3 * 16'000u) << "same name, another call";

    fs::permissions(out + "/call.wav", fs::perms::owner_read | fs::perms::group_read);
    const CRun again = RunCli({ "export", second, "--to", out });
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_TRUE(Has(again.errors, "exists already")) << again.errors;
    EXPECT_EQ(fs::file_size(out + "/call.wav"), 44u + 2 * 16'000u) << "not replaced without --force";
    EXPECT_EQ(RunCli({ "export", second, "--to", out, "--no-clobber" }).exitCode, 0);
    EXPECT_EQ(fs::file_size(out + "/call.wav"), 44u + 2 * 16'000u);
    EXPECT_EQ(RunCli({ "export", second, "--to", out, "--force" }).exitCode, 0);
    EXPECT_EQ(fs::file_size(out + "/call.wav"), 44u + 3 * 16'000u);
    EXPECT_EQ(RunCli({ "export", second, "--to", out, "-f", "-n" }).exitCode, 64);
}

} // namespace
} // namespace qor

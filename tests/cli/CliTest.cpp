#include "archive/ArchiveLogger.h"
#include "archive/JobArchScheduler.h"
#include "archive/ScheduleFile.h"
#include "cli/CliRun.h"
#include "foundation/Settings.h"
#include "support/RecordingFolder.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

namespace qor {
namespace {

namespace fs = std::filesystem;

using Cli = test::CCliTest;
using test::CRun;
using test::Has;
using test::RunCli;
using test::Shell;

TEST_F(Cli, ListsCallsNewestFirstWithTotalsAndSavesTheList)
{
    samplegen::CSampleCall call;
    call.userId = "Alice";
    call.callerId = ">0123";
    call.comment = "Call back Monday";
    call.startTime = 1'454'075'125;
    folder.Write("calls/a.qor", call);
    call.userId = "Bruno";
    call.startTime = 1'454'175'125;
    call.important = true;
    folder.Write("calls/deep/b.qor", call);
    call.version = 5;
    call.passphrase = "demo";
    call.userId = "Chandra";
    folder.Write("calls/deep/c.qor", call);
    test::WriteFileText(folder.File("passphrase"), "demo\n");

    const CRun flat = RunCli({ "list", folder.File("calls") });
    EXPECT_EQ(flat.exitCode, 0) << flat.errors;
    EXPECT_TRUE(Has(flat.output, "1 calls, 0 important, 00:00:10 in all")) << flat.output;

    const CRun deep = RunCli({ "list", "--sub", "--passphrase-file", folder.File("passphrase"), "--save",
        folder.File("l.reclist"), folder.File("calls") });
    ASSERT_EQ(deep.exitCode, 0) << deep.errors;
    EXPECT_LT(deep.output.find("Bruno"), deep.output.find("Alice")) << deep.output;
    EXPECT_TRUE(Has(deep.output, "Chandra")) << "decrypted with the passphrase from the file";
    EXPECT_TRUE(Has(deep.output, "Call back Monday"));
    EXPECT_TRUE(Has(deep.output, "3 calls, 2 important, 00:00:30 in all")) << deep.output;
    EXPECT_EQ(test::ReadFileLines(folder.File("l.reclist")).size(), 6u) << "root, three calls, folder, root";

    const CRun fromVariable = RunCli({ "list", "--subdirs", folder.File("calls") }, ".", "QOR_PASSPHRASE=demo");
    EXPECT_TRUE(Has(fromVariable.output, "Chandra")) << "and from QOR_PASSPHRASE";
}

TEST_F(Cli, FiltersSortsAndWritesCsvJsonAndLists)
{
    samplegen::CSampleCall call;
    call.userId = "Alice";
    call.callerId = ">0123";
    call.comment = "Quote, \"final\"";
    call.startTime = 1'454'075'125; // 2016-01-29
    call.durationSeconds = 130;
    call.bookmarkStart = 5;
    call.bookmarkEnd = 65;
    folder.Write("calls/a.qor", call);
    Call("calls/b.qor", "Bruno", 1'456'775'125, "<0456", 20); // 2016-02-29
    Call("calls/c.qor", "Chandra", 1'454'175'125, ">0789", 70); // 2016-01-30

    const CRun json = RunCli({ "list", "--format", "json", "--sort", "duration:reverse", folder.File("calls") });
    ASSERT_EQ(json.exitCode, 0) << json.errors;
    const auto parsed = nlohmann::json::parse(json.output);
    ASSERT_EQ(parsed["calls"].size(), 3u);
    EXPECT_EQ(parsed["calls"][0]["userId"], "Bruno") << "shortest first, reversed from the longest";
    EXPECT_EQ(parsed["calls"][2]["path"], folder.File("calls/a.qor"));
    EXPECT_EQ(parsed["calls"][2]["bookmark"]["text"], "00:00:05-00:01:05");
    EXPECT_EQ(parsed["calls"][2]["direction"], "in");
    EXPECT_EQ(parsed["calls"][0]["direction"], "out");
    EXPECT_EQ(parsed["totals"]["seconds"], 220);

    // The date filter goes by the calls' start in their headers, whatever the files' own dates.
    const CRun csv = RunCli({ "list", "--format", "csv", "--direction", "in", "--longer-than", "1", "--dates",
        "2016-01-01..2016-01-31", folder.File("calls") });
    ASSERT_EQ(csv.exitCode, 0) << csv.errors;
    EXPECT_TRUE(Has(csv.output, "Path,Encrypted,Important,User ID")) << csv.output;
    EXPECT_TRUE(Has(csv.output, ",in,\"Quote, \"\"final\"\"\",\r\n")) << csv.output;
    EXPECT_FALSE(Has(csv.output, "Chandra")) << "not longer than one whole minute";
    EXPECT_FALSE(Has(csv.output, "Bruno")) << "outgoing";
    EXPECT_EQ(RunCli({ "list", "--dates", "2017-01-01..2017-12-31", folder.File("calls") }).exitCode, 1);

    const CRun reclist = RunCli({ "list", "--format", "reclist", "--name", "b*", folder.File("calls") });
    EXPECT_TRUE(Has(reclist.output, "<rec>" + folder.File("calls/b.qor") + "</rec>")) << reclist.output;
    EXPECT_EQ(RunCli({ "list", "--sort", "loudness", folder.File("calls") }).exitCode, 64);
}

TEST_F(Cli, ASavedListNamesFullPathsAndAFifoHangsNothing)
{
    folder.Write("calls/a.qor");
    ASSERT_EQ(mkfifo(folder.File("calls/pipe.qor").c_str(), 0644), 0);
    const CRun run = RunCli({ "list", "--sub", "--save", "l.reclist", "calls" }, folder.Path());
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(Has(run.output, "1 calls")) << run.output;
    EXPECT_EQ(test::ReadFileLines(folder.File("l.reclist"))[1], "   <rec>" + folder.File("calls/a.qor") + "</rec>\r");
}

TEST_F(Cli, NamesEachFileItCannotHandleAndTellsUsageFaultsApart)
{
    samplegen::CSampleCall secret;
    secret.version = 5;
    secret.passphrase = "demo";
    const std::string encrypted = folder.Write("secret.qor", secret);
    const std::string plain = folder.Write("plain.qor");
    fs::create_directories(folder.File("empty"));

    const CRun missing = RunCli({ "info", folder.File("nowhere.qor"), plain });
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(Has(missing.errors, folder.File("nowhere.qor") + ": no such recording")) << missing.errors;
    EXPECT_TRUE(Has(missing.output, "GSM 06.10")) << "the other file is still shown";

    const CRun wrong = RunCli({ "info", encrypted }, ".", "QOR_PASSPHRASE=wrong");
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_TRUE(Has(wrong.errors, encrypted + ": encrypted, and the passphrase does not fit")) << wrong.errors;
    const CRun listed = RunCli({ "list", folder.Path() }, ".", "QOR_PASSPHRASE=wrong");
    EXPECT_EQ(listed.exitCode, 2) << "listed, but named as unreadable";
    EXPECT_TRUE(Has(listed.output, "2 calls")) << listed.output;

    const CRun empty = RunCli({ "list", folder.File("empty") });
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_TRUE(Has(empty.errors, "No recordings found which match your specified criteria.")) << empty.errors;
    EXPECT_EQ(RunCli({ "list", folder.File("nowhere") }).exitCode, 2);

    // A folder where the WAV file should go cannot be written over, not even by root.
    fs::create_directories(folder.File("taken/plain.wav"));
    const CRun unwritable = RunCli({ "export", plain, "--to", folder.File("taken") });
    EXPECT_EQ(unwritable.exitCode, 2);
    EXPECT_TRUE(Has(unwritable.errors, plain + ": " + folder.File("taken/plain.wav") + " exists already"))
        << unwritable.errors;

    for (const std::vector<std::string>& usage : std::vector<std::vector<std::string>>{ { "frobnicate" },
             { "list", "--frobnicate", folder.Path() }, { "list", "--passphrase", "demo", folder.Path() },
             { "mark", plain }, { "bookmark", plain, "1:xx", "5" }, { "list" } }) {
        const CRun run = RunCli(usage);
        EXPECT_EQ(run.exitCode, 64) << usage[0] << " " << (usage.size() > 1 ? usage[1] : "") << run.errors;
    }
    EXPECT_EQ(RunCli({ "--help" }).exitCode, 0);
    EXPECT_TRUE(Has(RunCli({ "export", "--help" }).output, "--bookmark-only"));
    EXPECT_TRUE(Has(RunCli({ "list", "--help" }).output, "--longer-than"));
}

TEST_F(Cli, ExportsPcmGsmAndNativeFilesWholeOrBookmarkedUnlessBlocked)
{
    samplegen::CSampleCall call;
    call.durationSeconds = 10;
    call.bookmarkStart = 2;
    call.bookmarkEnd = 6;
    const std::string path = folder.Write("in/call.qor", call);
    fs::create_directories(folder.File("out"));
    const std::string out = folder.File("out");

    ASSERT_EQ(RunCli({ "export", path, "--to", out }).exitCode, 0);
    EXPECT_EQ(fs::file_size(out + "/call.wav"), 160'044u) << "wav is 16-bit PCM";
    ASSERT_EQ(RunCli({ "export", path, "--to", out, "--as", "gsm-wav", "--bookmark-only", "--force" }).exitCode, 0);
    EXPECT_EQ(fs::file_size(out + "/call.wav"), 60u + 6'500u) << "four seconds of GSM";
    ASSERT_EQ(RunCli({ "export", path, "--to", out, "--as", "qor" }).exitCode, 0);
    EXPECT_EQ(test::ReadFileText(out + "/call.qor"), test::ReadFileText(path));

    const std::string unmarked = folder.Write("in/plain.qor");
    const CRun noBookmark = RunCli({ "export", unmarked, "--to", out, "--bookmark-only" });
    EXPECT_EQ(noBookmark.exitCode, 2);
    EXPECT_TRUE(Has(noBookmark.errors, unmarked + ": has no bookmark")) << noBookmark.errors;

    test::WriteFileText(CSettings::GetAdminConfigFilePath(false, "config.xml"),
        "<profile><section name=\"settings\"><BlockExport>1</BlockExport></section></profile>");
    fs::remove(out + "/call.wav");
    const CRun blocked = RunCli({ "export", path, "--to", out });
    EXPECT_EQ(blocked.exitCode, 2);
    EXPECT_TRUE(Has(blocked.errors, "blocked by the administrator"));
    EXPECT_FALSE(fs::exists(out + "/call.wav"));
}

TEST_F(Cli, MarksCommentsAndBookmarksInTheHeaderOnly)
{
    samplegen::CSampleCall call;
    call.durationSeconds = 100;
    call.comment = "First words";
    const std::string path = folder.Write("call.qor", call);
    const auto bodySize = fs::file_size(path);

    EXPECT_EQ(RunCli({ "mark", path, "--important" }).exitCode, 0);
    EXPECT_EQ(RunCli({ "bookmark", path, "5", "00:01:05" }).exitCode, 0);
    EXPECT_EQ(RunCli({ "comment", path, "--set", "New words" }).exitCode, 0);
    auto info = nlohmann::json::parse(RunCli({ "info", "--format", "json", path }).output)[0];
    EXPECT_EQ(info["important"], true);
    EXPECT_EQ(info["comment"], "New words");
    EXPECT_EQ(info["bookmark"]["start"], 5) << "the bookmark stays with the new comment";
    EXPECT_EQ(info["bookmark"]["end"], 65);
    EXPECT_EQ(fs::file_size(path), bodySize);

    const CRun tooLong = RunCli({ "bookmark", path, "10", "200" });
    EXPECT_EQ(tooLong.exitCode, 2);
    EXPECT_TRUE(Has(tooLong.errors, path + ": the bookmark would end after the call")) << tooLong.errors;
    EXPECT_EQ(RunCli({ "bookmark", path, "--clear" }).exitCode, 0);
    EXPECT_EQ(RunCli({ "mark", path, "--not-important" }).exitCode, 0);
    info = nlohmann::json::parse(RunCli({ "info", "--format", "json", path }).output)[0];
    EXPECT_TRUE(info["bookmark"].is_null());
    EXPECT_EQ(info["important"], false);
    EXPECT_EQ(info["comment"], "New words");
}

// No mail program runs here: a stand-in xdg-email on PATH writes down what it was handed.
TEST_F(Cli, MailsCallsThroughTheDesktopsMailProgram)
{
    const std::string path = folder.Write("call.qor");
    fs::create_directories(folder.File("bin"));
    test::WriteFileText(folder.File("bin/xdg-email"),
        "#!/bin/sh\nprintf '%s\\n' \"$@\" >\"" + folder.File("mail") + "\"\nenv >\"" + folder.File("env") + "\"\n");
    fs::permissions(folder.File("bin/xdg-email"), fs::perms::owner_all);
    const std::string env = "PATH='" + folder.File("bin") + ":/usr/bin:/bin' XDG_RUNTIME_DIR= XDG_CACHE_HOME='"
        + folder.File("cache") + "' QOR_PASSPHRASE=secret";
    // What was attached: the one path after --attach.
    const auto attached = [&] {
        const std::string mail = test::ReadFileText(folder.File("mail"));
        const auto at = mail.find("--attach\n");
        return at == std::string::npos ? std::string() : mail.substr(at + 9, mail.find('\n', at + 9) - at - 9);
    };
    const std::string attachments = folder.File("cache") + "/qortolvane/attachments/message-";

    // A copy made for the message, in a private folder, never the shared call itself.
    ASSERT_EQ(RunCli({ "mail", path, "--as", "qor" }, ".", env).exitCode, 0);
    EXPECT_TRUE(attached().starts_with(attachments) && attached().ends_with("/call.qor")) << attached();
    EXPECT_EQ(test::ReadFileText(attached()), test::ReadFileText(path));
    EXPECT_FALSE(Has(test::ReadFileText(folder.File("env")), "QOR_PASSPHRASE")) << "the mail program never sees it";

    ASSERT_EQ(RunCli({ "mail", path }, ".", env).exitCode, 0);
    EXPECT_TRUE(attached().starts_with(attachments) && attached().ends_with("/call.wav")) << attached();
    EXPECT_EQ(fs::file_size(attached()), 160'044u) << "left for the mail program to read after we end";
    EXPECT_EQ(fs::status(attached()).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(fs::path(attached()).parent_path()).permissions() & fs::perms::all, fs::perms::owner_all);

    // Without a private folder of its own no attachment is made anywhere.
    const CRun homeless = RunCli({ "mail", path }, ".",
        "PATH='" + folder.File("bin") + ":/usr/bin:/bin' XDG_RUNTIME_DIR= XDG_CACHE_HOME= HOME=");
    EXPECT_NE(homeless.exitCode, 0);
    EXPECT_TRUE(Has(homeless.errors, "no private folder")) << homeless.errors;
}

// The real xdg-email, with a stand-in mail client it takes for Thunderbird: that is the path on
// which it builds one compose string of the recipients and attachments, quotes and all.
TEST_F(Cli, MailsThroughTheRealXdgEmailWithNoNameAddingRecipientsOrFiles)
{
    if (std::system("command -v xdg-email >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xdg-email is not installed here";
    const std::string path = folder.Write("Bob-1',to='attacker@example.com',cc='.qor");
    fs::create_directories(folder.File("bin"));
    fs::create_directories(folder.File("xdg-data/applications"));
    test::WriteFileText(
        folder.File("bin/thunderbird"), "#!/bin/sh\nprintf '%s\\n' \"$@\" >\"" + folder.File("composed") + "\"\n");
    fs::permissions(folder.File("bin/thunderbird"), fs::perms::owner_all);
    test::WriteFileText(folder.File("xdg-data/applications/thunderbird.desktop"),
        "[Desktop Entry]\nType=Application\nName=Mail\nExec=" + folder.File("bin/thunderbird")
            + " %u\nMimeType=x-scheme-handler/mailto;\n");
    test::WriteFileText(folder.File("xdg-config/mimeapps.list"),
        "[Default Applications]\nx-scheme-handler/mailto=thunderbird.desktop\n");
    const std::string env
        = "env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u MAILER PATH='"
        + folder.File("bin") + ":/usr/bin:/bin' XDG_RUNTIME_DIR= XDG_DATA_HOME='" + folder.File("xdg-data")
        + "' XDG_CONFIG_HOME='" + folder.File("xdg-config") + "' XDG_CACHE_HOME='" + folder.File("cache") + "'";
    const CRun run = RunCli({ "mail", path, "--as", "qor" }, ".", env);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const std::string composed = test::ReadFileText(folder.File("composed"));
    EXPECT_FALSE(Has(composed, "to='")) << "no recipient: " << composed;
    const auto attachment = composed.find("attachment='");
    ASSERT_NE(attachment, std::string::npos) << composed;
    EXPECT_EQ(attachment, composed.rfind("attachment='")) << "one attachment: " << composed;
    const std::string attached
        = composed.substr(attachment + 12, composed.find('\'', attachment + 12) - attachment - 12);
    EXPECT_TRUE(attached.ends_with("/Bob-1--to--attacker-example.com--cc--.qor")) << attached;
    EXPECT_EQ(test::ReadFileText(attached), test::ReadFileText(path));
}

TEST_F(Cli, HostileNamesAndTextsReachNeitherTheTerminalNorOutsideTheArchive)
{
    // Escape sequences in header fields, which a terminal would obey, are shown as "?" in the table
    // and in info; the data formats keep them exactly.
    samplegen::CSampleCall call;
    call.callerId = "\x1b]0;owned\x07\nforged line";
    call.comment = "\x1b[2Jcleared";
    const std::string path = folder.Write("escapes/1000-e.qor", call);
    for (const std::vector<std::string>& command :
        { std::vector<std::string>{ "list", folder.File("escapes") }, std::vector<std::string>{ "info", path } }) {
        const CRun run = RunCli(command);
        EXPECT_EQ(run.output.find('\x1b'), std::string::npos) << run.output;
        EXPECT_FALSE(Has(run.output, "\nforged line")) << "a field stays on its line: " << run.output;
        EXPECT_TRUE(Has(run.output, "?[2Jcleared")) << run.output;
    }
    EXPECT_TRUE(Has(RunCli({ "info", "--format", "json", path }).output, "\\u001b[2Jcleared"));

    // "..", "." and "\\" in the folder or the name never name a place outside the image.
    folder.Write("odd/..-x.qor");
    folder.Write("odd/.-y.qor");
    folder.Write("odd/back\\slash-z.qor");
    const std::string image = folder.File("odd.iso");
    const CRun run = RunCli({ "archive", "--iso", image, "--structure", "user", folder.File("odd") });
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(Has(run.output, "3 calls archived")) << run.output;
    const std::string tree = Shell("xorriso -indev '" + image + "' -find / -type f 2>/dev/null");
    EXPECT_TRUE(Has(tree, "'/..-x.qor'") && Has(tree, "'/.-y.qor'") && Has(tree, "'/back_slash/back_slash-z.qor'"))
        << tree;
}

TEST_F(Cli, WritesTheDemoLibrary)
{
    const CRun run = RunCli({ "samples", folder.File("demo"), "--count", "12" });
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const CRun listed
        = RunCli({ "list", "--sub", "--format", "json", folder.File("demo") }, ".", "QOR_PASSPHRASE=demo");
    EXPECT_EQ(listed.exitCode, 0) << listed.errors;
    EXPECT_EQ(nlohmann::json::parse(listed.output)["calls"].size(), 12u);
    EXPECT_FALSE(Has(listed.errors, "reading")) << "no progress bar when standard error is no terminal";

    // On a terminal (script gives the program one) the progress bar shows the counts.
    const std::string onTerminal
        = Shell(std::string("script -qec \"") + QOR_CLI_PATH + " list --sub '" + folder.File("demo") + "'\" /dev/null");
    EXPECT_TRUE(Has(onTerminal, "/12 [")) << onTerminal;
}

TEST_F(Cli, ArchivesIntoZipIsoAndFoldersLogsTheJobAndTakesOnlyWhatIsNotArchived)
{
    // "By User" goes by the recorder's file names, which begin with the user.
    Call("calls/Alice/Alice-20160129-134525.qor", "Alice", 1'454'075'125);
    Call("calls/Bruno/Bruno-20160229-194525.qor", "Bruno", 1'456'775'125);
    const std::string zip = folder.File("out/calls.zip");
    fs::create_directories(folder.File("out"));

    const CRun zipped = RunCli(
        { "archive", folder.File("calls"), "--subdirs", "--zip", zip, "--structure", "user", "--comment", "January" });
    ASSERT_EQ(zipped.exitCode, 0) << zipped.errors;
    EXPECT_TRUE(Has(zipped.output, "2 calls archived")) << zipped.output;
    EXPECT_EQ(
        Shell("unzip -Z1 '" + zip + "' | sort"), "Alice/Alice-20160129-134525.qor\nBruno/Bruno-20160229-194525.qor\n");

    const CRun iso = RunCli({ "archive", folder.File("calls/Alice"), "--iso", folder.File("out/a.iso") });
    ASSERT_EQ(iso.exitCode, 0) << iso.errors;
    EXPECT_TRUE(
        Has(Shell("xorriso -indev '" + folder.File("out/a.iso") + "' -find / -type f 2>/dev/null"), "/Alice-2016"));

    const std::string late = Call("calls/Chandra/Chandra-20160301-101010.qor", "Chandra", 1'456'827'010);
    const CRun again = RunCli({ "archive", folder.File("calls"), "--sub", "--disk", folder.File("out/tree"), "--select",
        "unarchived", "--after", "delete" });
    EXPECT_EQ(again.exitCode, 0) << again.errors;
    EXPECT_TRUE(Has(again.output, "1 calls archived")) << "the others are in the log already: " << again.output;
    EXPECT_TRUE(Has(again.output, "1 originals deleted")) << again.output;
    EXPECT_FALSE(fs::exists(late)) << "deleted once its copy was read back";
    EXPECT_TRUE(fs::exists(folder.File("out/tree/Chandra-20160301-101010.qor")));
    EXPECT_TRUE(fs::exists(folder.File("calls/Alice/Alice-20160129-134525.qor"))) << "not in this job: kept";

    const auto log = nlohmann::json::parse(RunCli({ "log", "--format", "json" }).output);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0]["target"], zip);
    EXPECT_EQ(log[0]["comment"], "January");
    EXPECT_EQ(log[0]["calls"].size(), 2u);
    EXPECT_TRUE(Has(RunCli({ "log" }).output, "Archive File: " + zip));
    const auto listed
        = nlohmann::json::parse(RunCli({ "list", "--format", "json", folder.File("calls/Alice") }).output);
    EXPECT_FALSE(listed["calls"][0]["archived"].is_null()) << "the list's Archived column reads the same log";

    EXPECT_EQ(RunCli({ "archive", folder.File("calls"), "--zip", zip, "--iso", zip }).exitCode, 64);
    fs::create_directories(folder.File("empty"));
    EXPECT_EQ(RunCli({ "archive", folder.File("empty"), "--zip", folder.File("out/e.zip") }).exitCode, 1);
    const CRun missing = RunCli({ "archive", folder.File("nowhere"), "--zip", folder.File("out/n.zip") });
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(Has(missing.errors, folder.File("nowhere") + ": no such file or folder")) << missing.errors;
}

TEST_F(Cli, RunsTheScheduledJobWhenDueAndRefusesAMalformedSchedule)
{
    Call("calls/a.qor", "Alice", 1'454'075'125);
    CScheduleSettings settings;
    settings.spaceFolders = { folder.File("calls") };
    settings.enabled = true;
    settings.archiveType = kArchiveZip;
    settings.archivePath = folder.File("archives");
    settings.archiveName = "Nightly";
    settings.scheduledTime = 0; // due at once
    settings.mediaProcessing = kDeleteOriginals;
    fs::create_directories(settings.archivePath);
    test::WriteFileText(CJobArchScheduler::FilePath(), ScheduleFileText(settings));
    std::this_thread::sleep_for(std::chrono::milliseconds(1100)); // settled: a list keeps it in the index
    EXPECT_EQ(RunCli({ "list", folder.File("calls") }).exitCode, 0);
    EXPECT_TRUE(Has(RunCli({ "index", "status" }).output, "Calls:    1\n"));

    const CRun shown = RunCli({ "schedule", "show" });
    EXPECT_EQ(shown.exitCode, 0) << shown.errors;
    EXPECT_TRUE(Has(shown.output, folder.File("calls"))) << shown.output;
    const CRun run = RunCli({ "schedule", "run", "--if-due" });
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(Has(run.output, "1 calls archived")) << run.output;
    std::vector<fs::path> archives;
    for (const auto& entry : fs::directory_iterator(settings.archivePath))
        archives.push_back(entry.path());
    ASSERT_EQ(archives.size(), 1u);
    EXPECT_EQ(archives[0].extension(), ".zip");
    EXPECT_EQ(nlohmann::json::parse(RunCli({ "log", "--format", "json" }).output).size(), 1u);
    EXPECT_FALSE(fs::exists(folder.File("calls/a.qor")));
    EXPECT_TRUE(Has(RunCli({ "index", "status" }).output, "Calls:    0\n")) << "the job keeps the index current";

    const CRun notYet = RunCli({ "schedule", "run", "--if-due" });
    EXPECT_EQ(notYet.exitCode, 0);
    EXPECT_TRUE(Has(notYet.output, "not due until")) << notYet.output << notYet.errors;

    test::WriteFileText(CJobArchScheduler::FilePath(), "<schedule><enabled>1</enab");
    const CRun malformed = RunCli({ "schedule", "run" });
    EXPECT_EQ(malformed.exitCode, 2);
    EXPECT_TRUE(Has(malformed.errors, CJobArchScheduler::FilePath() + ": cannot be read or is malformed"))
        << malformed.errors;
}

} // namespace
} // namespace qor

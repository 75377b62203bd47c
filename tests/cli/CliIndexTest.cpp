// The call index as a script meets it: a list through it prints what reading every file prints,
// whatever other programs did to the files in between, and a held or missing index only makes
// the list read the files.
#include "cli/CliRun.h"
#include "support/RecordingFolder.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sqlite3.h>
#include <sys/stat.h>
#include <thread>

namespace qor {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using CliIndex = test::CCliTest;
using test::CRun;
using test::Has;
using test::RunCli;

TEST_F(CliIndex, AListThroughItPrintsWhatReadingEveryFilePrintsAfterAnyChange)
{
    const std::string passphraseFile = folder.File("passphrase");
    test::WriteFileText(passphraseFile, "demo\n");
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
        std::mt19937 random(seed);
        const auto pick = [&](int below) { return static_cast<int>(random() % static_cast<unsigned>(below)); };
        const std::string tree = "seed" + std::to_string(seed);
        std::vector<std::string> calls;
        for (int i = 0; i < 30; ++i) {
            samplegen::CSampleCall call;
            call.startTime += pick(100'000);
            call.durationSeconds = 1 + pick(3);
            call.important = pick(4) == 0;
            call.comment = pick(3) == 0 ? "Kunde, \"M\xfcller\"\r\n" + std::to_string(i) : "";
            call.callerId = pick(2) == 0 ? ">555" + std::to_string(pick(1000)) : "<" + std::to_string(pick(1000));
            if (pick(8) == 0) {
                call.version = 5;
                call.passphrase = "demo";
            }
            calls.push_back(
                folder.Write(tree + "/" + std::to_string(pick(3)) + "/Line" + std::to_string(i) + ".qor", call));
        }
        const auto compare = [&](const std::string& when) {
            for (const char* format : { "json", "csv" }) {
                const std::vector<std::string> list
                    = { "list", "--sub", "--format", format, "--passphrase-file", passphraseFile, folder.File(tree) };
                std::vector<std::string> unindexed = list;
                unindexed.insert(unindexed.begin() + 1, "--no-index");
                const CRun through = RunCli(list);
                const CRun read = RunCli(unindexed);
                EXPECT_EQ(through.exitCode, read.exitCode) << when;
                EXPECT_EQ(through.output, read.output) << format << ", seed " << seed << ", " << when;
                EXPECT_EQ(through.errors, read.errors) << when;
            }
        };
        std::this_thread::sleep_for(1100ms); // older than a tick of the file system's clock: kept
        compare("first");
        const std::string status = RunCli({ "index", "status" }).output;
        const std::size_t held = status.find("Calls:");
        ASSERT_NE(held, std::string::npos) << status;
        EXPECT_GE(std::stoi(status.substr(held + 6)), 20 * static_cast<int>(seed)) << "the lists went through it";
        for (int round = 0; round < 3; ++round) {
            // Other programs change the calls: ours through the command line, others on the disk.
            for (int change = 0; change < 9; ++change) {
                const std::string& call = calls[static_cast<std::size_t>(pick(static_cast<int>(calls.size())))];
                const std::string other
                    = folder.File(tree + "/" + std::to_string(pick(3)) + "/X") + std::to_string(round * 9 + change);
                if (!fs::exists(call))
                    continue;
                switch (change) {
                case 0:
                    RunCli({ "comment", "--passphrase-file", passphraseFile, call, "--set",
                        "round " + std::to_string(round) });
                    break;
                case 1:
                    RunCli({ "mark", "--passphrase-file", passphraseFile, call, "--important" });
                    break;
                case 2: { // replaced by another call under its name
                    const auto source = std::find_if(calls.begin(), calls.end(),
                        [&](const std::string& candidate) { return candidate != call && fs::exists(candidate); });
                    if (source != calls.end()) {
                        fs::copy_file(*source, other + ".tmp");
                        fs::rename(other + ".tmp", call);
                    }
                    break;
                }
                case 3:
                    fs::rename(call, other + ".qor");
                    break;
                case 4:
                    fs::remove(call);
                    break;
                case 5: { // touched into the past
                    const timespec times[2] = { { 0, UTIME_NOW }, { 1'400'000'000, 0 } };
                    utimensat(AT_FDCWD, call.c_str(), times, 0);
                    break;
                }
                case 6:
                    fs::resize_file(call, 1000);
                    break;
                case 7:
                    fs::create_hard_link(call, other + "-hard.qor");
                    break;
                case 8:
                    fs::create_symlink(call, other + "-link.qor");
                    break;
                }
            }
            compare("at once, round " + std::to_string(round));
            std::this_thread::sleep_for(1100ms);
            compare("settled, round " + std::to_string(round));
        }
    }
}

TEST_F(CliIndex, StatusUpdateAndRebuildTellWhatItHoldsAndAHeldIndexOnlyCostsTime)
{
    for (int i = 0; i < 6; ++i)
        Call("calls/" + std::to_string(i % 2) + "/c" + std::to_string(i) + ".qor", "Ann", 1'454'075'125 + i * 60);
    const std::string cache = sandbox.Cache() + "/qortolvane";
    const CRun plain = RunCli({ "list", "--no-index", "--sub", folder.File("calls") });
    EXPECT_FALSE(fs::exists(cache + "/calls.db")) << "--no-index keeps nothing";

    std::this_thread::sleep_for(1100ms);
    CRun run = RunCli({ "index", "update", "--sub", folder.File("calls") });
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(Has(run.output, "Index:    " + cache + "/calls.db\nCalls:    6\nFolders:  2\n")) << run.output;
    EXPECT_EQ((fs::status(cache).permissions() & fs::perms::all), fs::perms::owner_all);

    // A folder that is gone takes its calls out when every held folder is brought up to date.
    fs::remove_all(folder.File("calls/1"));
    run = RunCli({ "index", "update" });
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(Has(run.output, "Calls:    3\nFolders:  1\n")) << run.output;
    run = RunCli({ "index", "rebuild" });
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(Has(run.output, "Calls:    3\nFolders:  1\n")) << run.output;

    // Another program holds the index for a long write: the list is read from the files, right,
    // and says once that the index was not used.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open((cache + "/calls.db").c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; DELETE FROM calls;", nullptr,
                  nullptr, nullptr),
        SQLITE_OK);
    const CRun held = RunCli({ "list", "--sub", folder.File("calls") });
    EXPECT_EQ(held.exitCode, 0);
    EXPECT_EQ(held.output, RunCli({ "list", "--no-index", "--sub", folder.File("calls") }).output);
    EXPECT_TRUE(Has(held.errors, "cannot be used: busy")) << held.errors;
    EXPECT_EQ(RunCli({ "index", "status" }).exitCode, 2);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(RunCli({ "index", "status" }).exitCode, 0);
    EXPECT_TRUE(Has(plain.output, "6 calls")) << plain.output;
}

// A search by words lists what the calls hold now, whether they changed a moment ago or long since,
// in the folders named or in every folder the index holds.
TEST_F(CliIndex, WordsFindWhatTheCallsHoldNowAndNeverAnEncryptedCallsWords)
{
    const auto write = [&](const std::string& name, const std::string& comment, int version = 4) {
        samplegen::CSampleCall call;
        call.comment = comment;
        call.version = version;
        call.passphrase = version == 5 ? "demo" : "";
        return folder.Write(name, call);
    };
    const std::string first = write("a/Kunde-Alpha.qor",
        "R\xc3\xbc"
        "ckruf Herr M\xc3\xbcller");
    const std::string second = write("b/Kunde-Beta.qor", "Angebot angenommen");
    write("b/secret.qor", "M\xc3\xbcller geheim", 5);
    const std::string passphraseFile = folder.File("passphrase");
    test::WriteFileText(passphraseFile, "demo\n");
    const auto found = [&](const std::string& words, std::vector<std::string> sources = {}) {
        std::vector<std::string> arguments
            = { "list", "--format", "csv", "--passphrase-file", passphraseFile, "--text", words };
        arguments.insert(arguments.end(), sources.begin(), sources.end());
        const CRun run = RunCli(arguments);
        std::vector<std::string> paths;
        std::size_t at = run.output.find("\r\n");
        while (at != std::string::npos && at + 2 < run.output.size()) {
            const std::size_t end = run.output.find("\r\n", at + 2);
            const std::string line = run.output.substr(at + 2, end - at - 2);
            paths.push_back(line.substr(0, line.find(',')));
            at = end;
        }
        return paths;
    };
    using Paths = std::vector<std::string>;
    EXPECT_EQ(found("m\xc3\xbcller", { folder.File("a"), folder.File("b") }), Paths{ first })
        << "read just now: matched as it is; the encrypted call's words are nobody's to search";
    std::this_thread::sleep_for(1100ms);
    EXPECT_EQ(found("muell"), Paths{}) << "nothing kept yet outside the folders named";
    EXPECT_EQ(found("MULL", { folder.File("a"), folder.File("b") }), Paths{ first });
    EXPECT_EQ(found("angebot"), Paths{ second }) << "every folder the index holds";

    // Changed by our own command a moment ago, and later: found by its new words, not its old.
    ASSERT_EQ(RunCli({ "comment", second, "--set", "Termin verschoben" }).exitCode, 0);
    EXPECT_EQ(found("termin"), Paths{ second });
    EXPECT_EQ(found("angebot"), Paths{});
    std::this_thread::sleep_for(1100ms);
    EXPECT_EQ(found("termin verschob"), Paths{ second });
    fs::remove(first);
    EXPECT_EQ(found("m\xc3\xbcller"), Paths{}) << "a call gone from disk is not found";
    EXPECT_EQ(RunCli({ "list", "--text", "termin", "--no-index" }).exitCode, 64);
}

} // namespace
} // namespace qor

#include "foundation/Settings.h"
#include "support/RecordingFolder.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace qor {
namespace {

struct CRun {
    int exitCode = -1;
    std::string output;
};

// Runs the command-line program with the arguments (quoted for the shell) and its error output,
// in the given working folder.
CRun RunCli(const std::vector<std::string>& arguments, const std::string& folder = ".")
{
    std::string command = "cd '" + folder + "' && " + QOR_CLI_PATH;
    for (const std::string& argument : arguments)
        command += " '" + argument + "'";
    command += " 2>&1";
    CRun run;
    std::FILE* pipe = popen(command.c_str(), "r");
    std::array<char, 4096> buffer{};
    while (std::size_t count = std::fread(buffer.data(), 1, buffer.size(), pipe))
        run.output.append(buffer.data(), count);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

class Cli : public ::testing::Test {
protected:
    test::CDataFolderSandbox sandbox;
    test::CRecordingFolder folder;
};

TEST_F(Cli, ListsCallsNewestFirstAndSavesTheList)
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

    const CRun flat = RunCli({ "list", folder.File("calls") });
    EXPECT_EQ(flat.exitCode, 0) << flat.output;
    EXPECT_NE(flat.output.find("1 calls, 0 important, 00:00:10 in all"), std::string::npos) << flat.output;

    const CRun deep
        = RunCli({ "list", "--sub", "--passphrase", "demo", "--save", folder.File("l.reclist"), folder.File("calls") });
    ASSERT_EQ(deep.exitCode, 0) << deep.output;
    EXPECT_LT(deep.output.find("Bruno"), deep.output.find("Alice")) << deep.output;
    EXPECT_NE(deep.output.find("Chandra"), std::string::npos) << "decrypted with the given passphrase";
    EXPECT_NE(deep.output.find("Call back Monday"), std::string::npos);
    EXPECT_NE(deep.output.find("3 calls, 2 important, 00:00:30 in all"), std::string::npos) << deep.output;
    EXPECT_EQ(test::ReadFileLines(folder.File("l.reclist")).size(), 6u) << "root, three calls, folder, root";
}

TEST_F(Cli, ASavedListNamesFullPathsAndAFifoHangsNothing)
{
    folder.Write("calls/a.qor");
    ASSERT_EQ(mkfifo(folder.File("calls/pipe.qor").c_str(), 0644), 0);
    const CRun run = RunCli({ "list", "--sub", "--save", "l.reclist", "calls" }, folder.Path());
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("1 calls"), std::string::npos) << run.output;
    EXPECT_EQ(test::ReadFileLines(folder.File("l.reclist"))[1], "   <rec>" + folder.File("calls/a.qor") + "</rec>\r");
}

TEST_F(Cli, ReportsWhatItCannotDo)
{
    const CRun missing = RunCli({ "list", folder.File("nowhere") });
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.output.find("No recordings found which match your specified criteria."), std::string::npos);
    EXPECT_EQ(RunCli({ "frobnicate" }).exitCode, 2);
    EXPECT_EQ(RunCli({ "export", folder.File("missing.qor"), folder.File("out.wav") }).exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(folder.File("out.wav")));
}

TEST_F(Cli, ExportsACallAsWavUnlessExportIsBlocked)
{
    const std::string path = folder.Write("call.qor");
    const CRun pcm = RunCli({ "export", "--pcm", path, folder.File("call.wav") });
    ASSERT_EQ(pcm.exitCode, 0) << pcm.output;
    EXPECT_EQ(std::filesystem::file_size(folder.File("call.wav")), 160'044u);
    ASSERT_EQ(RunCli({ "export", path, folder.File("gsm.wav") }).exitCode, 0);
    EXPECT_EQ(std::filesystem::file_size(folder.File("gsm.wav")), 60u + 16'250u);

    test::WriteFileText(CSettings::GetAdminConfigFilePath(false, "config.xml"),
        "<profile><section name=\"settings\"><BlockExport>1</BlockExport></section></profile>");
    const CRun blocked = RunCli({ "export", path, folder.File("blocked.wav") });
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_NE(blocked.output.find("blocked by the administrator"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder.File("blocked.wav")));
}

} // namespace
} // namespace qor

#include "platform/XdgEmailMailer.h"

#include "support/TestFolders.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace qor {
namespace {

namespace fs = std::filesystem;

// No mail client can run here, so a stand-in xdg-email goes first on PATH. It keeps its arguments,
// each ended by a NUL byte since the body spans lines, and exits with the status it is given.
class XdgEmailMailer : public ::testing::Test {
protected:
    XdgEmailMailer()
    {
        if (const char* path = std::getenv("PATH"))
            m_savedPath = path;
        fs::create_directory(m_standInFolder);
    }
    ~XdgEmailMailer() override { setenv("PATH", m_savedPath.c_str(), 1); }

    void InstallStandIn(int exitStatus)
    {
        const std::string script = m_standInFolder + "/xdg-email";
        test::WriteFileText(script,
            "#!/bin/sh\nprintf '%s\\0' \"$@\" > '" + ArgumentsFile() + "'\nexit " + std::to_string(exitStatus) + "\n");
        chmod(script.c_str(), 0755);
        setenv("PATH", (m_standInFolder + ":" + m_savedPath).c_str(), 1);
    }

    std::string ArgumentsFile() const { return folder.File("arguments"); }

    std::vector<std::string> ReceivedArguments() const
    {
        const std::string bytes = test::ReadFileText(ArgumentsFile());
        std::vector<std::string> arguments;
        for (std::size_t start = 0, end = 0; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1)
            arguments.push_back(bytes.substr(start, end - start));
        return arguments;
    }

    test::CTempFolder folder;

private:
    std::string m_savedPath;
    std::string m_standInFolder = folder.File("bin");
};

TEST_F(XdgEmailMailer, PassesEachTextAsOneArgumentWithoutAShell)
{
    InstallStandIn(0);
    const std::string touched = folder.File("touched");
    CMailMessage message;
    message.subject = "Recording With >0123 at 29/01/2016 13:45:25; touch '" + touched + "'";
    message.body = "First line\r\n$(touch " + touched + ") `touch " + touched + "` \"quoted\"\r\n";
    message.attachments = { folder.File("a call.wav"), folder.File("b*.qor") };

    CXdgEmailMailer mailer;
    EXPECT_EQ(mailer.Send(message), CMailResult::kSent);
    EXPECT_EQ(ReceivedArguments(),
        (std::vector<std::string>{ "--subject", message.subject, "--body", message.body, "--attach",
            message.attachments[0], "--attach", message.attachments[1] }));
    EXPECT_FALSE(fs::exists(touched)) << "no text was run as a command";
}

TEST_F(XdgEmailMailer, ExitStatusDecidesTheResult)
{
    const std::pair<int, CMailResult> cases[] = {
        { 0, CMailResult::kSent }, { 1, CMailResult::kFailed }, // syntax error
        { 2, CMailResult::kFailed }, // an attachment does not exist
        { 3, CMailResult::kCannotLoad }, // a tool it needs is missing
        { 4, CMailResult::kFailed }, // the action failed
        { 5, CMailResult::kFailed }, // no permission
    };
    CMailMessage message;
    message.subject = "s";
    for (const auto& [status, expected] : cases) {
        InstallStandIn(status);
        EXPECT_EQ(CXdgEmailMailer().Send(message), expected) << "exit status " << status;
    }
}

TEST_F(XdgEmailMailer, WithoutXdgEmailNothingIsLaunched)
{
    InstallStandIn(0);
    const std::string empty = folder.File("empty");
    fs::create_directory(empty);
    setenv("PATH", empty.c_str(), 1);
    CMailMessage message;
    message.subject = "s";
    EXPECT_EQ(CXdgEmailMailer().Send(message), CMailResult::kCannotLoad);
    EXPECT_FALSE(fs::exists(ArgumentsFile()));
}

} // namespace
} // namespace qor

#include "CliProcess.h"

#include "support/TestFolders.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qor::test {
namespace {

std::string TemporaryFile(const char* role)
{
    std::string path = std::string("/tmp/qortest-cli-") + role + "-XXXXXX";
    const int descriptor = mkstemp(path.data());
    if (descriptor >= 0)
        close(descriptor);
    return path;
}

} // namespace

CCliProcess::CCliProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& wrapper)
    : m_outputFile(TemporaryFile("out"))
    , m_errorsFile(TemporaryFile("err"))
{
    std::vector<std::string> words = wrapper;
    words.push_back(QOR_CLI_PATH);
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, m_outputFile.c_str(), O_WRONLY | O_TRUNC, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, m_errorsFile.c_str(), O_WRONLY | O_TRUNC, 0);
    if (posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
}

CCliProcess::~CCliProcess()
{
    if (!m_waited) {
        Kill();
        Wait();
    }
    unlink(m_outputFile.c_str());
    unlink(m_errorsFile.c_str());
}

void CCliProcess::Kill()
{
    if (m_pid > 0 && !m_waited)
        kill(m_pid, SIGKILL);
}

bool CCliProcess::Running()
{
    if (m_pid <= 0 || m_waited)
        return false;
    int status = 0;
    const pid_t ended = waitpid(m_pid, &status, WNOHANG);
    if (ended != m_pid)
        return true;
    m_waited = true;
    m_result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return false;
}

CCliResult CCliProcess::Wait()
{
    if (m_pid > 0 && !m_waited) {
        int status = 0;
        while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) { }
        m_waited = true;
        m_result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    m_waited = true;
    m_result.output = ReadFileText(m_outputFile);
    m_result.errors = ReadFileText(m_errorsFile);
    return m_result;
}

CCliResult RunCli(const std::vector<std::string>& arguments)
{
    CCliProcess process(arguments);
    return process.Wait();
}

} // namespace qor::test

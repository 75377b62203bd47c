#include "cli/CliRun.h"

#include <array>
#include <cstdio>
#include <sys/wait.h>

namespace qor::test {

CRun RunCli(const std::vector<std::string>& arguments, const std::string& folder, const std::string& env,
    const std::string& redirect)
{
    const CTempFolder capture;
    std::string command = "cd '" + folder + "' && " + env + " " + QOR_CLI_PATH;
    for (const std::string& argument : arguments) {
        command += " '";
        for (const char c : argument)
            command += c == '\'' ? std::string("'\\''") : std::string(1, c);
        command += "'";
    }
    command += " 2>'" + capture.File("errors") + "' " + redirect;
    CRun run;
    std::FILE* pipe = popen(command.c_str(), "r");
    std::array<char, 4096> buffer{};
    while (std::size_t count = std::fread(buffer.data(), 1, buffer.size(), pipe))
        run.output.append(buffer.data(), count);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.errors = ReadFileText(capture.File("errors"));
    return run;
}

std::string Shell(const std::string& command)
{
    std::string output;
    std::FILE* pipe = popen(command.c_str(), "r");
    std::array<char, 4096> buffer{};
    while (std::size_t count = std::fread(buffer.data(), 1, buffer.size(), pipe))
        output.append(buffer.data(), count);
    pclose(pipe);
    return output;
}

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

std::string CCliTest::Call(
    const std::string& relative, const std::string& user, std::int32_t start, const std::string& caller, int seconds)
{
    samplegen::CSampleCall call;
    call.userId = user;
    call.callerId = caller;
    call.startTime = start;
    call.durationSeconds = seconds;
    return folder.Write(relative, call);
}

} // namespace qor::test

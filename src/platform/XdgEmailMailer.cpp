#include "platform/XdgEmailMailer.h"

#include <cerrno>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace qor {
namespace {

constexpr const char* kProgram = "xdg-email";
// xdg-email's exit status when a tool it needs to reach a mail client is missing.
constexpr int kExitToolMissing = 3;

std::vector<std::string> MakeArguments(const CMailMessage& message)
{
    std::vector<std::string> arguments{ kProgram, "--subject", message.subject, "--body", message.body };
    for (const std::string& attachment : message.attachments) {
        arguments.push_back("--attach");
        arguments.push_back(attachment);
    }
    return arguments;
}

} // namespace

CMailResult CXdgEmailMailer::Send(const CMailMessage& message)
{
    std::vector<std::string> arguments = MakeArguments(message);
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    // Each text is one argument as it stands: no shell ever sees the subject, body or file names.
    const int spawned = posix_spawnp(&child, kProgram, nullptr, nullptr, argv.data(), environ);
    if (spawned == ENOENT || spawned == EACCES)
        return CMailResult::kCannotLoad;
    if (spawned != 0)
        return CMailResult::kFailed;
    int status = 0;
    pid_t waited = 0;
    do
        waited = waitpid(child, &status, 0);
    while (waited < 0 && errno == EINTR);
    if (waited != child || !WIFEXITED(status))
        return CMailResult::kFailed;
    switch (WEXITSTATUS(status)) {
    case 0:
        return CMailResult::kSent;
    case kExitToolMissing:
        return CMailResult::kCannotLoad;
    default:
        return CMailResult::kFailed;
    }
}

} // namespace qor

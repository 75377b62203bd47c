#include "support/ChildProcess.h"

#include <sys/wait.h>
#include <unistd.h>

namespace qor::test {

int RunInChild(const std::function<bool()>& prepare, const std::function<int()>& body)
{
    constexpr int kFailed = 255;
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0)
        _exit(prepare() ? body() & 0xFF : kFailed);
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == kFailed)
        return -1;
    return WEXITSTATUS(status);
}

} // namespace qor::test

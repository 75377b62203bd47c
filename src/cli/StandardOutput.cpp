#include "cli/StandardOutput.h"

#include "cli/CliContext.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace qor::cli {
namespace {

int g_firstWriteError = 0;

void CloseStandardOutput()
{
    errno = 0;
    const bool flushFailed = std::fflush(stdout) != 0;
    int error = errno;
    const bool failedBefore = std::ferror(stdout) != 0;
    errno = 0;
    const bool closeFailed = std::fclose(stdout) != 0;
    if (error == 0)
        error = errno;
    if (g_firstWriteError != 0)
        error = g_firstWriteError;
    if (!flushFailed && !failedBefore && !closeFailed)
        return;
    if (error == EPIPE)
        _exit(kExitSomeFailed);
    if (error != 0)
        std::fprintf(stderr, "qortolvane-cli: write error: %s\n", std::strerror(error));
    else
        std::fputs("qortolvane-cli: write error\n", stderr);
    _exit(kExitSomeFailed);
}

} // namespace

void WriteStandardOutput(std::string_view text)
{
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() && g_firstWriteError == 0)
        g_firstWriteError = errno;
}

void CheckStandardOutputAtExit()
{
    std::atexit(CloseStandardOutput);
}

} // namespace qor::cli

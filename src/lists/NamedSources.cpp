#include "lists/NamedSources.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

bool EndsWithNoCase(const std::string& text, const std::string& ending)
{
    return text.size() >= ending.size()
        && strncasecmp(text.c_str() + text.size() - ending.size(), ending.c_str(), ending.size()) == 0;
}

std::string StatusReason(int error)
{
    return error == ENOENT      ? std::string("no such file or folder")
        : error == ENAMETOOLONG ? std::string("cannot be read: name too long")
                                : "cannot be read: " + std::string(std::strerror(error));
}

} // namespace

std::string UnusableSourceReason(const std::string& path)
{
    struct stat status { };
    if (stat(path.c_str(), &status) != 0)
        return StatusReason(errno);
    if (S_ISDIR(status.st_mode) || S_ISREG(status.st_mode))
        return {};
    return S_ISFIFO(status.st_mode) ? "is a named pipe, not a file or folder of calls"
        : S_ISSOCK(status.st_mode)  ? "is a socket, not a file or folder of calls"
                                    : "is a device, not a file or folder of calls";
}

CNamedSources SortNamedSources(const std::vector<std::string>& arguments, const std::string& workingFolder)
{
    CNamedSources sorted;
    for (const std::string& argument : arguments) {
        if (argument.empty())
            continue;
        if (argument.front() == '-') {
            sorted.problems.push_back(argument + ": unknown option");
            continue;
        }
        const std::string path = argument.front() == '/' ? argument : workingFolder + "/" + argument;
        if (const std::string reason = UnusableSourceReason(path); !reason.empty()) {
            sorted.problems.push_back(argument + ": " + reason);
            continue;
        }
        struct stat status { };
        stat(path.c_str(), &status);
        if (S_ISDIR(status.st_mode)) {
            sorted.folders.push_back(path);
            continue;
        }
        // Named now, while the person who named it is still looking, rather than by the player later.
        const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (descriptor < 0) {
            sorted.problems.push_back(argument + ": " + StatusReason(errno));
            continue;
        }
        close(descriptor);
        (EndsWithNoCase(path, ".reclist") ? sorted.lists : sorted.calls).push_back(path);
    }
    return sorted;
}

} // namespace qor

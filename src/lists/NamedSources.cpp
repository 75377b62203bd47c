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

// Why the file status makes the path unusable; empty for a folder or a regular file.
std::string ReasonOf(const struct stat& status)
{
    if (S_ISDIR(status.st_mode) || S_ISREG(status.st_mode))
        return {};
    return S_ISFIFO(status.st_mode) ? "is a named pipe, not a file or folder of calls"
        : S_ISSOCK(status.st_mode)  ? "is a socket, not a file or folder of calls"
                                    : "is a device, not a file or folder of calls";
}

} // namespace

std::string UnusableSourceReason(const std::string& path)
{
    struct stat status { };
    return stat(path.c_str(), &status) != 0 ? StatusReason(errno) : ReasonOf(status);
}

std::string AbsoluteNamedPath(const std::string& argument, const std::string& workingFolder)
{
    const bool asGiven = argument.empty() || argument.front() == '/' || argument.front() == '-';
    return asGiven ? argument : workingFolder + "/" + argument;
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
        const std::string path = AbsoluteNamedPath(argument, workingFolder);
        struct stat status { };
        const std::string reason = stat(path.c_str(), &status) != 0 ? StatusReason(errno) : ReasonOf(status);
        if (!reason.empty()) {
            sorted.problems.push_back(argument + ": " + reason);
            continue;
        }
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

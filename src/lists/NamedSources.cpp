#include "lists/NamedSources.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
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

// "/calls/./2026/" as "/calls/2026": a list is titled by its folder's last name. A ".." stays, as
// it may lead elsewhere through a link.
std::string WithoutDotsAndSlashes(const std::string& path)
{
    std::string clean;
    for (std::size_t start = 0; start < path.size();) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string_view name(path.data() + start, end - start);
        if (!name.empty() && name != ".")
            clean.append("/").append(name);
        start = end + 1;
    }
    return clean.empty() ? "/" : clean;
}

} // namespace

std::string UnusableSourceReason(const std::string& path)
{
    struct stat status { };
    return stat(path.c_str(), &status) != 0 ? StatusReason(errno) : ReasonOf(status);
}

std::string AbsoluteNamedPath(const std::string& argument, const std::string& workingFolder, bool mayBeOption)
{
    if (argument.empty() || (mayBeOption && argument.front() == '-'))
        return argument;
    if (argument.front() != '/' && workingFolder.empty())
        return mayBeOption ? argument : "./" + argument;
    return WithoutDotsAndSlashes(argument.front() == '/' ? argument : workingFolder + "/" + argument);
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
        if (path.front() != '/') {
            sorted.problems.push_back(argument + ": cannot be found: the folder it was named in is gone");
            continue;
        }
        struct stat status { };
        const std::string reason = stat(path.c_str(), &status) != 0 ? StatusReason(errno) : ReasonOf(status);
        if (!reason.empty()) {
            sorted.problems.push_back(argument + ": " + reason);
            continue;
        }
        // Named now, while the person who named it is still looking, rather than by the player or
        // the search later; a folder that can be entered but not read would list nothing.
        const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (descriptor < 0) {
            sorted.problems.push_back(argument + ": " + StatusReason(errno));
            continue;
        }
        close(descriptor);
        if (S_ISDIR(status.st_mode))
            sorted.folders.push_back(path);
        else
            (EndsWithNoCase(path, ".reclist") ? sorted.lists : sorted.calls).push_back(path);
    }
    return sorted;
}

} // namespace qor

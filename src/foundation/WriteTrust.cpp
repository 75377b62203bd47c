#include "foundation/WriteTrust.h"

#include "foundation/FolderSync.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qor {
namespace {

constexpr int kMostLinks = 40;

std::vector<std::string> Components(const std::string& path)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto slash = std::min(path.find('/', start), path.size());
        if (slash > start)
            parts.push_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    return parts;
}

std::string CurrentFolder()
{
    std::string folder(PATH_MAX, '\0');
    if (!getcwd(folder.data(), folder.size()))
        return "/";
    folder.resize(folder.find('\0'));
    return folder;
}

} // namespace

bool OwnedByUsOrRoot(uid_t owner)
{
    return owner == geteuid() || owner == 0;
}

bool ResolveForWriting(const std::string& path, std::string& resolved)
{
    std::vector<std::string> pending = Components(path.starts_with('/') ? path : CurrentFolder() + "/" + path);
    std::vector<std::string> done;
    int links = 0;
    while (!pending.empty()) {
        const std::string part = pending.front();
        pending.erase(pending.begin());
        if (part == ".")
            continue;
        if (part == "..") {
            if (!done.empty())
                done.pop_back();
            continue;
        }
        std::string here;
        for (const std::string& piece : done)
            here += "/" + piece;
        here += "/" + part;
        struct stat status { };
        if (lstat(here.c_str(), &status) != 0) {
            // What does not exist yet is made by the writer, inside the folders checked so far.
            if (errno != ENOENT)
                return false;
            done.push_back(part);
            continue;
        }
        if (!S_ISLNK(status.st_mode)) {
            done.push_back(part);
            continue;
        }
        if (!OwnedByUsOrRoot(status.st_uid) || ++links > kMostLinks) {
            errno = links > kMostLinks ? ELOOP : EPERM;
            return false;
        }
        std::string target(PATH_MAX, '\0');
        const ssize_t length = readlink(here.c_str(), target.data(), target.size());
        if (length <= 0)
            return false;
        target.resize(static_cast<std::size_t>(length));
        std::vector<std::string> followed = Components(target);
        if (target.starts_with('/'))
            done.clear();
        pending.insert(pending.begin(), followed.begin(), followed.end());
    }
    resolved.clear();
    for (const std::string& piece : done)
        resolved += "/" + piece;
    if (resolved.empty())
        resolved = "/";
    return true;
}

bool TrustedConfiguration(const std::string& path, std::string& why)
{
    struct stat file { };
    if (lstat(path.c_str(), &file) != 0)
        return true;
    struct stat folder { };
    if (stat(FolderOf(path).c_str(), &folder) != 0 || (folder.st_mode & (S_IWGRP | S_IWOTH)) == 0)
        return true;
    if (!S_ISREG(file.st_mode))
        why = "it is not a regular file";
    else if (!OwnedByUsOrRoot(file.st_uid))
        why = "it belongs to another user, in a folder others can write";
    else if ((file.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        why = "others can write it, in a folder others can write";
    return why.empty();
}

} // namespace qor

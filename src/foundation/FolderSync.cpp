#include "foundation/FolderSync.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace qor {

std::string FolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string_view FileNameOf(std::string_view path)
{
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

int SyncFolderOf(const std::string& path)
{
    const int folder = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return errno;
    const int result = fsync(folder) == 0 ? 0 : errno;
    close(folder);
    return result;
}

} // namespace qor

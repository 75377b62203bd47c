#include "foundation/FileIdentity.h"

#include <sys/stat.h>

namespace qor {

CFileIdentity IdentityOf(int descriptor)
{
    struct stat status { };
    if (fstat(descriptor, &status) != 0)
        return {};
    return { static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino) };
}

bool IdentityOfPath(const std::string& path, CFileIdentity& identity)
{
    struct stat status { };
    if (lstat(path.c_str(), &status) != 0)
        return false;
    identity = { static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino) };
    return true;
}

} // namespace qor

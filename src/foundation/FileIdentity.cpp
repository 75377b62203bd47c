#include "foundation/FileIdentity.h"

#include <fcntl.h>
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
    return IdentityAt(AT_FDCWD, path, identity);
}

bool IdentityAt(int folderDescriptor, const std::string& name, CFileIdentity& identity)
{
    struct stat status { };
    if (fstatat(folderDescriptor, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    identity = { static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino) };
    return true;
}

} // namespace qor

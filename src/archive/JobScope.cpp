#include "archive/JobScope.h"

#include "foundation/Settings.h"

#include <sys/stat.h>
#include <unistd.h>

namespace qor {

std::string JobFilePath(CJobScope scope, const std::string& fileName)
{
    return scope == CJobScope::Own ? CSettings::GetConfigFilePath(true, fileName)
                                   : CSettings::GetOfficeFilePath(fileName);
}

bool WritesJobFiles(CJobScope scope)
{
    return scope == CJobScope::Own || geteuid() == CSettings::GetOfficeAccount();
}

std::string OfficeFolderProblem()
{
    const std::string folder = CSettings::GetOfficeFilePath("");
    struct stat status { };
    if (lstat(folder.c_str(), &status) != 0)
        return {}; // made when the office job is first set, by its account
    if (!S_ISDIR(status.st_mode))
        return folder + " is not a folder";
    if (status.st_uid != 0 && status.st_uid != CSettings::GetOfficeAccount())
        return folder + " belongs to another user than the office account";
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return "others may write in " + folder
            + ", so they could block or steer the office job; let only its account write there (chmod 0755)";
    return {};
}

std::optional<uid_t> JobFileOwner(CJobScope scope)
{
    if (scope == CJobScope::Own || WritesJobFiles(scope))
        return std::nullopt;
    return CSettings::GetOfficeAccount();
}

} // namespace qor

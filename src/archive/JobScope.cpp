#include "archive/JobScope.h"

#include "foundation/Settings.h"

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

std::optional<uid_t> JobFileOwner(CJobScope scope)
{
    if (scope == CJobScope::Own || WritesJobFiles(scope))
        return std::nullopt;
    return CSettings::GetOfficeAccount();
}

} // namespace qor

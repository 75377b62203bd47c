#include "archive/ArchiveStructure.h"

#include "archive/ArchiveTypes.h"

#include <ctime>
#include <string_view>

namespace qor {
namespace {

constexpr const char* kMonths[]
    = { "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" };

std::string_view Trimmed(std::string_view folder)
{
    while (!folder.empty() && folder.front() == '/')
        folder.remove_prefix(1);
    while (!folder.empty() && folder.back() == '/')
        folder.remove_suffix(1);
    return folder;
}

} // namespace

std::string ArchiveFolderFor(std::int32_t structureType, const std::string& path, std::int64_t startTime)
{
    const auto slash = path.rfind('/');
    switch (structureType) {
    case kStructureByUser: {
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        const auto dash = name.find('-');
        return dash == std::string::npos ? std::string() : name.substr(0, dash);
    }
    case kStructureByMonth: {
        const auto time = static_cast<std::time_t>(startTime);
        std::tm local{};
        localtime_r(&time, &local);
        // Month names in English whatever the locale, so archives read the same everywhere.
        return std::string(kMonths[local.tm_mon]) + " " + std::to_string(local.tm_year + 1900);
    }
    case kStructureByPath:
        return slash == std::string::npos ? std::string()
                                          : std::string(Trimmed(std::string_view(path).substr(0, slash)));
    default:
        return {};
    }
}

std::string StripFolderPrefix(const std::string& folder, const std::string& prefix)
{
    const std::string_view below = Trimmed(prefix);
    if (below.empty() || folder.size() < below.size() || folder.compare(0, below.size(), below) != 0)
        return folder;
    // A call at the top of the prefix folder lies at the archive's top, as those below lie below.
    if (folder.size() == below.size())
        return {};
    if (folder[below.size()] != '/')
        return folder;
    return folder.substr(below.size() + 1);
}

} // namespace qor

#include "archive/iso/IsoFolderPath.h"

#include <algorithm>

namespace qor {

std::vector<std::string> SplitImageFolder(std::string_view folder)
{
    std::vector<std::string> levels;
    if (folder.starts_with('/'))
        folder.remove_prefix(1);
    while (!folder.empty()) {
        const std::size_t slash = folder.find('/');
        std::string_view level = folder.substr(0, slash);
        const std::size_t lastKept = level.find_last_not_of(' ');
        level = lastKept == std::string_view::npos ? std::string_view() : level.substr(0, lastKept + 1);
        if (level.empty())
            break;
        if (level != "." && level != "..")
            levels.push_back(ImageName(level));
        if (slash == std::string_view::npos)
            break;
        folder.remove_prefix(slash + 1);
    }
    return levels;
}

std::string ImageName(std::string_view name)
{
    std::string kept(name);
    std::replace(kept.begin(), kept.end(), '\\', '_');
    return kept;
}

} // namespace qor

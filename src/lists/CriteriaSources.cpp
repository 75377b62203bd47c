#include "lists/CriteriaSources.h"

#include <algorithm>

namespace qor {
namespace {

// Whether path is the folder itself or lies beneath it, by whole path elements and with case.
bool IsWithinFolder(const std::string& path, const std::string& folder)
{
    if (folder.empty() || !path.starts_with(folder))
        return false;
    // "/calls/ab" is not inside "/calls/a": the next character must start a new path element.
    return path.size() == folder.size() || folder.back() == '/' || path[folder.size()] == '/';
}

} // namespace

bool AddSource(std::vector<std::string>& sources, const std::string& folder, bool subFolders)
{
    if (folder.empty() || std::ranges::find(sources, folder) != sources.end())
        return false;
    if (!subFolders) {
        sources.push_back(folder);
        return true;
    }
    if (std::ranges::any_of(sources, [&](const std::string& source) { return IsWithinFolder(folder, source); }))
        return false;
    const auto inside = [&](const std::string& source) { return IsWithinFolder(source, folder); };
    // The new folder takes the place of the first source it holds, so the list keeps its order.
    const auto position = std::ranges::find_if(sources, inside) - sources.begin();
    std::erase_if(sources, inside);
    sources.insert(sources.begin() + position, folder);
    return true;
}

void PruneForSubFolders(std::vector<std::string>& sources)
{
    std::vector<std::string> kept;
    for (std::size_t index = 0; index < sources.size(); ++index) {
        const std::string& source = sources[index];
        bool held = false;
        for (std::size_t other = 0; other < sources.size() && !held; ++other)
            held = other != index && IsWithinFolder(source, sources[other])
                && (sources[other] != source || other < index);
        if (!held)
            kept.push_back(source);
    }
    sources = std::move(kept);
}

} // namespace qor

#include "lists/RecordingWalk.h"

#include "lists/SearchFilters.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
#include <vector>

namespace qor {
namespace {

struct CFolderItem {
    std::string name;
    bool isFolder;
};

// The folder's items in name order; readdir's file types save a stat per item.
std::vector<CFolderItem> ReadFolder(const std::string& folder)
{
    std::vector<CFolderItem> items;
    DIR* directory = opendir(folder.c_str());
    if (!directory)
        return items;
    while (const dirent* item = readdir(directory)) {
        const std::string name = item->d_name;
        if (name == "." || name == "..")
            continue;
        bool isFolder = item->d_type == DT_DIR;
        if (item->d_type == DT_UNKNOWN) {
            struct stat status { };
            std::string path = folder;
            path.append("/").append(name);
            isFolder = lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
        }
        items.push_back({ name, isFolder });
    }
    closedir(directory);
    std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return items;
}

bool WalkFolder(const std::string& folder, bool includeSubFolders, const std::function<bool(const std::string&)>& visit)
{
    const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
    for (const CFolderItem& item : ReadFolder(folder)) {
        const std::string path = prefix + item.name;
        if (item.isFolder) {
            if (includeSubFolders && !WalkFolder(path, includeSubFolders, visit))
                return false;
        } else if (IsRecordingPath(path) && !visit(path)) {
            return false;
        }
    }
    return true;
}

} // namespace

bool WalkRecordings(
    const std::string& source, bool includeSubFolders, const std::function<bool(const std::string& path)>& visit)
{
    struct stat status { };
    if (stat(source.c_str(), &status) != 0)
        return true;
    if (S_ISDIR(status.st_mode))
        return WalkFolder(source, includeSubFolders, visit);
    return !IsRecordingPath(source) || visit(source);
}

} // namespace qor

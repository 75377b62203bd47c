#include "lists/RecordingWalk.h"

#include "lists/SearchFilters.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <set>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace qor {
namespace {

enum class ItemKind { Folder, File, Other };

struct CFolderItem {
    std::string name;
    ItemKind kind;
    bool link; // a symbolic link (kind is what it points to)
};

using FolderIdentity = std::pair<dev_t, ino_t>;

ItemKind KindOf(const struct stat& status)
{
    if (S_ISDIR(status.st_mode))
        return ItemKind::Folder;
    return S_ISREG(status.st_mode) ? ItemKind::File : ItemKind::Other;
}

// What an item is; readdir's file types save a stat for all but links and unknown types.
ItemKind KindOf(const std::string& folder, const dirent& item)
{
    switch (item.d_type) {
    case DT_DIR:
        return ItemKind::Folder;
    case DT_REG:
        return ItemKind::File;
    case DT_LNK:
    case DT_UNKNOWN: {
        struct stat status { };
        std::string path = folder;
        path.append("/").append(item.d_name);
        // A link counts as what it points to; a dangling one as nothing.
        return stat(path.c_str(), &status) == 0 ? KindOf(status) : ItemKind::Other;
    }
    default:
        return ItemKind::Other;
    }
}

// The folder's items in name order; false (with errno) when it cannot be read.
bool ReadFolder(const std::string& folder, std::vector<CFolderItem>& items)
{
    DIR* directory = opendir(folder.c_str());
    if (!directory)
        return false;
    while (const dirent* item = readdir(directory)) {
        const std::string name = item->d_name;
        if (name == "." || name == "..")
            continue;
        items.push_back({ name, KindOf(folder, *item), item->d_type == DT_LNK });
    }
    closedir(directory);
    std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return true;
}

class CWalk {
public:
    CWalk(bool includeSubFolders, const std::function<bool(const std::string&)>& visit, const CWalkRules& rules)
        : m_includeSubFolders(includeSubFolders)
        , m_visit(visit)
        , m_rules(rules)
    {
        for (const CFolderIdentity& folder : rules.excluded)
            Seen().insert({ folder.device, folder.inode });
    }

    bool Folder(const std::string& folder)
    {
        if (m_rules.keepGoing && !m_rules.keepGoing())
            return false;
        struct stat status { };
        // A folder reached a second time (through a link, or a link loop) is not walked again, nor
        // is the excluded one, which counts as seen from the start.
        if (stat(folder.c_str(), &status) != 0) {
            if (m_rules.unreadable && errno != ENOENT) // gone since it was listed: nothing to say
                m_rules.unreadable(folder, errno);
            return true;
        }
        if (!Seen().insert({ status.st_dev, status.st_ino }).second)
            return true;
        const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
        std::vector<CFolderItem> items;
        if (!ReadFolder(folder, items)) {
            if (m_rules.unreadable)
                m_rules.unreadable(folder, errno);
            return true;
        }
        for (const CFolderItem& item : items) {
            const std::string path = prefix + item.name;
            if (item.link && m_rules.followLink && item.kind != ItemKind::Other && !m_rules.followLink(path))
                continue;
            if (item.kind == ItemKind::Folder) {
                if (m_includeSubFolders && !Folder(path))
                    return false;
            } else if (item.kind == ItemKind::File && IsRecordingPath(path)) {
                if (item.link && m_rules.memory)
                    m_rules.memory->pathsMayRepeat = true;
                if (!m_visit(path))
                    return false;
            }
        }
        return true;
    }

private:
    std::set<FolderIdentity>& Seen() { return m_rules.memory ? m_rules.memory->taken : m_seen; }

    bool m_includeSubFolders;
    const std::function<bool(const std::string&)>& m_visit;
    const CWalkRules& m_rules;
    std::set<FolderIdentity> m_seen;
};

} // namespace

bool WalkRecordings(const std::string& source, bool includeSubFolders,
    const std::function<bool(const std::string& path)>& visit, const CWalkRules& rules)
{
    struct stat status { };
    if (stat(source.c_str(), &status) != 0)
        return true;
    if (S_ISDIR(status.st_mode))
        return CWalk(includeSubFolders, visit, rules).Folder(source);
    // A file named as a source is taken whatever its name ends in: the user chose it.
    if (!S_ISREG(status.st_mode))
        return true;
    if (rules.memory) {
        if (!rules.memory->taken.insert({ status.st_dev, status.st_ino }).second)
            return true; // the same file named again, or through a link
        rules.memory->pathsMayRepeat = true;
    }
    return visit(source);
}

} // namespace qor

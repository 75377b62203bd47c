#include "archive/ArchivedCallIndex.h"

#include "archive/JobArchListEntry.h"
#include "lists/FileListEntry.h"

#include <algorithm>

namespace qor {
namespace {

std::string FileName(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Entries are indexed in log order, so each list stays sorted; a call named twice in one entry
// counts once.
void Note(std::unordered_map<std::string, std::vector<int>>& map, const std::string& key, int entry)
{
    std::vector<int>& entries = map[key];
    if (entries.empty() || entries.back() != entry)
        entries.push_back(entry);
}

} // namespace

void CArchivedCallIndex::Build(const ArchiveLogEntries& entries)
{
    m_byStart.clear();
    m_byPath.clear();
    m_startUnknownByPath.clear();
    for (std::size_t position = 0; position < entries.size(); ++position) {
        const int entry = static_cast<int>(position);
        for (const CRvFileListEntry& call : entries[position]->Calls()) {
            Note(m_byPath, call.GetPath(), entry);
            if (call.GetDisplayTime() == 0)
                Note(m_startUnknownByPath, call.GetPath(), entry);
            else
                m_byStart[call.GetDisplayTime()].emplace_back(FileName(call.GetPath()), entry);
        }
    }
}

int CArchivedCallIndex::Find(const CRvFileListEntry& call) const
{
    const std::vector<int> all = FindAll(call);
    return all.empty() ? -1 : all.back();
}

std::vector<int> CArchivedCallIndex::FindAll(const CRvFileListEntry& call) const
{
    const bool startKnown = call.IsLoaded() && !call.ReadFailed() && call.GetDisplayTime() != 0;
    if (!startKnown) {
        const auto byPath = m_byPath.find(call.GetPath());
        return byPath == m_byPath.end() ? std::vector<int>() : byPath->second;
    }
    std::vector<int> found;
    if (const auto sameStart = m_byStart.find(call.GetDisplayTime()); sameStart != m_byStart.end()) {
        const std::string name = FileName(call.GetPath());
        for (const auto& [loggedName, entry] : sameStart->second)
            if (loggedName == name)
                found.push_back(entry);
    }
    if (const auto unknown = m_startUnknownByPath.find(call.GetPath()); unknown != m_startUnknownByPath.end())
        found.insert(found.end(), unknown->second.begin(), unknown->second.end());
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

} // namespace qor

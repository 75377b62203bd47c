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

void KeepLatest(std::unordered_map<std::string, int>& map, const std::string& key, int entry)
{
    int& latest = map.try_emplace(key, entry).first->second;
    latest = std::max(latest, entry);
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
            KeepLatest(m_byPath, call.GetPath(), entry);
            if (call.GetDisplayTime() == 0)
                KeepLatest(m_startUnknownByPath, call.GetPath(), entry);
            else
                m_byStart[call.GetDisplayTime()].emplace_back(FileName(call.GetPath()), entry);
        }
    }
}

int CArchivedCallIndex::Find(const CRvFileListEntry& call) const
{
    const bool startKnown = call.IsLoaded() && !call.ReadFailed() && call.GetDisplayTime() != 0;
    if (!startKnown) {
        const auto byPath = m_byPath.find(call.GetPath());
        return byPath == m_byPath.end() ? -1 : byPath->second;
    }
    int found = -1;
    if (const auto sameStart = m_byStart.find(call.GetDisplayTime()); sameStart != m_byStart.end()) {
        const std::string name = FileName(call.GetPath());
        for (const auto& [loggedName, entry] : sameStart->second)
            if (loggedName == name)
                found = std::max(found, entry);
    }
    if (const auto unknown = m_startUnknownByPath.find(call.GetPath()); unknown != m_startUnknownByPath.end())
        found = std::max(found, unknown->second);
    return found;
}

} // namespace qor

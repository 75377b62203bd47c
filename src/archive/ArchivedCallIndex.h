// Which archive job holds a call, found among the many thousands of calls a long-kept archive log
// names without comparing each. A call is its start and its file's name (the recorder names files
// by user and time): a moved call is still found, another user's call of the same second is not.
// Where either start is unknown (a header that could not be read, then or now), only the very
// path tells.
#pragma once

#include "archive/ArchiveLogFile.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qor {

class CRvFileListEntry;

class CArchivedCallIndex {
public:
    // Indexes the calls of the entries; an entry is known by its position.
    void Build(const ArchiveLogEntries& entries);
    // The position of the last entry holding the call, or -1.
    int Find(const CRvFileListEntry& call) const;
    // The positions of every entry holding the call, in log order.
    std::vector<int> FindAll(const CRvFileListEntry& call) const;

private:
    std::unordered_map<std::int32_t, std::vector<std::pair<std::string, int>>> m_byStart; // file name, entry
    std::unordered_map<std::string, std::vector<int>> m_byPath; // each in log order
    std::unordered_map<std::string, std::vector<int>> m_startUnknownByPath;
};

} // namespace qor

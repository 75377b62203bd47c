// Turns one file the search counted into a list entry, or into nothing when a filter rejects it or
// the file has gone. The file is opened once and read once; its status is asked for only when the
// date filter needs its modification time (or an old header its size).
#pragma once

#include "lists/FileListEntry.h"
#include "lists/SearchCriteria.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qor {

// What the filters need that is the same for every file of a search, worked out once.
class CCandidateFilters {
public:
    CCandidateFilters(const SearchCriteria& criteria, std::int64_t now);

    // The entry for path when it passes every filter, read with passphrase; null otherwise.
    std::unique_ptr<CRvFileListEntry> Read(std::string path, const std::string& passphrase) const;

private:
    const SearchCriteria& m_criteria;
    std::int64_t m_now;
    bool m_filterDates;
    std::int64_t m_earliest;
};

} // namespace qor

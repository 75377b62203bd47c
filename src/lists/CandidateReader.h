// Turns one file the search counted into a list entry, or into nothing when a filter rejects it or
// the file has gone. The file is opened once and read once; its status is asked for only when the
// date filter needs its modification time (or an old header its size).
#pragma once

#include "lists/FileListEntry.h"
#include "lists/SearchCriteria.h"
#include "lists/index/CallIndex.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

namespace qor {

// What the call index knew of the files under a search's sources when it began, by path: read
// only, shared by the readers.
using CIndexSnapshot = std::unordered_map<std::string, CKeptCall>;

// A file a search read from disk although it had the index: what the index is to keep of it.
struct CFreshRead {
    std::unique_ptr<CRvFileListEntry> entry; // as read, before the filters; null when not to be kept
    CIndexStamp stamp;
    // Read, but changed too lately to be kept: the index does not know what it holds now.
    bool unsettled = false;
};

// What the filters need that is the same for every file of a search, worked out once.
class CCandidateFilters {
public:
    CCandidateFilters(const SearchCriteria& criteria, std::int64_t now);

    // The entry for path when it passes every filter, read with passphrase; null otherwise. With
    // an index, a file that is still as the index kept it is not read (one status asked instead),
    // and one that is read is given to fresh to be kept.
    std::unique_ptr<CRvFileListEntry> Read(std::string path, const std::string& passphrase,
        const CIndexSnapshot* index = nullptr, CFreshRead* fresh = nullptr) const;

private:
    // The filters after the name's, for an entry that has its details.
    std::unique_ptr<CRvFileListEntry> Filtered(std::unique_ptr<CRvFileListEntry> entry,
        std::optional<std::int64_t> modified, const std::string& passphrase) const;

    const SearchCriteria& m_criteria;
    std::int64_t m_now;
    bool m_filterDates;
    std::int64_t m_earliest;
};

} // namespace qor

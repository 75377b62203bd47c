// The recordings a walk has found so far, handed to the readers while the walk goes on: reading
// starts with the first folder instead of after the last. Each candidate keeps the walk's order
// and gets the entry its reader made of it.
#pragma once

#include "lists/CandidateReader.h"
#include "lists/FileListEntry.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qor {

class CCandidateFeed {
public:
    struct Candidate {
        std::string path;
        std::unique_ptr<CRvFileListEntry> entry; // set by the reader; null when filtered out
        CFreshRead fresh; // read from its file although there was an index: to be kept in it
    };

    // The walk's side: paths found, then the end of the walk.
    void Add(std::vector<std::string>& paths);
    void Close();

    // The readers' side: the next index, waiting for the walk when it has none yet; none once the
    // walk is over and every index taken, or once stop says so (checked while waiting too).
    std::optional<std::size_t> Take(const std::function<bool()>& keepGoing);
    Candidate& At(std::size_t index);

    std::size_t Found();
    // After the walk and the readers have finished.
    std::deque<Candidate>& All() { return m_candidates; }

private:
    std::mutex m_mutex;
    std::condition_variable m_added;
    std::deque<Candidate> m_candidates; // grows at the back only: a candidate never moves
    std::size_t m_next = 0;
    bool m_closed = false;
};

} // namespace qor

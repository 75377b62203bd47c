// Compiles recording lists: a worker thread walks the sources while it reads and filters the files
// found so far (with several reads in flight), then sorts the result, and the caller, polling
// GetStatus, hands the result to a list document. The worker holds the manager's lock for the
// whole scan, so no one sees a half-sorted result.
#pragma once

#include "foundation/LoggedSemaphore.h"
#include "foundation/Thread.h"
#include "lists/CandidateReader.h"
#include "lists/EntrySort.h"
#include "lists/FileListEntry.h"
#include "lists/SearchCriteria.h"

#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qor {

class CCandidateFeed;
class CQorTolvaneDoc;
class IArchiveLookup;

class CSearchManager : public CRvThread {
public:
    struct Status {
        bool sourceMissing = false;
        std::int32_t scanned = 0;
        std::int32_t total = 0; // the recordings found so far: it grows while the walk goes on
        bool walkFinished = false;
    };

    CSearchManager();
    ~CSearchManager() override;

    // Clears the results and takes the criteria. A source that is empty or does not exist blocks
    // the start.
    void Prepare(const SearchCriteria& criteria, int sortColumn = kColumnDateTime, bool naturalOrder = true);
    void SetReplaceList(bool replace) { m_replaceList = replace; }
    bool GetReplaceList() const { return m_replaceList; }
    Status GetStatus() const;
    // Starts the worker; false when a source was missing.
    bool StartSearch();
    void StopSearch();
    // Moves the results into the document, which refuses paths it already lists.
    void MoveResultsTo(CQorTolvaneDoc* document);
    // The hand-off after a finished search: empties the list first when asked to replace it.
    void HandOffTo(CQorTolvaneDoc* document);
    SearchCriteria GetCriteria() const;
    // The paths of the results as they stand (for a cancelled run, unsorted).
    std::vector<std::string> GetResultPaths();
    std::size_t GetResultCount();
    // The folders the last search could not read (a permission, a path too long), with errno.
    std::vector<std::pair<std::string, int>> GetUnreadableFolders();

    // Where the "Archived" column looks up archive times.
    void SetArchiveLookup(std::shared_ptr<IArchiveLookup> archive);
    // Lists through the call index (null: reads every file): a file still as the index kept it is
    // not read, and the index learns what was read and what is gone. Used on the search's thread,
    // which must have finished before the index goes.
    void SetCallIndex(ICallIndex* index) { m_index = index; }
    // False when the last search could not bring the index up to date (another program held it
    // too long, a full disk): the list is right, only the next one reads those files again.
    bool IndexKeptUp() const { return m_indexKeptUp; }
    // The calls the last search read but could not keep, changed too lately: what the index holds
    // of them is not what they hold now. Read once the search is over.
    const std::vector<std::string>& UnsettledPaths() const { return m_unsettled; }
    // How many files the worker reads at once; 0 (the default) adapts to the storage, or follows
    // QOR_SEARCH_READERS when that is set.
    void SetReaderCount(int readers) { m_readerCount = readers; }

protected:
    int Run() override;

private:
    CRvLoggedSemaphore m_lock{ "SEARCH_MANAGER" };
    void Walk(CCandidateFeed& feed);
    CIndexSnapshot IndexSnapshot() const;
    void UpdateIndex(CCandidateFeed& feed, const CIndexSnapshot& snapshot);

    std::vector<std::string> m_roots; // the sources as full paths
    std::vector<std::pair<std::string, int>> m_unreadable; // written by the walk, read once it is over
    std::vector<std::unique_ptr<CRvFileListEntry>> m_results;
    std::atomic<bool> m_sourceMissing{ false };
    std::atomic<std::int32_t> m_scanned{ 0 };
    std::atomic<std::int32_t> m_total{ 0 };
    std::atomic<bool> m_walkFinished{ false };
    bool m_pathsMayRepeat = false; // set by the walk before the reads end
    bool m_walkCompleted = false; // every source walked to its end
    ICallIndex* m_index = nullptr;
    std::atomic<bool> m_indexKeptUp{ true }; // written by the worker, read once it is over
    std::vector<std::string> m_unsettled; // likewise
    SearchCriteria m_criteria;
    int m_sortColumn = kColumnDateTime;
    bool m_naturalOrder = true;
    bool m_replaceList = false;
    int m_readerCount = 0;
    std::shared_ptr<IArchiveLookup> m_archive;
};

} // namespace qor

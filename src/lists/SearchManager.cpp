#include "lists/SearchManager.h"

#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "foundation/ThreadPriority.h"
#include "lists/ArchiveLookup.h"
#include "lists/CandidateFeed.h"
#include "lists/CandidateReader.h"
#include "lists/ParallelReads.h"
#include "lists/QorTolvaneDoc.h"
#include "lists/RecordingWalk.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <map>
#include <string_view>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unordered_set>

namespace qor {
namespace {

// One row per call when paths may repeat a call (a link to it, or it named besides its folder):
// the call's own path is kept over a link's.
void KeepEachCallOnce(std::vector<std::unique_ptr<CRvFileListEntry>>& results)
{
    std::map<std::pair<dev_t, ino_t>, std::size_t> byFile; // where each call's row is
    std::unordered_set<std::string> paths; // for a file gone since it was read
    std::vector<std::unique_ptr<CRvFileListEntry>> kept;
    for (auto& entry : results) {
        struct stat status { };
        if (stat(entry->GetPath().c_str(), &status) != 0) {
            if (paths.insert(entry->GetPath()).second)
                kept.push_back(std::move(entry));
            continue;
        }
        const auto [at, first] = byFile.try_emplace({ status.st_dev, status.st_ino }, kept.size());
        if (first) {
            kept.push_back(std::move(entry));
            continue;
        }
        const auto isLink = [](const std::string& path) {
            struct stat link { };
            return lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
        };
        if (isLink(kept[at->second]->GetPath()) && !isLink(entry->GetPath()))
            kept[at->second] = std::move(entry);
    }
    results = std::move(kept);
}

} // namespace

CSearchManager::CSearchManager()
    : CRvThread("Search Manager")
{
}

CSearchManager::~CSearchManager()
{
    Wait();
}

void CSearchManager::Prepare(const SearchCriteria& criteria, int sortColumn, bool naturalOrder)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    m_results.clear();
    m_criteria = criteria;
    m_sortColumn = sortColumn;
    m_naturalOrder = naturalOrder;
    m_roots.clear();
    m_unreadable.clear();
    m_sourceMissing = false;
    m_walkFinished = false;
    m_scanned = 0;
    m_total = 0;
    for (const std::string& source : criteria.sources) {
        std::error_code error;
        if (source.empty() || !std::filesystem::exists(source, error)) {
            m_sourceMissing = true;
            return;
        }
        // Lists name recordings by their full paths, whatever the source was given as. A ".." is
        // resolved on the disk, not in the text: after a link it leads elsewhere than its text says.
        const std::filesystem::path full = std::filesystem::absolute(source, error);
        const bool climbs = std::any_of(full.begin(), full.end(), [](const auto& part) { return part == ".."; });
        const std::string root
            = (climbs ? std::filesystem::weakly_canonical(full, error) : full.lexically_normal()).string();
        m_roots.push_back(root.empty() ? source : root);
    }
}

CSearchManager::Status CSearchManager::GetStatus() const
{
    return { m_sourceMissing.load(), m_scanned.load(), m_total.load(), m_walkFinished.load() };
}

bool CSearchManager::StartSearch()
{
    if (m_sourceMissing)
        return false;
    {
        QOR_SEMAPHORE_GUARD(m_lock);
        m_results.clear();
        m_unreadable.clear();
        m_scanned = 0;
        m_total = 0;
        m_walkFinished = false;
        m_indexKeptUp = true;
        m_unsettled.clear();
    }
    return Start(kPriorityNormal);
}

void CSearchManager::StopSearch()
{
    if (IsRunning()) {
        SignalStop();
        Wait();
    }
}

int CSearchManager::Run()
{
    QOR_SEMAPHORE_GUARD(m_lock);
    LowerCurrentThreadPriority(kPriorityBelowNormal);
    const std::string passphrase = Singleton<CSettings>::Instance()->GetPassphrase();
    const CCandidateFilters filters(m_criteria, std::time(nullptr));
    const auto keepGoing = [this] { return IsRunning(); };
    CCandidateFeed feed;
    // The folders are walked while the files found so far are read: the walk of a large tree
    // costs no time of its own. Without a thread for it, the walk comes first.
    std::thread walker;
    try {
        walker = std::thread([&] { Walk(feed); });
    } catch (const std::system_error&) {
        Walk(feed);
    }
    const CIndexSnapshot snapshot = m_index ? IndexSnapshot() : CIndexSnapshot();
    // Several reads in flight; each file lands in its own slot, so the list comes out in walk
    // order whatever the number of readers.
    const int readers = m_readerCount != kAdaptiveReaders ? m_readerCount : ConfiguredReaders();
    ReadAsTaken(
        readers, [&] { return feed.Take(keepGoing); },
        [&](std::size_t index) {
            CCandidateFeed::Candidate& candidate = feed.At(index);
            // With the index the path stays, to tell what is gone from what was found.
            candidate.entry = m_index ? filters.Read(candidate.path, passphrase, &snapshot, &candidate.fresh)
                                      : filters.Read(std::move(candidate.path), passphrase);
            ++m_scanned;
        });
    if (walker.joinable())
        walker.join();
    if (m_index && m_walkCompleted && IsRunning())
        UpdateIndex(feed, snapshot);
    for (CCandidateFeed::Candidate& candidate : feed.All())
        if (candidate.entry)
            m_results.push_back(std::move(candidate.entry));
    if (m_pathsMayRepeat)
        KeepEachCallOnce(m_results);
    if (IsRunning())
        SortEntries(m_results, m_sortColumn, m_naturalOrder, m_archive.get());
    return 0;
}

void CSearchManager::Walk(CCandidateFeed& feed)
{
    // Handed over a folder's worth at a time, so that readers and walk seldom meet at the lock.
    constexpr std::size_t kBatch = 64;
    std::vector<std::string> found;
    CWalkRules rules;
    rules.keepGoing = [this] { return IsRunning(); };
    CWalkMemory memory; // sources that overlap, also through links, give each call once
    rules.memory = &memory;
    m_walkCompleted = false;
    rules.unreadable = [this](const std::string& folder, int error) { m_unreadable.emplace_back(folder, error); };
    for (const std::string& root : m_roots) {
        const bool walked = WalkRecordings(
            root, m_criteria.includeSubFolders,
            [&](const std::string& path) {
                found.push_back(path);
                ++m_total;
                if (found.size() >= kBatch)
                    feed.Add(found);
                return IsRunning();
            },
            rules);
        if (!walked)
            break;
        m_walkCompleted = &root == &m_roots.back();
    }
    feed.Add(found);
    feed.Close();
    m_pathsMayRepeat = memory.pathsMayRepeat;
    m_walkFinished = true;
}

CIndexSnapshot CSearchManager::IndexSnapshot() const
{
    CIndexSnapshot snapshot;
    for (const std::string& root : m_roots)
        for (CKeptCall& kept : m_criteria.includeSubFolders ? m_index->Under(root) : m_index->InFolder(root)) {
            std::string path = kept.path;
            snapshot.emplace(std::move(path), std::move(kept));
        }
    return snapshot;
}

void CSearchManager::UpdateIndex(CCandidateFeed& feed, const CIndexSnapshot& snapshot)
{
    // What was read is kept; what the index held under the sources that the walk found no more
    // (deleted, renamed, or in a folder that can no longer be read) goes.
    std::vector<const CRvFileListEntry*> read;
    std::vector<CIndexStamp> stamps;
    std::unordered_set<std::string_view> found;
    for (const CCandidateFeed::Candidate& candidate : feed.All()) {
        found.insert(candidate.path);
        if (candidate.fresh.unsettled)
            m_unsettled.push_back(candidate.path);
        if (candidate.fresh.entry) {
            read.push_back(candidate.fresh.entry.get());
            stamps.push_back(candidate.fresh.stamp);
        }
    }
    std::vector<std::string> gone;
    for (const auto& [path, kept] : snapshot)
        if (!found.contains(path))
            gone.push_back(path);
    m_indexKeptUp = m_index->Keep(read, stamps) && m_index->Forget(gone);
}

void CSearchManager::MoveResultsTo(CQorTolvaneDoc* document)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    if (m_results.empty() || !document)
        return;
    document->SetCriteria(m_criteria);
    document->AddFoundEntries(m_results);
}

void CSearchManager::HandOffTo(CQorTolvaneDoc* document)
{
    if (m_replaceList && document)
        document->Clear();
    MoveResultsTo(document);
    m_replaceList = false;
}

std::vector<std::pair<std::string, int>> CSearchManager::GetUnreadableFolders()
{
    QOR_SEMAPHORE_GUARD(m_lock);
    return m_unreadable;
}

SearchCriteria CSearchManager::GetCriteria() const
{
    return m_criteria;
}

std::size_t CSearchManager::GetResultCount()
{
    QOR_SEMAPHORE_GUARD(m_lock);
    return m_results.size();
}

std::vector<std::string> CSearchManager::GetResultPaths()
{
    QOR_SEMAPHORE_GUARD(m_lock);
    std::vector<std::string> paths;
    for (const auto& entry : m_results)
        paths.push_back(entry->GetPath());
    return paths;
}

void CSearchManager::SetArchiveLookup(std::shared_ptr<IArchiveLookup> archive)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    m_archive = std::move(archive);
}

} // namespace qor

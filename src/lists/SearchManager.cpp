#include "lists/SearchManager.h"

#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "foundation/ThreadPriority.h"
#include "lists/ArchiveLookup.h"
#include "lists/CandidateReader.h"
#include "lists/ParallelReads.h"
#include "lists/QorTolvaneDoc.h"
#include "lists/RecordingWalk.h"

#include <ctime>
#include <filesystem>

namespace qor {

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
    m_candidates.clear();
    m_sourceMissing = false;
    m_scanned = 0;
    m_total = 0;
    for (const std::string& source : criteria.sources) {
        std::error_code error;
        if (source.empty() || !std::filesystem::exists(source, error)) {
            m_sourceMissing = true;
            return;
        }
        // The files counted are the files scanned: the worker does not walk the folders again.
        // Lists name recordings by their full paths, whatever the source was given as.
        const std::string root = std::filesystem::absolute(source, error).lexically_normal().string();
        WalkRecordings(root.empty() ? source : root, criteria.includeSubFolders, [this](const std::string& path) {
            m_candidates.push_back(path);
            ++m_total;
            return true;
        });
    }
}

CSearchManager::Status CSearchManager::GetStatus() const
{
    return { m_sourceMissing.load(), m_scanned.load(), m_total.load() };
}

bool CSearchManager::StartSearch()
{
    if (m_sourceMissing)
        return false;
    {
        QOR_SEMAPHORE_GUARD(m_lock);
        m_results.clear();
        m_scanned = 0;
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
    // Several reads in flight; each file lands in its own slot, so the list comes out in walk
    // order whatever the number of readers.
    std::vector<std::unique_ptr<CRvFileListEntry>> found(m_candidates.size());
    const int readers = m_readerCount != kAdaptiveReaders ? m_readerCount : ConfiguredReaders();
    ReadInParallel(
        m_candidates.size(), readers, [this] { return IsRunning(); },
        [&](std::size_t index) {
            found[index] = filters.Read(m_candidates[index], passphrase);
            ++m_scanned;
        });
    for (auto& entry : found)
        if (entry)
            m_results.push_back(std::move(entry));
    if (IsRunning())
        SortEntries(m_results, m_sortColumn, m_naturalOrder, m_archive.get());
    return 0;
}

void CSearchManager::MoveResultsTo(CQorTolvaneDoc* document)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    if (m_results.empty() || !document)
        return;
    document->SetCriteria(m_criteria);
    for (auto& entry : m_results)
        document->AddFoundEntry(std::move(entry));
    m_results.clear();
}

void CSearchManager::HandOffTo(CQorTolvaneDoc* document)
{
    if (m_replaceList && document)
        document->Clear();
    MoveResultsTo(document);
    m_replaceList = false;
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

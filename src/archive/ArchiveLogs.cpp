#include "archive/ArchiveLogs.h"

#include "foundation/Singleton.h"

#include <algorithm>

namespace qor {
namespace {

std::optional<std::int64_t> Later(std::optional<std::int64_t> first, std::optional<std::int64_t> second)
{
    if (!first)
        return second;
    if (!second)
        return first;
    return std::max(*first, *second);
}

} // namespace

CArchiveLogs::CArchiveLogs()
    : CArchiveLogs(Singleton<CArchiveLogger>::Instance(), Singleton<COfficeArchiveLog>::Instance())
{
}

CArchiveLogs::CArchiveLogs(std::shared_ptr<CArchiveLogger> own, std::shared_ptr<CArchiveLogger> office)
    : m_own(std::move(own))
    , m_office(std::move(office))
{
}

void CArchiveLogs::Load()
{
    for (CArchiveLogger* log : { m_own.get(), m_office.get() })
        if (!log->Load(true) && !log->IsChanged())
            log->Clear();
}

std::vector<std::string> CArchiveLogs::Refusals()
{
    std::vector<std::string> refusals;
    for (CArchiveLogger* log : { m_own.get(), m_office.get() })
        if (const std::string why = log->Refusal(); !why.empty())
            refusals.push_back(log->Path() + ": " + why);
    return refusals;
}

std::vector<CArchiveHolding> CArchiveLogs::JobsOfCall(const CRvFileListEntry& entry)
{
    std::vector<CArchiveHolding> jobs = m_own->JobsOfCall(entry);
    const std::vector<CArchiveHolding> office = m_office->JobsOfCall(entry);
    jobs.insert(jobs.end(), office.begin(), office.end());
    std::stable_sort(jobs.begin(), jobs.end(), [](const auto& a, const auto& b) { return a.jobTime < b.jobTime; });
    return jobs;
}

bool CArchiveLogs::Holds(const CRvFileListEntry& entry)
{
    return m_own->FindJobOfCall(entry) != nullptr || m_office->FindJobOfCall(entry) != nullptr;
}

std::vector<std::string> CArchiveLogs::FolderArchives()
{
    std::vector<std::string> folders = m_own->FolderArchives();
    for (std::string& folder : m_office->FolderArchives())
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(std::move(folder));
    return folders;
}

std::optional<std::int64_t> CArchiveLogs::ArchivedTime(const CRvFileListEntry& entry)
{
    return Later(m_own->ArchivedTime(entry), m_office->ArchivedTime(entry));
}

std::vector<std::optional<std::int64_t>> CArchiveLogs::ArchivedTimes(
    const std::vector<std::unique_ptr<CRvFileListEntry>>& entries)
{
    std::vector<std::optional<std::int64_t>> times = m_own->ArchivedTimes(entries);
    const std::vector<std::optional<std::int64_t>> office = m_office->ArchivedTimes(entries);
    for (std::size_t index = 0; index < times.size() && index < office.size(); ++index)
        times[index] = Later(times[index], office[index]);
    return times;
}

} // namespace qor

#include "archive/ArchiveLogger.h"

#include "foundation/AtomicFile.h"
#include "foundation/FileLock.h"
#include "foundation/Logger.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "foundation/WriteTrust.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <utility>

namespace qor {
namespace {

// Saves are short; a holder that keeps the lock longer has hung, and the save is tried later.
constexpr std::chrono::seconds kLockPatience{ 30 };
constexpr std::uint64_t kLargestLog = std::uint64_t{ 1 } << 31;

bool SameEntry(const CJobArchListEntry& entry, std::int64_t id, const std::string& target)
{
    return entry.GetJobTime() == id && entry.target == target;
}

// The report's account of the originals: what the job asked for and, as recorded, what was done.
std::string OriginalsOfJob(const CJobArchListEntry& job)
{
    if (job.mediaProcessing == kModificationNotLogged)
        return job.originalsNote;
    const std::string asked = MediaProcessingName(job.mediaProcessing);
    if (job.mediaProcessing == kKeepOriginals)
        return asked;
    return asked
        + (job.originalsNote.empty() ? std::string(" (what became of them was not recorded)")
                                     : " - " + job.originalsNote);
}

} // namespace

CArchiveLogger::CArchiveLogger(CJobScope scope)
    : m_scope(scope)
    , m_readOnly(!WritesJobFiles(scope))
{
}

std::string CArchiveLogger::FilePath()
{
    return JobFilePath(CJobScope::Own, kFileName);
}

std::string CArchiveLogger::Path() const
{
    return JobFilePath(m_scope, kFileName);
}

int CArchiveLogger::AddEntry(const CJobArchListEntry& job)
{
    auto copy = std::make_unique<CJobArchListEntry>(job);
    const std::string passphrase = Singleton<CSettings>::Instance()->GetPassphrase();
    for (CRvFileListEntry& call : copy->Calls())
        call.LoadDetails(passphrase);
    QOR_SEMAPHORE_GUARD(m_lock);
    m_changes.push_back(
        { CChange::Kind::Add, copy->GetJobTime(), copy->target, {}, std::make_shared<const CJobArchListEntry>(*copy) });
    m_entries.push_back(std::move(copy));
    m_callIndexValid = false;
    return static_cast<int>(m_entries.size()) - 1;
}

void CArchiveLogger::Clear()
{
    QOR_SEMAPHORE_GUARD(m_lock);
    m_entries.clear();
    m_changes.clear();
    m_callIndexValid = false;
}

bool CArchiveLogger::ReadOnly(CArchiveLogFileRead& read) const
{
    std::string content, why;
    switch (ReadConfiguration(Path(), content, why, kLargestLog, JobFileOwner(m_scope))) {
    case CConfigurationRead::Missing:
        read.exists = false;
        return true;
    case CConfigurationRead::Read:
        read.exists = true;
        if (!ParseArchiveLog(content, read.entries))
            QOR_LOG("Archiver: %s could not be read as written; what it still shows is used\r\n", Path().c_str());
        return true;
    case CConfigurationRead::Untrusted:
        QOR_LOG("Archiver: %s is ignored: %s\r\n", Path().c_str(), why.c_str());
        read.refusedBecause = why;
        break;
    case CConfigurationRead::Unreadable:
        break;
    }
    read.readable = false;
    return false;
}

bool CArchiveLogger::ReadLocked(CArchiveLogFileRead& read)
{
    read = ReadArchiveLogFile(Path());
    if (!read.readable)
        return false;
    if (!read.keptAside.empty()) {
        // What the damaged file still held goes back under the log's name at once, so it is not
        // only in the copy kept aside.
        WriteOwnFile(Path(), ArchiveLogText(read.entries), LogFileMode());
        QOR_SEMAPHORE_GUARD(m_lock);
        m_damageNote = read.keptAside;
    }
    return true;
}

bool CArchiveLogger::Load(bool clearFirst)
{
    CArchiveLogFileRead read;
    bool found = false;
    if (m_readOnly) {
        found = ReadOnly(read) && read.exists;
    } else {
        CLockFile fileLock(Path());
        fileLock.Lock(kLockPatience);
        found = ReadLocked(read) && read.exists;
    }
    {
        QOR_SEMAPHORE_GUARD(m_lock);
        m_refusal = read.refusedBecause;
    }
    if (!found)
        return false;
    if (clearFirst)
        Clear();
    QOR_SEMAPHORE_GUARD(m_lock);
    for (auto& job : read.entries)
        m_entries.push_back(std::move(job));
    m_callIndexValid = false;
    m_loaded = true;
    return true;
}

void CArchiveLogger::Apply(const CChange& change, ArchiveLogEntries& entries)
{
    if (change.kind == CChange::Kind::Add) {
        entries.push_back(std::make_unique<CJobArchListEntry>(*change.added));
        return;
    }
    const auto found = std::find_if(entries.rbegin(), entries.rend(),
        [&](const auto& entry) { return SameEntry(*entry, change.id, change.target); });
    if (found == entries.rend())
        return; // another program removed it meanwhile
    if (change.kind == CChange::Kind::Remove)
        entries.erase(std::next(found).base());
    else if (change.kind == CChange::Kind::Comment)
        (*found)->SetComment(change.text);
    else
        (*found)->originalsNote = change.text;
}

bool CArchiveLogger::Save()
{
    std::vector<CChange> changes;
    {
        QOR_SEMAPHORE_GUARD(m_lock);
        if (m_changes.empty())
            return true;
        changes = m_changes;
    }
    if (m_readOnly)
        return false;
    CLockFile fileLock(Path());
    if (!fileLock.Lock(kLockPatience)) {
        QOR_LOG("Archiver: archive.log is locked by another program; not saved\r\n");
        return false;
    }
    CArchiveLogFileRead read;
    if (!ReadLocked(read)) {
        QOR_LOG("Archiver: archive.log cannot be read, so it is not written over\r\n");
        return false;
    }
    for (const CChange& change : changes)
        Apply(change, read.entries);
    if (!WriteOwnFile(Path(), ArchiveLogText(read.entries), LogFileMode()))
        return false;
    QOR_SEMAPHORE_GUARD(m_lock);
    // Changes made while the file was written are applied to what is now on disk.
    m_changes.erase(m_changes.begin(), m_changes.begin() + static_cast<std::ptrdiff_t>(changes.size()));
    m_entries = std::move(read.entries);
    for (const CChange& change : m_changes)
        Apply(change, m_entries);
    m_callIndexValid = false;
    return true;
}

bool CArchiveLogger::CheckSavable(std::string& why)
{
    if (m_readOnly) {
        why = "it is the office job's, which only the office account writes";
        return false;
    }
    CLockFile fileLock(Path());
    if (!fileLock.Lock(kLockPatience)) {
        why = fileLock.Problem();
        return false;
    }
    CArchiveLogFileRead read;
    if (!ReadLocked(read)) {
        why = "it cannot be read, so it is never written over";
        return false;
    }
    if (!WriteOwnFile(Path(), ArchiveLogText(read.entries), LogFileMode())) {
        why = errno == EPERM ? "it is reached through another user's link, or is another user's file"
                             : std::strerror(errno);
        return false;
    }
    return true;
}

std::unique_ptr<CJobArchListEntry> CArchiveLogger::RemoveEntry(const CJobArchListEntry* job)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    const auto found
        = std::find_if(m_entries.begin(), m_entries.end(), [job](const auto& entry) { return entry.get() == job; });
    if (found == m_entries.end())
        return nullptr;
    auto removed = std::move(*found);
    m_entries.erase(found);
    m_callIndexValid = false;
    m_changes.push_back({ CChange::Kind::Remove, removed->GetJobTime(), removed->target, {}, nullptr });
    return removed;
}

void CArchiveLogger::SetComment(CJobArchListEntry* job, const std::string& comment)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    job->SetComment(comment);
    m_changes.push_back({ CChange::Kind::Comment, job->GetJobTime(), job->target, job->GetComment(), nullptr });
}

void CArchiveLogger::SetOriginalsNote(const CJobArchListEntry& job, const std::string& note)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    const CChange change{ CChange::Kind::Originals, job.GetJobTime(), job.target, note, nullptr };
    Apply(change, m_entries);
    m_changes.push_back(change);
}

std::string CArchiveLogger::Refusal()
{
    QOR_SEMAPHORE_GUARD(m_lock);
    return m_refusal;
}

std::string CArchiveLogger::TakeDamageNote()
{
    QOR_SEMAPHORE_GUARD(m_lock);
    return std::exchange(m_damageNote, std::string());
}

std::vector<CJobArchListEntry*> CArchiveLogger::Entries()
{
    QOR_SEMAPHORE_GUARD(m_lock);
    std::vector<CJobArchListEntry*> entries;
    for (const auto& entry : m_entries)
        entries.push_back(entry.get());
    return entries;
}

std::vector<std::string> CArchiveLogger::FolderArchives()
{
    QOR_SEMAPHORE_GUARD(m_lock);
    std::vector<std::string> folders;
    for (const auto& entry : m_entries)
        if (entry->archiveType == kArchiveDisk
            && std::find(folders.begin(), folders.end(), entry->target) == folders.end())
            folders.push_back(entry->target);
    return folders;
}

int CArchiveLogger::FindPath(const std::string& path)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    for (std::size_t index = m_entries.size(); index-- > 0;) {
        CJobArchListEntry& job = *m_entries[index];
        const auto& calls = job.Calls();
        // From where the last hit left off, wrapping round: lookups in archive order hit at once.
        for (std::size_t step = 0; step < calls.size(); ++step) {
            const std::size_t at = (job.searchCursor + step) % calls.size();
            if (calls[at].GetPath() == path) {
                job.searchCursor = (at + 1) % calls.size();
                return static_cast<int>(index);
            }
        }
    }
    return -1;
}

const CJobArchListEntry* CArchiveLogger::FindJobOfCall(const CRvFileListEntry& entry)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    return FindJobOfCallLocked(entry);
}

const CJobArchListEntry* CArchiveLogger::FindJobOfCallLocked(const CRvFileListEntry& entry)
{
    if (m_entries.empty())
        return nullptr;
    const int found = CallIndexLocked().Find(entry);
    return found < 0 ? nullptr : m_entries[static_cast<std::size_t>(found)].get();
}

const CArchivedCallIndex& CArchiveLogger::CallIndexLocked()
{
    if (!m_callIndexValid) {
        m_callIndex.Build(m_entries);
        m_callIndexValid = true;
    }
    return m_callIndex;
}

std::vector<CArchiveHolding> CArchiveLogger::JobsOfCall(const CRvFileListEntry& entry)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    if (m_entries.empty())
        return {};
    std::vector<CArchiveHolding> jobs;
    for (const int found : CallIndexLocked().FindAll(entry)) {
        const CJobArchListEntry& job = *m_entries[static_cast<std::size_t>(found)];
        jobs.push_back({ job.GetJobTime(), job.archiveType, job.GetDateTimeText(), job.target });
    }
    return jobs;
}

std::optional<std::int64_t> CArchiveLogger::ArchivedTime(const CRvFileListEntry& entry)
{
    const CJobArchListEntry* job = FindJobOfCall(entry);
    if (!job)
        return std::nullopt;
    return job->GetJobTime();
}

std::vector<std::optional<std::int64_t>> CArchiveLogger::ArchivedTimes(
    const std::vector<std::unique_ptr<CRvFileListEntry>>& entries)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    std::vector<std::optional<std::int64_t>> times;
    times.reserve(entries.size());
    for (const auto& entry : entries) {
        const CJobArchListEntry* job = FindJobOfCallLocked(*entry);
        times.push_back(job ? std::optional(job->GetJobTime()) : std::nullopt);
    }
    return times;
}

std::vector<std::string> CArchiveLogger::BuildReport(const CJobArchListEntry& job)
{
    std::vector<std::string> report{
        "Archiver Report",
        "Issued: " + job.GetDateTimeText(),
        "-------------------------",
        std::string("Archive Job: ") + ArchiveMethodShortName(job.archiveType),
        "Archive File: " + job.target,
        "Created By: " + job.GetUserName(),
        "Created Date: " + job.GetDateTimeText(),
        "Files count: " + std::to_string(job.callCount),
        std::string("Structure Calls by: ") + StructureName(job.structureType),
    };
    // What became of the originals: the job's choice, and what was done as the log recorded it.
    if (const std::string originals = OriginalsOfJob(job); !originals.empty())
        report.push_back("Original Calls Modification: " + originals);
    report.push_back(job.GetComment());
    return report;
}

} // namespace qor

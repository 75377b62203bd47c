#include "archive/ArchiveManager.h"

#include "archive/ArchiveLogger.h"
#include "archive/ArchiveStructure.h"
#include "archive/ArchiveTypes.h"
#include "archive/CopyRecheck.h"
#include "archive/PartialFile.h"
#include "archive/VerifiedCopy.h"
#include "foundation/CallTime.h"
#include "foundation/FolderSync.h"
#include "foundation/Logger.h"
#include "foundation/RegularFile.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "foundation/TrustedFolder.h"
#include "foundation/WriteTrust.h"
#include "lists/RecordingWalk.h"
#include "lists/SearchFilters.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace qor {
namespace {

std::int64_t Now()
{
    return static_cast<std::int64_t>(std::time(nullptr));
}

} // namespace

CArchiveManager::CArchiveManager(std::shared_ptr<CArchiveLogger> log, IArchiveMessages* messages)
    : CRvThread("Archive Manager")
    , m_log(log ? std::move(log) : Singleton<CArchiveLogger>::Instance())
    , m_logs(m_log,
          m_log->Scope() == CJobScope::Own ? std::shared_ptr<CArchiveLogger>(Singleton<COfficeArchiveLog>::Instance())
                                           : m_log)
    , m_messages(messages)
{
}

CArchiveManager::~CArchiveManager()
{
    Cancel();
    Wait();
}

void CArchiveManager::AddJob(const CJobArchListEntry& job, IProgressBarSink* sink)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    m_jobs.push_back(std::make_unique<CJobArchListEntry>(job));
    m_sink = sink;
}

bool CArchiveManager::Start(bool deleteJobsAfterRun)
{
    if (IsRunning())
        return false;
    m_deleteJobsAfterRun = deleteJobsAfterRun;
    m_failed = false;
    m_cancelled = false;
    m_archivedCount = 0;
    m_acceptedCount = 0;
    m_progress = 0.0;
    m_writeFailed = false;
    {
        std::lock_guard guard(m_listsMutex);
        m_unverified.clear();
        m_refused.clear();
        m_leftOut.clear();
        m_whyNot.clear();
    }
    m_sweptFolders.clear();
    {
        // A run's results are its own: a manager that ran before (the desktop's scheduler keeps
        // one) must not log the calls of an earlier run again.
        QOR_SEMAPHORE_GUARD(m_lock);
        m_archivedCalls.clear();
    }
    // The settings' passphrase is read here, on the caller's thread, for the whole run.
    m_passphrase = Singleton<CSettings>::Instance()->GetPassphrase();
    return CRvThread::Start(kPriorityNormal);
}

void CArchiveManager::Cancel()
{
    if (!IsRunning())
        return;
    SignalStop();
    m_holder.Cancel();
    m_failed = true;
    m_cancelled = true;
    Wait();
}

CArchiveManager::Results CArchiveManager::GetResults() const
{
    std::lock_guard guard(m_listsMutex);
    return { m_failed.load(), m_cancelled.load(), m_writeFailed.load(), m_archivedCount.load(), m_acceptedCount.load(),
        m_progress.load(), m_unverified, m_refused, m_leftOut, m_whyNot };
}

std::vector<CArchiveFileListEntry> CArchiveManager::GetArchivedCalls(bool clear)
{
    std::vector<CArchiveFileListEntry> calls = m_archivedCalls;
    if (clear)
        ClearArchivedCalls();
    return calls;
}

void CArchiveManager::ClearArchivedCalls()
{
    Cancel();
    QOR_SEMAPHORE_GUARD(m_lock);
    m_archivedCalls.clear();
}

void CArchiveManager::ClearJobs()
{
    Cancel();
    QOR_SEMAPHORE_GUARD(m_lock);
    m_jobs.clear();
    m_currentJob = nullptr;
}

CJobArchListEntry* CArchiveManager::GetFirstJob()
{
    if (m_jobs.empty())
        return nullptr;
    m_currentJob = m_jobs.front().get();
    return m_currentJob;
}

void CArchiveManager::SetProgress(double percent)
{
    m_progress = percent;
    if (m_sink)
        m_sink->OnProgress(percent);
}

int CArchiveManager::Run()
{
    tzset();
    QOR_SEMAPHORE_GUARD(m_lock);
    m_acceptedCount = 0;
    if (m_jobs.empty())
        return 0;
    if (m_sink)
        m_sink->OnStart();
    std::int32_t total = 0;
    for (const auto& job : m_jobs) {
        if (!IsRunning())
            break;
        m_currentJob = job.get();
        m_verified.clear();
        if (OpenArchive(*job) == 0) {
            job->startTime = Now();
            CollectJob(*job);
            job->endTime = Now();
            total += job->callCount;
        }
        m_holder.Release();
    }
    m_archivedCount = total;
    if (m_sink)
        m_sink->OnFinish(m_currentJob);
    if (m_deleteJobsAfterRun) {
        m_jobs.clear();
        m_currentJob = nullptr;
    }
    return 0;
}

int CArchiveManager::OpenArchive(CJobArchListEntry& job)
{
    m_failed = m_cancelled.load();
    m_archivedCount = 0;
    m_acceptedCount = 0;
    m_progress = 0.0;
    for (const CRvFileListEntry& entry : job.Calls()) {
        struct stat status { };
        if (entry.GetPath().empty() || stat(entry.GetPath().c_str(), &status) != 0) {
            m_failed = true;
            if (m_messages)
                m_messages->Show(
                    IArchiveMessages::Kind::Error, "ArchiveManager error - invalid file (..." + entry.GetPath() + ")");
            break;
        }
    }
    if (!TargetOutsideSources(job))
        return IArchiver::kFailed;
    // An archive the log cannot name is found by nobody, and every later run would make another.
    if (std::string why; !m_log->CheckSavable(why)) {
        m_failed = true;
        m_writeFailed = true;
        const std::string text = "The archive log " + m_log->Path() + " cannot be written (" + why
            + "); the job was not run, so that no archive is made that the log does not name";
        QOR_LOG("Archiver: %s\r\n", text.c_str());
        if (m_messages)
            m_messages->Show(IArchiveMessages::Kind::Error, text);
        return IArchiver::kFailed;
    }
    return m_holder.Create(
        job.target, job.archiveType, job.thresholdMB, [this](double percent) { SetProgress(percent); }, m_messages);
}

bool CArchiveManager::TargetOutsideSources(const CJobArchListEntry& job)
{
    m_excludedFolders.clear();
    const auto identityOf = [](const std::string& path) -> std::optional<CFolderIdentity> {
        struct stat status { };
        if (stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
            return std::nullopt;
        return CFolderIdentity{ status.st_dev, status.st_ino };
    };
    for (const std::string& archive : m_logs.FolderArchives())
        if (const auto folder = identityOf(archive))
            m_excludedFolders.push_back(*folder);
    for (const CRvFileListEntry& entry : job.Calls()) {
        const auto source = identityOf(entry.GetPath());
        const bool archive = source
            && std::any_of(m_excludedFolders.begin(), m_excludedFolders.end(),
                [&](const auto& folder) { return folder.device == source->device && folder.inode == source->inode; });
        if (archive && m_messages)
            m_messages->Show(IArchiveMessages::Kind::Information,
                entry.GetPath() + " is an archive that archive.log names; the copies in it are not archived again");
    }
    const auto target = job.archiveType == kArchiveDisk ? identityOf(job.target) : std::nullopt;
    if (!target)
        return true;
    m_excludedFolders.push_back(*target);
    for (const CRvFileListEntry& entry : job.Calls()) {
        const auto source = identityOf(entry.GetPath());
        if (source && source->device == target->device && source->inode == target->inode) {
            m_failed = true;
            const std::string text = "ArchiveManager error - the archive folder " + job.target
                + " is one of the folders to archive; the job was not run";
            QOR_LOG("Archiver: %s\r\n", text.c_str());
            if (m_messages)
                m_messages->Show(IArchiveMessages::Kind::Error, text);
            return false;
        }
    }
    return true;
}

void CArchiveManager::CollectJob(CJobArchListEntry& job)
{
    const std::size_t firstOfJob = m_archivedCalls.size();
    m_stamps.clear();
    m_made.clear();
    for (const CRvFileListEntry& entry : job.Calls()) {
        if (!IsRunning())
            break;
        ScanPath(job, entry);
        m_archivedCount = m_holder.Count();
        if (m_sink)
            m_sink->OnProgress(0);
    }
    job.SetJobTime(Now());
    if (IsRunning() && m_acceptedCount > 0) {
        const int written = m_holder.Write();
        if (written < 0 && written != IArchiver::kCancelled)
            m_writeFailed = true;
    }
    m_verified = m_holder.Verified();
    m_made = m_holder.Made();
    for (auto& [path, copy] : m_verified)
        if (const auto stamp = m_stamps.find(path);
            stamp != m_stamps.end() && stamp->second.identity == copy.originalIdentity)
            copy.originalStamp = stamp->second;
    {
        std::lock_guard guard(m_listsMutex);
        for (const auto& [path, why] : m_holder.WhyNotArchived())
            m_whyNot[path] = why;
    }
    // The job counts what the archive was read back to hold, not what the archiver was handed.
    job.callCount = KeepOnlyVerifiedCalls(firstOfJob);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

void CArchiveManager::ScanPath(const CJobArchListEntry& job, const CRvFileListEntry& listEntry)
{
    // Archives and the log name calls by their full paths, whatever the job was given.
    std::error_code error;
    const std::string root = std::filesystem::absolute(listEntry.GetPath(), error).lexically_normal().string();
    const std::string source = root.empty() ? listEntry.GetPath() : root;
    if (struct stat link{}; lstat(source.c_str(), &link) == 0 && S_ISLNK(link.st_mode) && !MayFollowLink(source))
        return;
    CWalkRules rules;
    rules.excluded = m_excludedFolders;
    rules.followLink = [this](const std::string& link) { return MayFollowLink(link); };
    WalkRecordings(
        source, true,
        [&](const std::string& path) {
            if (!IsRunning())
                return false;
            SweepFolderOf(path);
            if (!Selects(job, path))
                return true;
            CArchiveFileListEntry call(listEntry);
            call.SetPath(path);
            call.LoadDetails(m_passphrase);
            const std::int64_t start = call.GetDisplayTime();
            const std::string folder = ArchiveFolderFor(job.structureType, path, start);
            StampCall(path);
            if (m_holder.Add(path, folder, m_pathPrefix, start) == 0) {
                call.MarkArchived(m_holder.GetTarget(), m_holder.GetArchiveType(), job.mediaProcessing, Now());
                m_archivedCalls.push_back(std::move(call));
                ++m_acceptedCount;
            } else {
                std::lock_guard guard(m_listsMutex);
                (m_holder.LeftOut(path) ? m_leftOut : m_refused).push_back(path);
            }
            return true;
        },
        rules);
}

void CArchiveManager::SweepFolderOf(const std::string& path)
{
    // Partial files a killed job left beside its originals go once a run comes by: a folder of a
    // thousand calls is read once, not once a call.
    if (const std::string folder = FolderOf(path); m_sweptFolders.insert(folder).second)
        if (CFolderHandle held; OpenTrustedFolder(folder, held))
            RemoveStalePartials(held);
}

void CArchiveManager::StampCall(const std::string& path)
{
    const int descriptor = OpenRegularFile(path);
    if (descriptor < 0)
        return;
    m_stamps[path] = StampOf(descriptor);
    close(descriptor);
}

bool CArchiveManager::MayFollowLink(const std::string& link)
{
    struct stat status {
    }, folder{};
    if (lstat(link.c_str(), &status) != 0 || OwnedByUsOrRoot(status.st_uid)
        || stat(FolderOf(link).c_str(), &folder) != 0 || (folder.st_mode & (S_IWGRP | S_IWOTH)) == 0)
        return true;
    // Another user's link, where that user could have put it: it may lead anywhere, and what is
    // archived may then be deleted.
    const std::string text = link + " is another user's link in a folder others can write; it is not followed";
    QOR_LOG("Archiver: %s\r\n", text.c_str());
    if (m_messages)
        m_messages->Show(IArchiveMessages::Kind::Information, text);
    std::lock_guard guard(m_listsMutex);
    m_refused.push_back(link);
    return false;
}

bool CArchiveManager::IsLogged(const std::string& path) const
{
    CRvFileListEntry call;
    call.SetPath(path);
    call.LoadDetails(m_passphrase);
    return m_logs.Holds(call);
}

bool CArchiveManager::Selects(const CJobArchListEntry& job, const std::string& path) const
{
    int days = 0;
    switch (job.selectionType) {
    case kSelectUnarchived:
        return !IsLogged(path);
    case kSelectLast30Days:
        days = 30;
        break;
    case kSelectLast90Days:
        days = 90;
        break;
    case kSelectLast180Days:
        days = 180;
        break;
    default:
        return true;
    }
    // Days count from local midnight, as the user's calendar does; a call is dated by its header.
    const auto started = CallStartTime(path, m_passphrase);
    return started && *started >= LocalMidnight(Now(), days);
}

std::int32_t CArchiveManager::KeepOnlyVerifiedCalls(std::size_t firstOfJob)
{
    // A call the archiver dropped (threshold, failed write, cancel) or whose copy did not read back
    // intact is not archived, whatever Add said.
    const auto ofJob = m_archivedCalls.begin() + static_cast<std::ptrdiff_t>(firstOfJob);
    const auto kept = std::stable_partition(ofJob, m_archivedCalls.end(),
        [&](const CArchiveFileListEntry& call) { return m_verified.contains(call.GetPath()); });
    {
        std::lock_guard guard(m_listsMutex);
        for (auto call = kept; call != m_archivedCalls.end(); ++call)
            (m_holder.LeftOut(call->GetPath()) ? m_leftOut : m_unverified).push_back(call->GetPath());
    }
    m_archivedCalls.erase(kept, m_archivedCalls.end());
    return static_cast<std::int32_t>(m_archivedCalls.size() - firstOfJob);
}

CArchiveManager::CModifyOutcome CArchiveManager::ModifyOriginals(CJobArchListEntry* job)
{
    CModifyOutcome outcome;
    if (!job || !m_currentJob)
        return outcome;
    CJobArchListEntry& current = *m_currentJob;
    const std::int32_t processing = current.mediaProcessing;
    current.originalsModified = processing == kDeleteOriginals || processing == kRemoveAudio;
    if (!current.originalsModified)
        return outcome;
    // Nothing of a failed or cancelled run is touched.
    if (m_failed || m_cancelled) {
        QOR_LOG("Archiver: Originals kept: the archive run did not complete\r\n");
        current.originalsModified = false;
        return outcome;
    }
    VerifiedCopies toCheck;
    for (const CRvFileListEntry& call : current.Calls())
        if (const auto verified = m_verified.find(call.GetPath()); verified != m_verified.end())
            toCheck.insert(*verified);
    // Held until every original is done: no job of ours changes these archives meanwhile.
    CCopyRecheck recheck;
    const std::map<std::string, COriginalChange> rechecked = recheck.Check(toCheck);
    for (const CRvFileListEntry& call : current.Calls()) {
        const std::string& path = call.GetPath();
        if (path.empty()) {
            QOR_LOG("Archiver: File cannot be deleted - empty\r\n");
            continue;
        }
        const auto verified = toCheck.find(path);
        if (verified == toCheck.end()) {
            QOR_LOG("Archiver: File %s kept: its archive copy was not read back intact\r\n", path.c_str());
            continue;
        }
        const bool deleting = processing == kDeleteOriginals;
        const auto verdict = rechecked.find(path);
        COriginalChange change = verdict == rechecked.end() ? COriginalChange::CopyNotIntact : verdict->second;
        if (change == COriginalChange::Done)
            change = deleting ? DeleteOriginal(path, verified->second, m_quietTime)
                              : StripOriginal(path, verified->second, m_passphrase, m_quietTime);
        if (change == COriginalChange::Vanished) {
            QOR_LOG("Archiver: File %s vanished; its copy stays in %s\r\n", path.c_str(),
                verified->second.container.c_str());
            outcome.vanished.push_back(path);
            continue;
        }
        if (change != COriginalChange::Done) {
            QOR_LOG("Archiver: File %s kept: %s\r\n", path.c_str(), OriginalChangeText(change));
            outcome.kept.emplace_back(path, change);
            continue;
        }
        QOR_LOG(deleting ? "Archiver: Deleted file %s\r\n" : "Archiver: Removed audio of %s\r\n", path.c_str());
        ++outcome.modified;
        outcome.changed.push_back(path);
    }
    return outcome;
}

std::vector<std::string> CArchiveManager::RemoveUnloggedArchive()
{
    std::vector<std::string> removed;
    // A call whose original went meanwhile has its only copy here.
    for (const auto& [path, copy] : m_verified)
        if (CFileIdentity now; !IdentityOfPath(path, now) || !(now == copy.originalIdentity)) {
            QOR_LOG("Archiver: The archive of %s is kept although the log does not name it: %s is gone\r\n",
                copy.container.c_str(), path.c_str());
            return removed;
        }
    for (const CMadeFile& made : m_made) {
        CFolderHandle folder;
        const std::string name(FileNameOf(made.path));
        if (CFileIdentity now; OpenTrustedFolder(FolderOf(made.path), folder)
            && IdentityAt(folder.Descriptor(), name, now) && now == made.identity
            && unlinkat(folder.Descriptor(), name.c_str(), 0) == 0) {
            QOR_LOG("Archiver: Removed %s, which the archive log could not name\r\n", made.path.c_str());
            removed.push_back(made.path);
        }
    }
    m_made.clear();
    return removed;
}

} // namespace qor

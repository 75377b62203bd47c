#include "archive/JobArchScheduler.h"

#include "archive/ArchiveLogger.h"
#include "archive/ArchiveManager.h"
#include "archive/NumberedName.h"
#include "archive/ScheduleValidation.h"
#include "foundation/AtomicFile.h"
#include "foundation/DataFolders.h"
#include "foundation/FileLock.h"
#include "foundation/Logger.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "foundation/WriteTrust.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

// The run's archive under the job's name for the time, or, when another user's file (or anything
// but a file of ours) already has that name, the first numbered name that is free: names made of
// the job's name and the minute are known in advance, and a colleague who made them all first
// would otherwise stop every run.
std::string FreeTarget(const std::string& target)
{
    const auto taken = [](const std::string& path) {
        struct stat there { };
        return lstat(path.c_str(), &there) == 0 && (!S_ISREG(there.st_mode) || there.st_uid != geteuid());
    };
    std::string free = target;
    for (int number = 2; taken(free) && number < 1000; ++number)
        free = NumberedName(target, number);
    return free;
}

std::tm LocalTime(std::int64_t seconds)
{
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&time, &local);
    return local;
}

// The same local time of day, days later.
std::int64_t AddLocalDays(std::int64_t time, int days)
{
    std::tm local = LocalTime(time);
    local.tm_mday += days;
    local.tm_isdst = -1; // the C library decides daylight saving
    return static_cast<std::int64_t>(std::mktime(&local));
}

std::int64_t LocalMidnightAfterDays(std::int64_t time, int days)
{
    std::tm local = LocalTime(time);
    local.tm_mday += days;
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    local.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&local));
}

// Like a persistent timer, a missed job runs once: the next run is the first scheduled time after
// now, however many were missed, and keeps its hour across summer time. A time still ahead stays.
std::int64_t FirstTimeAfter(std::int64_t scheduled, int daysInterval, std::int64_t now)
{
    if (scheduled == 0)
        scheduled = LocalMidnightAfterDays(now, 0);
    const int interval = std::max(1, daysInterval);
    for (int step = 0; scheduled <= now && step < 100'000; ++step)
        scheduled = AddLocalDays(scheduled, interval);
    return scheduled;
}

// Saving the job takes a moment; a holder that keeps the lock longer has hung.
constexpr std::chrono::seconds kLockPatience{ 10 };

std::string DefaultArchivePath()
{
    // Only proposed: a user who never archives keeps a home without a Documents folder of ours.
    std::string documents;
    return GetSpecialFolderPath(kFolderUserDocuments, documents, false) ? documents + "/" : std::string("/tmp/");
}

} // namespace

CJobArchScheduler::CJobArchScheduler()
    : CJobArchScheduler(Singleton<CArchiveManager>::Instance(), Singleton<CArchiveLogger>::Instance())
{
}

CJobArchScheduler::CJobArchScheduler(
    std::shared_ptr<CArchiveManager> manager, std::shared_ptr<CArchiveLogger> log, CJobScope scope)
    : m_scope(scope)
    , m_manager(std::move(manager))
    , m_log(std::move(log))
{
    m_settings.archivePath = DefaultArchivePath();
    m_asRead = m_settings;
    m_log->Load(true);
}

std::string CJobArchScheduler::FilePath()
{
    return JobFilePath(CJobScope::Own, kFileName);
}

std::string CJobArchScheduler::Path() const
{
    return JobFilePath(m_scope, kFileName);
}

bool CJobArchScheduler::LoadSchedule(std::string* why)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    std::string content, distrust;
    m_untrusted = ReadConfiguration(Path(), content, distrust, 64u << 20, JobFileOwner(m_scope))
        == CConfigurationRead::Untrusted;
    if (!ReadScheduleFile(Path(), m_settings, why, JobFileOwner(m_scope)))
        return false;
    m_asRead = m_settings;
    return true;
}

bool CJobArchScheduler::ReloadSchedule(std::string* why)
{
    {
        QOR_SEMAPHORE_GUARD(m_lock);
        m_settings.spaceFolders.clear();
    }
    if (LoadSchedule(why))
        return true;
    // Without a readable file, what was last read or saved holds (the defaults before either):
    // changes never saved are dropped, as a reload promises.
    QOR_SEMAPHORE_GUARD(m_lock);
    m_settings = m_asRead;
    return false;
}

bool CJobArchScheduler::SaveSchedule()
{
    // Under the file's lock, what another program saved since we read it is merged in: the
    // desktop program, a "schedule set" and the timer's run may all save the job.
    // Only the office account changes the office job.
    if (!WritesJobFiles(m_scope))
        return false;
    CLockFile fileLock(Path());
    if (!fileLock.Lock(kLockPatience)) {
        QOR_LOG("Archiver: schedule.xml is locked by another program; not saved\r\n");
        return false;
    }
    CScheduleSettings onDisk;
    {
        QOR_SEMAPHORE_GUARD(m_lock);
        onDisk = m_asRead; // what a missing field of the file leaves
    }
    std::error_code error;
    const bool exists = std::filesystem::exists(Path(), error);
    if (exists && !ReadScheduleFile(Path(), onDisk))
        return false; // neither ours nor readable: never written over
    QOR_SEMAPHORE_GUARD(m_lock);
    if (m_untrusted)
        return false;
    const CScheduleSettings merged = exists ? MergeScheduleSettings(m_asRead, m_settings, onDisk) : m_settings;
    // The user's own job is hers alone; the office's is read by everyone.
    if (!WriteOwnFile(Path(), ScheduleFileText(merged), m_scope == CJobScope::Office ? 0644 : 0600))
        return false;
    m_settings = merged;
    m_asRead = merged;
    return true;
}

CScheduleSettings CJobArchScheduler::GetSettings()
{
    QOR_SEMAPHORE_GUARD(m_lock);
    return m_settings;
}

void CJobArchScheduler::SetSettings(const CScheduleSettings& settings)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    m_settings = settings;
}

bool CJobArchScheduler::IsDue(std::int64_t now)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    std::int64_t& scheduled = m_settings.scheduledTime;
    if (scheduled != 0 && now < scheduled)
        return false;
    scheduled = FirstTimeAfter(scheduled, m_settings.daysInterval, now);
    return true;
}

std::int64_t CJobArchScheduler::NextRunTime(std::int64_t now)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    const std::int64_t scheduled = m_settings.scheduledTime;
    return scheduled == 0 || scheduled <= now ? now : scheduled;
}

std::string CJobArchScheduler::TargetFor(const CScheduleSettings& settings, std::int64_t now)
{
    std::string target = settings.archivePath;
    if (!target.ends_with('/'))
        target += '/';
    if (settings.archiveType != kArchiveZip && settings.archiveType != kArchiveIso)
        return target + settings.archiveName + "/";
    // Names that sort by time as text and need no quoting in a shell: "calls-2026-12-07_1608.zip".
    std::string name = settings.archiveName;
    for (char& c : name)
        if (c == ' ' || c == '/' || c == '\\' || c == ':')
            c = '-';
    char stamp[32];
    const std::tm local = LocalTime(now);
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H%M", &local);
    return target + name + "-" + stamp + (settings.archiveType == kArchiveZip ? ".zip" : ".iso");
}

bool CJobArchScheduler::RunNow(std::int64_t now, std::string* why)
{
    const auto refuse = [why](std::string reason) {
        QOR_LOG("Archiver: The scheduled job was not run: %s\r\n", reason.c_str());
        if (why)
            *why = std::move(reason);
        return false;
    };
    if (m_manager->IsRunning())
        return refuse("an archive run is still going on");
    if (const std::string problem = ScheduleSettingsProblem(GetSettings()); !problem.empty())
        return refuse(problem);
    CJobArchListEntry job;
    std::int64_t timeBefore = 0;
    {
        QOR_SEMAPHORE_GUARD(m_lock);
        CScheduleSettings& s = m_settings;
        for (const std::string& folder : s.spaceFolders) {
            CRvFileListEntry entry;
            entry.SetPath(folder);
            job.AddCall(entry);
        }
        job.target = s.archiveType == kArchiveZip || s.archiveType == kArchiveIso ? FreeTarget(TargetFor(s, now))
                                                                                  : TargetFor(s, now);
        job.callCount = static_cast<std::int32_t>(s.spaceFolders.size());
        job.mediaProcessing = s.mediaProcessing;
        job.structureType = s.structureType;
        job.archiveType = s.archiveType;
        job.thresholdMB = s.thresholdSize;
        job.abortIfExceeds = s.cancelJob;
        job.SetJobTime(now);
        job.SetUserName(s.userName);
        if (s.comment.empty()) {
            // Made once, then kept for every later run.
            char comment[128];
            const std::tm local = LocalTime(now);
            std::strftime(comment, sizeof comment, "arch_records_till_%H_%B_%Y.%S", &local);
            s.comment = comment;
        }
        job.SetComment(s.comment);
        job.runState = CJobArchListEntry::kNew;
        job.selectionType = s.selectionType;
        // The file keeps the time it had, and its last run, until this run has ended: one killed
        // on the way leaves the job due and never shows as having run.
        // A run by hand while the job is due is that due run: the next tick must not run it again.
        m_timeAfterRun = FirstTimeAfter(s.scheduledTime, s.daysInterval, now);
        m_runStarted = now;
        timeBefore = m_asRead.scheduledTime;
        s.scheduledTime = timeBefore;
        s.lastJobTime = m_asRead.lastJobTime;
    }
    if (!SaveSchedule()) {
        QOR_SEMAPHORE_GUARD(m_lock);
        m_settings.scheduledTime = m_timeAfterRun;
        return refuse(Path() + " cannot be saved, so its next time could not be kept");
    }
    {
        // What another program saved meanwhile stays, unless a run here moves the time on.
        QOR_SEMAPHORE_GUARD(m_lock);
        if (m_settings.scheduledTime != timeBefore)
            m_timeAfterRun = m_settings.scheduledTime;
    }
    m_manager->AddJob(job, this);
    if (!m_manager->Start(true))
        return refuse("the archive run could not be started");
    return true;
}

void CJobArchScheduler::Notify(Notice notice)
{
    if (m_notifier)
        m_notifier(notice);
}

void CJobArchScheduler::OnStart()
{
    Notify(Notice::Started);
}

void CJobArchScheduler::OnProgress(double)
{
    Notify(Notice::Progress);
}

void CJobArchScheduler::OnFinish(CJobArchListEntry* job)
{
    CArchiveJobOutcome outcome;
    if (job)
        outcome = FinishArchiveJob(*m_manager, *m_log, *job);
    // The job's time is used up by a run that archived and logged calls (what failed beside them
    // is reported; running again would archive them again), that found none to archive, or that a
    // person cancelled. One that archived nothing because something failed (the archive could not
    // be made, the log not written, a folder missing) stays due.
    const CArchiveManager::Results results = m_manager->GetResults();
    const bool somethingFailed
        = results.failed || results.writeFailed || !results.refused.empty() || !outcome.unverified.empty();
    const bool ended = results.cancelled || outcome.logged || (outcome.readBack == 0 && !somethingFailed);
    {
        QOR_SEMAPHORE_GUARD(m_lock);
        m_settings.lastJobTime = m_runStarted;
        if (ended)
            m_settings.scheduledTime = m_timeAfterRun;
    }
    SaveSchedule();
    {
        std::lock_guard guard(m_outcomeMutex);
        m_lastOutcome = outcome;
    }
    Notify(Notice::Finished);
}

CArchiveJobOutcome CJobArchScheduler::LastOutcome() const
{
    std::lock_guard guard(m_outcomeMutex);
    return m_lastOutcome;
}

} // namespace qor

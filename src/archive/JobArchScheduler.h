// The one scheduled archive job: its settings ("schedule.xml"), when it is due, and its run. A run
// hands a job to the archive manager; when the manager has finished, the job goes into the archive
// log, the originals are modified as the job says, and the log is saved.
#pragma once

#include "archive/ArchiveJobFinisher.h"
#include "archive/JobScope.h"
#include "archive/ProgressBarSink.h"
#include "archive/ScheduleFile.h"
#include "foundation/LoggedSemaphore.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace qor {

class CArchiveLogger;
class CArchiveManager;

class CJobArchScheduler : public IProgressBarSink {
public:
    static constexpr const char* kFileName = "schedule.xml";

    enum class Notice { Started, Progress, Finished };

    // Loads the archive log. Without arguments, the user's own job with the process-wide manager
    // and log; the office's job is only ever run by the office account (others only read it).
    CJobArchScheduler();
    CJobArchScheduler(std::shared_ptr<CArchiveManager> manager, std::shared_ptr<CArchiveLogger> log,
        CJobScope scope = CJobScope::Own);

    // False when the file cannot be read, or is not trusted (why says which); a file not trusted is
    // never saved over either.
    bool LoadSchedule(std::string* why = nullptr);
    // Reads the file afresh: its folders replace those held (LoadSchedule only adds). What is held
    // stays when the file cannot be read.
    bool ReloadSchedule(std::string* why = nullptr);
    // Saves under the file's lock, merged with what another program saved since the load (see
    // MergeScheduleSettings); false when it cannot be written, is locked, or cannot be read.
    bool SaveSchedule();
    CScheduleSettings GetSettings();
    void SetSettings(const CScheduleSettings& settings);

    // Due when no time is set or now is at or past it; a due job's time moves on by whole intervals
    // (from today's midnight when none was set) to the first one after now.
    bool IsDue(std::int64_t now);
    // When the job next starts: now when it is due.
    std::int64_t NextRunTime(std::int64_t now);
    // Checks the job as it is set (a hand-edited file may hold anything), saves its start, hands
    // it to the archive manager and starts it. False, with why, when the job could not run as set,
    // its file cannot be saved (a run whose next time could not be kept would run again at every
    // tick), the manager is busy with a run, or cannot start. The next time that IsDue moved on to
    // is saved only once the run has ended (done, or cancelled by a person): a run that failed or
    // was killed leaves the job due, so the next tick runs it again.
    bool RunNow(std::int64_t now, std::string* why = nullptr);
    // The archive's path for a run at now: a folder for the disk method, a ".zip" or ".iso" file
    // named after the date and time otherwise.
    static std::string TargetFor(const CScheduleSettings& settings, std::int64_t now);

    // Who hears about a run (the desktop program's main window); called on the manager's worker.
    void SetNotifier(std::function<void(Notice)> notifier) { m_notifier = std::move(notifier); }

    void OnProgress(double percent) override;
    void OnStart() override;
    void OnFinish(CJobArchListEntry* job) override;

    // The user's own job's file.
    static std::string FilePath();
    // This job's file.
    std::string Path() const;
    CJobScope Scope() const { return m_scope; }
    // The manager that runs the job, and the log it is written to.
    CArchiveManager& Manager() { return *m_manager; }
    CArchiveLogger& Log() { return *m_log; }
    // How the last run ended; read once it is over.
    CArchiveJobOutcome LastOutcome() const;

private:
    void Notify(Notice notice);

    CJobScope m_scope;
    std::shared_ptr<CArchiveManager> m_manager;
    std::shared_ptr<CArchiveLogger> m_log;
    CRvLoggedSemaphore m_lock{ "ARCH_SCHEDULER" };
    CScheduleSettings m_settings;
    CScheduleSettings m_asRead; // the file as last loaded or saved, to merge from
    std::int64_t m_timeAfterRun = 0; // the scheduled time a run's end makes the job's
    std::int64_t m_runStarted = 0; // when the run going on started: its last run once it ends
    bool m_untrusted = false;
    std::function<void(Notice)> m_notifier;
    mutable std::mutex m_outcomeMutex;
    CArchiveJobOutcome m_lastOutcome;
};

} // namespace qor

// The desktop program's share in archiving, for the main window to wire: the job wizard over a
// list's calls, the "Stowmere Settings and Logs" sheet, the scheduled job's timer and its runs,
// and keeping the lists' "Archived" column in step with archive.log, whoever wrote it.
//
// Which program runs the scheduled job: whichever takes the scheduled-run lock first (this
// program's timer, the systemd timer's "schedule run --if-due", a hand-typed "schedule run").
// Each reads the job under that lock, and a run saves its next time before the lock goes, so the
// others then find it not due. The timer here checks the job every few minutes, so a job changed
// by the command line, a machine that slept, or a clock that was set are all noticed.
#pragma once

#include "archive/ArchiveJobFinisher.h"
#include "foundation/FileStamp.h"
#include "shell/archive/ArchiveSheet.h"
#include "shell/archive/ArchiveWizardRun.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QTimer;
class QWidget;

namespace qor {

class CArchiveLogger;
class CArchiveManager;
class CJobArchScheduler;

class CArchiveCommands : public QObject {
    Q_OBJECT

public:
    using Clock = std::function<std::int64_t()>;
    // The longest the timer sleeps before it looks at the job again.
    static constexpr int kLongestWaitSeconds = 300;
    // How long a job that is due, or could not run yet, waits.
    static constexpr int kRetrySeconds = 60;

    explicit CArchiveCommands(QWidget* window, Clock clock = {});
    ~CArchiveCommands() override;

    void RunWizard(CWizardCalls calls, std::int32_t method);
    void OpenSheet(CArchiveSheet::Page page);
    // "Run Scheduled Now...": runs the job whether it is due or not, asking when it is switched off.
    void RunScheduledNow();
    // The timer's tick: runs the job when it is on and due.
    void CheckSchedule();
    // Reads archive.log again when another program changed it; true when it did.
    bool RefreshLogIfChanged();

    // The seconds until the timer's next tick, or -1 when it is not armed.
    int SecondsToNextCheck() const;
    CJobArchScheduler& Scheduler() { return *m_scheduler; }
    // What the timer and the runs take for now (tests move it on).
    void SetClock(Clock clock);
    std::int64_t Now() const;

Q_SIGNALS:
    // code 2: the calls' files were deleted; 3: their audio was removed.
    void CallsChanged(int code, const QStringList& paths);
    // archive.log holds other jobs than before.
    void ArchiveLogChanged();

private:
    enum class Trigger { Timer, User };
    void RunScheduled(Trigger trigger);
    void ArmTimer(std::int64_t seconds = -1);
    void ReportScheduledRun(bool cancelled);
    void NoteLogFile();
    void ForgetLogWithoutFile();
    // Whether the job's present time is one a run by the timer failed at already.
    bool FailedBefore();
    void Announce(const CArchiveJobOutcome& outcome, std::int32_t mediaProcessing);

    QWidget* m_window;
    Clock m_clock;
    std::shared_ptr<CArchiveLogger> m_log;
    std::shared_ptr<CArchiveLogger> m_officeLog;
    std::shared_ptr<CArchiveManager> m_manager;
    std::unique_ptr<CJobArchScheduler> m_scheduler;
    QTimer* m_timer;
    QTimer* m_logWatch;
    bool m_busy = false; // a wizard, the sheet or a scheduled run is open
    CFileStamp m_logStamp;
    CFileStamp m_officeLogStamp;
    std::optional<std::int64_t> m_failedDueTime;
    bool m_lockProblemSaid = false; // a lock held in a way that stops every run was said
};

} // namespace qor

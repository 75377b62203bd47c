#include "shell/archive/ArchiveCommands.h"

#include "archive/ArchiveLogs.h"
#include "archive/ArchiveManager.h"
#include "archive/ArchiveTypes.h"
#include "archive/JobArchScheduler.h"
#include "archive/ScheduledRunLock.h"
#include "foundation/Singleton.h"
#include "shell/archive/ArchiveProblems.h"
#include "shell/archive/ArchiveWizard.h"
#include "shell/archive/ScheduledRunDialog.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <ctime>
#include <filesystem>
#include <mutex>

namespace qor {
namespace {

constexpr int kLogWatchMilliseconds = 2000;
constexpr const char* kRunningElsewhere = "The scheduled job is running in another program (the desktop program or a "
                                          "timer). Try again when it has finished.";

bool ScheduleFileExists()
{
    std::error_code error;
    return std::filesystem::exists(CJobArchScheduler::FilePath(), error);
}

// What the engine says during a scheduled run, kept for the message at its end.
class CCollectedMessages : public IArchiveMessages {
public:
    void Show(Kind, const std::string& text) override
    {
        std::lock_guard guard(m_mutex);
        m_texts.push_back(text);
    }
    std::vector<std::string> Texts() const
    {
        std::lock_guard guard(m_mutex);
        return m_texts;
    }

private:
    mutable std::mutex m_mutex; // the engine speaks from its worker
    std::vector<std::string> m_texts;
};

} // namespace

CArchiveCommands::CArchiveCommands(QWidget* window, Clock clock)
    : QObject(window)
    , m_window(window)
    , m_clock(std::move(clock))
    , m_log(Singleton<CArchiveLogger>::Instance())
    , m_officeLog(Singleton<COfficeArchiveLog>::Instance())
    , m_manager(Singleton<CArchiveManager>::Instance())
    , m_scheduler(std::make_unique<CJobArchScheduler>(m_manager, m_log))
    , m_timer(new QTimer(this))
    , m_logWatch(new QTimer(this))
{
    if (ScheduleFileExists())
        m_scheduler->LoadSchedule();
    ForgetLogWithoutFile();
    NoteLogFile();
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &CArchiveCommands::CheckSchedule);
    connect(m_logWatch, &QTimer::timeout, this, &CArchiveCommands::RefreshLogIfChanged);
    m_logWatch->start(kLogWatchMilliseconds);
    ArmTimer();
}

CArchiveCommands::~CArchiveCommands()
{
    // A scheduled run never outlives the window that shows it.
    m_manager->Cancel();
    m_manager->Wait();
}

std::int64_t CArchiveCommands::Now() const
{
    return m_clock ? m_clock() : static_cast<std::int64_t>(std::time(nullptr));
}

void CArchiveCommands::SetClock(Clock clock)
{
    m_clock = std::move(clock);
    ArmTimer();
}

void CArchiveCommands::RunWizard(CWizardCalls calls, std::int32_t method)
{
    m_busy = true;
    CArchiveWizard wizard(std::move(calls), method, m_log, m_window, m_clock);
    connect(&wizard, &CArchiveWizard::OriginalsChanged, this, &CArchiveCommands::CallsChanged);
    connect(&wizard, &CArchiveWizard::Logged, this, [this] {
        NoteLogFile();
        Q_EMIT ArchiveLogChanged();
    });
    wizard.exec();
    m_busy = false;
}

void CArchiveCommands::OpenSheet(CArchiveSheet::Page page)
{
    RefreshLogIfChanged(); // the log page shows what other programs logged a moment ago
    m_busy = true;
    if (ScheduleFileExists())
        m_scheduler->ReloadSchedule();
    CArchiveSheet sheet(
        *m_scheduler, m_log, page, [this] { return Now(); }, m_window);
    connect(&sheet, &CArchiveSheet::ScheduleSaved, this, [this] { ArmTimer(); });
    connect(&sheet, &CArchiveSheet::LogSaved, this, [this] {
        NoteLogFile();
        Q_EMIT ArchiveLogChanged();
    });
    sheet.exec();
    m_busy = false;
    ArmTimer();
}

void CArchiveCommands::RunScheduledNow()
{
    RunScheduled(Trigger::User);
}

void CArchiveCommands::CheckSchedule()
{
    m_timer->stop();
    // Not over a window the user is working in: the job waits a minute.
    if (m_busy || QApplication::activeModalWidget())
        return ArmTimer(kRetrySeconds);
    if (ScheduleFileExists())
        m_scheduler->ReloadSchedule();
    const std::int64_t now = Now();
    if (m_scheduler->GetSettings().enabled && m_scheduler->NextRunTime(now) <= now && !FailedBefore())
        return RunScheduled(Trigger::Timer);
    ArmTimer();
}

void CArchiveCommands::ArmTimer(std::int64_t seconds)
{
    if (seconds < 0) {
        seconds = kLongestWaitSeconds;
        if (m_scheduler->GetSettings().enabled) {
            const std::int64_t now = Now();
            const std::int64_t next = m_scheduler->NextRunTime(now);
            seconds = next > now ? next - now : FailedBefore() ? kLongestWaitSeconds : kRetrySeconds;
        }
    }
    seconds = std::clamp<std::int64_t>(seconds, 1, kLongestWaitSeconds);
    m_timer->start(static_cast<int>(seconds * 1000));
}

bool CArchiveCommands::FailedBefore()
{
    return m_failedDueTime && *m_failedDueTime == m_scheduler->GetSettings().scheduledTime;
}

int CArchiveCommands::SecondsToNextCheck() const
{
    return m_timer->isActive() ? m_timer->remainingTime() / 1000 : -1;
}

void CArchiveCommands::RunScheduled(Trigger trigger)
{
    m_timer->stop();
    const bool asked = trigger == Trigger::User;
    const QString title = QApplication::applicationDisplayName();
    CScheduledRunLock runLock;
    if (const CScheduledRunLock::Take take = runLock.TryTake(Now()); take != CScheduledRunLock::Take::Taken) {
        const bool busy = take == CScheduledRunLock::Take::Busy;
        if (asked && busy) {
            QMessageBox::information(m_window, title, QString::fromLatin1(kRunningElsewhere));
        } else if (!busy && (asked || !m_lockProblemSaid)) {
            // A lock that others hold, or that is held for ever, is said once; a run elsewhere is not.
            m_lockProblemSaid = true;
            QMessageBox::warning(m_window, title,
                QStringLiteral("The scheduled archive job was not run: %1.")
                    .arg(QString::fromStdString(runLock.Problem())));
        }
        return ArmTimer(kRetrySeconds);
    }
    m_lockProblemSaid = false;
    // Read under the lock: a run elsewhere that just ended has saved the job's next time.
    std::string unreadable;
    if (ScheduleFileExists() && !m_scheduler->ReloadSchedule(&unreadable)) {
        if (asked)
            QMessageBox::warning(
                m_window, title, QString::fromStdString(CJobArchScheduler::FilePath() + ": " + unreadable));
        return ArmTimer();
    }
    if (!ScheduleFileExists() || !m_scheduler->GetSettings().enabled) {
        runLock.Release();
        if (asked
            && QMessageBox::question(m_window, title,
                   QStringLiteral("\u2018Scheduler is not Enabled, would you like to Modify Settings now?"),
                   QMessageBox::Yes | QMessageBox::No)
                == QMessageBox::Yes)
            OpenSheet(CArchiveSheet::kSettingsPage);
        return ArmTimer();
    }
    const std::int64_t now = Now();
    const std::int64_t dueTime = m_scheduler->GetSettings().scheduledTime;
    if (trigger == Trigger::Timer && !m_scheduler->IsDue(now))
        return ArmTimer();
    m_busy = true;
    CCollectedMessages messages;
    m_manager->SetMessages(&messages);
    bool cancelled = false;
    std::string why;
    const bool started = m_scheduler->RunNow(now, &why);
    if (started) {
        CScheduledRunDialog dialog(*m_manager, m_window);
        cancelled = dialog.exec() == CScheduledRunDialog::kRunCancelled;
        m_manager->Wait();
    }
    m_manager->SetMessages(nullptr);
    runLock.Release();
    m_busy = false;
    const CArchiveJobOutcome outcome = m_scheduler->LastOutcome();
    const CArchiveManager::Results results = m_manager->GetResults();
    NoteLogFile();
    Q_EMIT ArchiveLogChanged();
    if (!outcome.originals.changed.empty()) {
        QStringList paths;
        for (const std::string& path : outcome.originals.changed)
            paths << QString::fromStdString(path);
        Q_EMIT CallsChanged(outcome.mediaProcessing == kDeleteOriginals ? 2 : 3, paths);
    }
    // A job that failed stays due (the command line's timer tries it again); here it is said
    // once, and not tried again for the same time.
    if (trigger == Trigger::Timer && (!started || (results.failed && !cancelled)))
        m_failedDueTime = dueTime;
    if (!started) {
        QMessageBox::warning(m_window, title,
            QStringLiteral("The scheduled archive job was not run: %1.").arg(QString::fromStdString(why)));
        return ArmTimer();
    }
    QMessageBox box(cancelled ? QMessageBox::Warning : QMessageBox::Information, title,
        (cancelled ? QStringLiteral("Archive Calls cancelled: %1 (from %2) calls archived.")
                   : QStringLiteral("Archive Calls finished: %1 (from %2) calls archived."))
            .arg(outcome.archived)
            .arg(CallsFound(results)),
        QMessageBox::Ok, m_window);
    const QStringList problems = ArchiveProblems(messages.Texts(), results, outcome);
    if (!problems.isEmpty())
        box.setDetailedText(problems.join(QLatin1Char('\n')));
    box.exec();
    ArmTimer();
}

void CArchiveCommands::NoteLogFile()
{
    m_logStamp = CFileStamp::Of(CArchiveLogger::FilePath());
    m_officeLogStamp = CFileStamp::Of(m_officeLog->Path());
}

bool CArchiveCommands::RefreshLogIfChanged()
{
    const CFileStamp now = CFileStamp::Of(CArchiveLogger::FilePath());
    const CFileStamp office = CFileStamp::Of(m_officeLog->Path());
    const bool changed = now != m_logStamp;
    const bool officeChanged = office != m_officeLogStamp;
    // Never under a window that holds the log's entries, a run that adds to it, or changes of
    // our own not saved yet: those are merged when they are saved.
    if ((!changed && !officeChanged) || m_busy || QApplication::activeModalWidget() || m_log->IsChanged())
        return false;
    m_logStamp = now;
    m_officeLogStamp = office;
    m_log->Load(true);
    ForgetLogWithoutFile();
    // The office's log is only read: one that went or is no longer trusted names nothing.
    m_officeLog->Clear();
    m_officeLog->Load(true);
    Q_EMIT ArchiveLogChanged();
    return true;
}

void CArchiveCommands::ForgetLogWithoutFile()
{
    // Without a file the log names no job, whatever was read before it went.
    std::error_code error;
    if (!std::filesystem::exists(CArchiveLogger::FilePath(), error) && !m_log->IsChanged())
        m_log->Clear();
}

} // namespace qor

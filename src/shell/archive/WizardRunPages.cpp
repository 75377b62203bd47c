// The wizard's last three pages: the run with its progress, the confirmation before any original
// is changed, and the summary of the job.
#include "archive/ArchiveLogger.h"
#include "archive/ArchiveTypes.h"
#include "shell/archive/ArchiveProblems.h"
#include "shell/archive/ArchiveTexts.h"
#include "shell/archive/ArchiveWizard.h"
#include "shell/archive/JobCommentDialog.h"
#include "shell/archive/WizardPages.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <filesystem>

namespace qor {
namespace {

constexpr int kPollMilliseconds = 100;

QString FromPath(const std::string& path)
{
    return QString::fromStdString(path);
}

} // namespace

CProgressPage::CProgressPage(CArchiveWizard& wizard)
    : m_wizard(wizard)
    , m_timer(new QTimer(this))
{
    setTitle(QStringLiteral("Archiving Calls..."));
    setCommitPage(true); // a job that ran is not run again
    auto* layout = new QVBoxLayout(this);
    m_caption = MakeCaption(QStringLiteral("Archive write in progress. Please wait, this may take some time."));
    layout->addWidget(m_caption);
    auto* barLabel = new QLabel(QStringLiteral("Archiving Progress:"), this);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 100);
    barLabel->setBuddy(m_bar);
    m_bar->setAccessibleName(QStringLiteral("Archiving Progress"));
    layout->addWidget(barLabel);
    layout->addWidget(m_bar);
    m_state = new QLabel(this);
    m_state->setWordWrap(true);
    layout->addWidget(m_state);
    m_cancel = new QPushButton(QStringLiteral("&Cancel Archiving"), this);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(m_cancel);
    layout->addLayout(row);
    layout->addStretch();
    m_timer->setInterval(kPollMilliseconds);
    connect(m_timer, &QTimer::timeout, this, &CProgressPage::Poll);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        m_cancel->setEnabled(false);
        m_state->setText(QStringLiteral("Cancelling..."));
        m_wizard.Run().Cancel();
        Poll();
    });
}

void CProgressPage::initializePage()
{
    CArchiveWizardRun& run = m_wizard.Run();
    if (run.GetState() != CArchiveWizardRun::State::NotStarted)
        return;
    m_bar->setValue(0);
    m_state->setText(
        QStringLiteral("Archiving %1 calls to %2...").arg(run.ChosenCalls().size()).arg(FromPath(run.target)));
    m_cancel->setEnabled(true);
    if (QAbstractButton* cancel = m_wizard.button(QWizard::CancelButton))
        cancel->setEnabled(false); // the page's own Cancel stops the run
    if (run.Start(m_wizard.Now()))
        m_timer->start();
    else
        Poll();
}

void CProgressPage::Poll()
{
    CArchiveWizardRun& run = m_wizard.Run();
    if (run.GetState() == CArchiveWizardRun::State::Running) {
        m_bar->setValue(static_cast<int>(run.Progress()));
        if (!run.EndIfDone(m_wizard.Now()))
            return;
    }
    m_timer->stop();
    m_cancel->setEnabled(false);
    if (QAbstractButton* cancel = m_wizard.button(QWizard::CancelButton))
        cancel->setEnabled(true);
    m_bar->setValue(100);
    // What the page says at the top follows the run: never "in progress" once it is over.
    m_caption->setText(
        run.Results().cancelled ? QStringLiteral("Archive write stopped.") : QStringLiteral("Archive write finished."));
    const CArchiveJobOutcome& outcome = run.Outcome();
    if (run.Results().cancelled && outcome.logged)
        m_state->setText(QStringLiteral("The job was cancelled: the %1 calls archived before it stopped were read back "
                                        "intact and logged; no call was modified.")
                             .arg(outcome.archived));
    else if (run.Results().cancelled)
        m_state->setText(QStringLiteral("The job was cancelled before any call was archived; no call was modified."));
    else if (outcome.logged)
        m_state->setText(QStringLiteral("%1 calls were archived and read back intact.").arg(outcome.archived));
    else
        m_state->setText(QStringLiteral("No call was archived."));
    if (outcome.logged)
        Q_EMIT m_wizard.Logged();
    Q_EMIT completeChanged();
}

bool CProgressPage::isComplete() const
{
    return m_wizard.Run().GetState() == CArchiveWizardRun::State::Ended;
}

int CProgressPage::nextId() const
{
    return m_wizard.Run().HasOriginalsToModify() ? CArchiveWizard::kConfirm : CArchiveWizard::kComplete;
}

CConfirmPage::CConfirmPage(CArchiveWizard& wizard)
    : m_wizard(wizard)
    , m_timer(new QTimer(this))
{
    setTitle(QStringLiteral("Original Call Modifications Requested"));
    setCommitPage(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeCaption(QStringLiteral("Original call modification options appear as requested")));
    m_what = new QLabel(this);
    m_what->setWordWrap(true);
    layout->addWidget(m_what);
    m_calls = new QListWidget(this);
    m_calls->setAccessibleName(QStringLiteral("Original calls to modify"));
    layout->addWidget(m_calls, 1);
    auto* box = new QGroupBox(this);
    auto* column = new QVBoxLayout(box);
    m_choiceLabel = new QLabel(box);
    m_start = new QRadioButton(box);
    m_cancel = new QRadioButton(box);
    m_choiceLabel->setBuddy(m_cancel);
    column->addWidget(m_choiceLabel);
    column->addWidget(m_start);
    column->addWidget(m_cancel);
    layout->addWidget(box);
    m_working = new QProgressBar(this);
    m_working->setRange(0, 0); // busy: the calls are compared with their copies one by one
    m_working->setAccessibleName(QStringLiteral("Modifying original calls"));
    m_working->hide();
    layout->addWidget(m_working);
    m_timer->setInterval(kPollMilliseconds);
    connect(m_timer, &QTimer::timeout, this, &CConfirmPage::Poll);
}

void CConfirmPage::initializePage()
{
    const CArchiveWizardRun& run = m_wizard.Run();
    const bool deleting = run.modification == kDeleteOriginals;
    const std::vector<std::string> calls = run.LoggedCalls();
    m_what->setText((deleting ? QStringLiteral("%1 original calls will be deleted.")
                              : QStringLiteral("The audio of %1 original calls will be removed."))
                        .arg(calls.size())
        + QStringLiteral(
            " Each was read back intact from its copy in %1, and is checked against it once more before it is changed.")
              .arg(FromPath(run.target)));
    m_calls->clear();
    for (const std::string& path : calls)
        m_calls->addItem(FromPath(path));
    m_choiceLabel->setText(deleting ? QStringLiteral("&Delete Original Calls:") : QStringLiteral("&Remove Audio:"));
    // The group of the two choices is named as its heading, for a screen reader entering it.
    m_choiceLabel->parentWidget()->setAccessibleName(
        deleting ? QStringLiteral("Delete Original Calls") : QStringLiteral("Remove Audio"));
    m_start->setText(deleting ? QStringLiteral("&Start Delete") : QStringLiteral("&Start Remove Audio"));
    m_cancel->setText(deleting ? QStringLiteral("&Cancel Delete") : QStringLiteral("&Cancel Remove Audio"));
    m_cancel->setChecked(true);
}

bool CConfirmPage::validatePage()
{
    CArchiveWizardRun& run = m_wizard.Run();
    if (!m_start->isChecked() || run.ModifyingEnded())
        return true;
    if (!run.OriginalsModified()) {
        m_start->setEnabled(false);
        m_cancel->setEnabled(false);
        m_working->show();
        run.StartModifying();
        m_timer->start();
        Q_EMIT completeChanged();
    }
    return false;
}

bool CConfirmPage::isComplete() const
{
    return !m_timer->isActive();
}

void CConfirmPage::Poll()
{
    CArchiveWizardRun& run = m_wizard.Run();
    if (!run.ModifyingEnded())
        return;
    m_timer->stop();
    m_working->hide();
    QStringList changed;
    for (const std::string& path : run.Outcome().originals.changed)
        changed << FromPath(path);
    if (!changed.isEmpty())
        Q_EMIT m_wizard.OriginalsChanged(run.modification == kDeleteOriginals ? 2 : 3, changed);
    Q_EMIT completeChanged();
    m_wizard.next();
}

CCompletePage::CCompletePage(CArchiveWizard& wizard)
    : m_wizard(wizard)
{
    setTitle(QStringLiteral("Archive Job Complete"));
    auto* layout = new QVBoxLayout(this);
    m_caption = MakeCaption(QStringLiteral("Your archive job is now complete"));
    layout->addWidget(m_caption);
    layout->addWidget(MakeSectionLabel(QStringLiteral("Archive Job Summary:")));
    auto* form = new QFormLayout;
    const auto field = [this, form](const char* caption) {
        auto* value = new QLabel(this);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        auto* label = new QLabel(QString::fromLatin1(caption), this);
        label->setBuddy(value);
        form->addRow(label, value);
        return value;
    };
    m_start = field("Job Start Time:");
    m_end = field("Job End Time:");
    m_write = field("Write Duration:");
    m_averageWrite = field("Avg Write Time:");
    m_job = field("Job Duration:");
    m_averageJob = field("Avg Job Duration:");
    m_modifications = field("Call Modifications:");
    layout->addLayout(form);
    m_archived = new QLabel(this);
    m_archived->setWordWrap(true);
    layout->addWidget(m_archived);
    m_problems = new QPlainTextEdit(this);
    m_problems->setReadOnly(true);
    m_problems->setAccessibleName(QStringLiteral("What failed"));
    layout->addWidget(m_problems, 1);
    auto* row = new QHBoxLayout;
    m_comment = new QPushButton(QStringLiteral("Co&mment..."), this);
    auto* folder = new QPushButton(QStringLiteral("&Open folder"), this);
    row->addWidget(m_comment);
    row->addWidget(folder);
    row->addStretch();
    layout->addLayout(row);
    connect(m_comment, &QPushButton::clicked, this, &CCompletePage::EditComment);
    connect(folder, &QPushButton::clicked, this, &CCompletePage::OpenFolder);
}

void CCompletePage::initializePage()
{
    const CArchiveWizardRun& run = m_wizard.Run();
    const std::int64_t span = run.EndTime() - run.StartTime();
    m_start->setText(ClockText(run.StartTime()));
    m_end->setText(ClockText(run.EndTime()));
    const QString write = span == 0 ? QStringLiteral("Less Then 1 second") : SpanText(span);
    m_write->setText(write);
    m_averageWrite->setText(write);
    m_job->setText(SpanText(span));
    m_averageJob->setText(SpanText(span));
    QString modified = QStringLiteral("No calls were modified.");
    if (run.OriginalsModified() && run.Outcome().originals.modified > 0) {
        const bool all = run.Outcome().originals.kept.empty();
        if (run.modification == kDeleteOriginals)
            modified = all
                ? QStringLiteral("All archived original files were deleted.")
                : QStringLiteral("%1 archived original files were deleted.").arg(run.Outcome().originals.modified);
        else
            modified = all ? QStringLiteral("Audio was removed from all archived original files.")
                           : QStringLiteral("Audio was removed from %1 archived original files.")
                                 .arg(run.Outcome().originals.modified);
    }
    m_modifications->setText(modified);
    const CArchiveJobOutcome& outcome = run.Outcome();
    const bool cancelled = run.Results().cancelled;
    m_caption->setText(cancelled ? QStringLiteral("Your archive job was cancelled")
            : outcome.completed  ? QStringLiteral("Your archive job is now complete")
                                 : QStringLiteral("Your archive job did not complete"));
    const QString where = FromPath(run.target);
    if (outcome.logged)
        m_archived->setText(QStringLiteral("%1 of %2 calls were archived to %3%4")
                                .arg(outcome.archived)
                                .arg(run.ChosenCalls().size())
                                .arg(where,
                                    cancelled ? QStringLiteral(" before the job was cancelled; no call was modified.")
                                        : outcome.completed ? QStringLiteral(".")
                                                            : QStringLiteral("; no call was modified.")));
    else if (cancelled)
        m_archived->setText(QStringLiteral("The job was cancelled before any call was archived to %1.").arg(where));
    else
        m_archived->setText(QStringLiteral("No call was archived to %1.").arg(where));
    const QStringList problems = ArchiveProblems(run.Messages(), run.Results(), run.Outcome());
    m_problems->setPlainText(!problems.isEmpty() ? problems.join(QLatin1Char('\n'))
            : cancelled                          ? QStringLiteral("Nothing failed; the job was cancelled.")
                                                 : QStringLiteral("Nothing failed."));
    // A comment goes into the job's log entry: without one there is nowhere to keep it.
    m_comment->setEnabled(outcome.logged);
    m_comment->setToolTip(
        outcome.logged ? QString() : QStringLiteral("Nothing was logged, so there is nothing to comment on"));
}

void CCompletePage::EditComment()
{
    if (const auto comment = CJobCommentDialog::Edit(QString::fromStdString(m_wizard.Run().Comment()), this)) {
        m_wizard.Run().SetComment(comment->toStdString());
        Q_EMIT m_wizard.Logged();
    }
}

void CCompletePage::OpenFolder()
{
    const CArchiveWizardRun& run = m_wizard.Run();
    const QString folder
        = run.method == kArchiveDisk ? FromPath(run.target) : QFileInfo(FromPath(run.target)).absolutePath();
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        QMessageBox::warning(this, m_wizard.windowTitle(), QStringLiteral("Failed to open Archive Folder: ") + folder);
}

} // namespace qor

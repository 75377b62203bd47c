#include "shell/archive/ArchiveSheet.h"

#include "shell/app/UserManual.h"
#include "shell/archive/ArchiveLogPage.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

namespace qor {

CArchiveSheet::CArchiveSheet(CJobArchScheduler& scheduler, std::shared_ptr<CArchiveLogger> log, Page page,
    CScheduleSettingsPage::Clock clock, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Stowmere Settings and Logs"));
    m_pages = new QTabWidget(this);
    m_pages->setAccessibleName(QStringLiteral("Stowmere Settings and Logs pages"));
    m_settings = new CScheduleSettingsPage(scheduler, std::move(clock), m_pages);
    m_log = new CArchiveLogPage(std::move(log), m_pages);
    m_pages->addTab(m_settings, QStringLiteral("Scheduled Archive Job Settings"));
    m_pages->addTab(m_log, QStringLiteral("Archive Jobs Calls Log"));
    m_pages->setCurrentIndex(page);
    m_buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply | QDialogButtonBox::Help, this);
    connect(m_buttons, &QDialogButtonBox::helpRequested, this,
        [this] { OpenUserManual(this, QStringLiteral("archiving")); });
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, m_buttons, &QDialogButtonBox::helpRequested);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &CArchiveSheet::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &CArchiveSheet::reject);
    connect(m_buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, &CArchiveSheet::Apply);
    connect(m_settings, &CScheduleSettingsPage::Modified, this, &CArchiveSheet::EnableApply);
    connect(m_log, &CArchiveLogPage::Modified, this, &CArchiveSheet::EnableApply);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addWidget(m_buttons);
    EnableApply();
    resize(900, 560);
}

void CArchiveSheet::EnableApply()
{
    m_buttons->button(QDialogButtonBox::Apply)->setEnabled(m_settings->IsModified() || m_log->IsModified());
}

bool CArchiveSheet::Apply()
{
    const bool scheduleChanged = m_settings->IsModified();
    const bool logChanged = m_log->IsModified();
    if (scheduleChanged && !m_settings->Apply()) {
        m_pages->setCurrentWidget(m_settings);
        return false;
    }
    if (scheduleChanged)
        Q_EMIT ScheduleSaved();
    if (logChanged && !m_log->Apply()) {
        m_pages->setCurrentWidget(m_log);
        return false;
    }
    if (logChanged)
        Q_EMIT LogSaved();
    EnableApply();
    return true;
}

void CArchiveSheet::accept()
{
    if (Apply())
        QDialog::accept();
}

void CArchiveSheet::reject()
{
    if (m_settings->IsModified())
        m_settings->Reset();
    if (m_log->IsModified())
        m_log->Reset();
    QDialog::reject();
}

} // namespace qor

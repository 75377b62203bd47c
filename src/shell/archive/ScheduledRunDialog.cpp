#include "shell/archive/ScheduledRunDialog.h"

#include "archive/ArchiveManager.h"
#include "shell/archive/ArchiveTexts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace qor {
namespace {

constexpr int kPollMilliseconds = 250;

} // namespace

CScheduledRunDialog::CScheduledRunDialog(CArchiveManager& manager, QWidget* parent)
    : QDialog(parent)
    , m_manager(manager)
    , m_timer(new QTimer(this))
{
    setWindowTitle(QStringLiteral("Archiving Calls Progress"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeCaption(QStringLiteral("Archiving Calls...")));
    auto* text = new QLabel(QStringLiteral("Archive write in progress. Please wait, this may take some time."), this);
    text->setWordWrap(true);
    layout->addWidget(text);
    auto* barLabel = new QLabel(QStringLiteral("Archiving Progress:"), this);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 100);
    m_bar->setAccessibleName(QStringLiteral("Archiving Progress"));
    barLabel->setBuddy(m_bar);
    layout->addWidget(barLabel);
    layout->addWidget(m_bar);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(cancel);
    layout->addLayout(row);
    connect(cancel, &QPushButton::clicked, this, &CScheduledRunDialog::reject);
    connect(m_timer, &QTimer::timeout, this, &CScheduledRunDialog::Poll);
    m_timer->start(kPollMilliseconds);
    setMinimumWidth(420);
}

void CScheduledRunDialog::Poll()
{
    m_bar->setValue(static_cast<int>(m_manager.GetResults().progress));
    if (!m_manager.IsRunning()) {
        m_timer->stop();
        done(kRunEnded);
    }
}

void CScheduledRunDialog::reject()
{
    m_timer->stop();
    m_manager.Cancel();
    done(kRunCancelled);
}

} // namespace qor

#include "shell/archive/ArchiveWizard.h"

#include "archive/ArchiveTypes.h"
#include "shell/app/UserManual.h"
#include "shell/archive/WizardPages.h"
#include "shell/archive/WizardStatusPanel.h"

#include <QAbstractButton>
#include <QShortcut>
#include <ctime>

namespace qor {

CArchiveWizard::CArchiveWizard(
    CWizardCalls calls, std::int32_t method, std::shared_ptr<CArchiveLogger> log, QWidget* parent, Clock clock)
    : QWizard(parent)
    , m_run(std::make_unique<CArchiveWizardRun>(std::move(calls), method, std::move(log)))
    , m_status(new CWizardStatusPanel(this))
    , m_clock(std::move(clock))
{
    setWindowTitle(QStringLiteral("Stowmere Job Wizard"));
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnLastPage);
    setOption(QWizard::NoCancelButtonOnLastPage); // the job is done: Finish closes
    setSideWidget(m_status);
    setOption(QWizard::HaveHelpButton);
    connect(this, &QWizard::helpRequested, this, [this] { OpenUserManual(this, QStringLiteral("archiving")); });
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, &QWizard::helpRequested);
    setButtonText(QWizard::CommitButton, buttonText(QWizard::NextButton));
    m_status->SetText(CWizardStatusPanel::kWriteMethod, QString::fromLatin1(ArchiveMethodShortName(method)));
    m_status->SetText(CWizardStatusPanel::kModification, QStringLiteral("Pending"));
    m_status->SetText(CWizardStatusPanel::kStructure, QStringLiteral("Pending"));
    setPage(kSetCalls, new CSetCallsPage(*this));
    setPage(kDefineJob, new CDefineJobPage(*this));
    setPage(kProgress, new CProgressPage(*this));
    setPage(kConfirm, new CConfirmPage(*this));
    setPage(kComplete, new CCompletePage(*this));
    setStartId(kSetCalls);
    connect(this, &QWizard::currentIdChanged, m_status, &CWizardStatusPanel::SetCurrentStep);
    // A screen reader says "Back" and "Next", not the arrows drawn beside them.
    for (const WizardButton which : { BackButton, NextButton, CommitButton, FinishButton, CancelButton, HelpButton })
        if (QAbstractButton* wizardButton = button(which)) {
            QString name = wizardButton->text();
            name.remove(QLatin1Char('&')).remove(QLatin1Char('<')).remove(QLatin1Char('>'));
            wizardButton->setAccessibleName(name.trimmed());
        }
    resize(760, 480);
}

CArchiveWizard::~CArchiveWizard() = default;

std::int64_t CArchiveWizard::Now() const
{
    return m_clock ? m_clock() : static_cast<std::int64_t>(std::time(nullptr));
}

void CArchiveWizard::reject()
{
    if (m_run->GetState() == CArchiveWizardRun::State::Running) {
        m_run->Cancel();
        m_run->EndIfDone(Now());
    }
    QWizard::reject();
}

} // namespace qor

// The wizard's first two pages: which calls, then where they go, how the archive is structured
// and what becomes of the originals.
#include "archive/ArchiveTypes.h"
#include "shell/archive/ArchiveTexts.h"
#include "shell/archive/ArchiveWizard.h"
#include "shell/archive/WizardPages.h"
#include "shell/archive/WizardStatusPanel.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <array>
#include <functional>

namespace qor {
namespace {

struct CChoice {
    const char* button;
    int value;
    const char* status;
};

constexpr std::array<CChoice, 4> kStructures = { { { "&Unstructured", kStructureNone, "Unstructured" },
    { "By User &ID", kStructureByUser, "By User ID" }, { "By Mon&th", kStructureByMonth, "By Month" },
    { "By Directory of &Origin", kStructureByPath, "By Directory" } } };
constexpr std::array<CChoice, 3> kModifications
    = { { { "Don't modif&y", kKeepOriginals, "Don't modify" }, { "&Remove audio", kRemoveAudio, "Remove Audio" },
        { "&Delete original calls", kDeleteOriginals, "Delete calls" } } };

// A titled group of radio buttons, one per choice, each telling its value to chosen.
template <std::size_t N>
QButtonGroup* ChoiceGroup(QWidget* page, QVBoxLayout* layout, const QString& title,
    const std::array<CChoice, N>& choices, const std::function<void(const CChoice&)>& chosen)
{
    auto* box = new QGroupBox(title, page);
    auto* column = new QVBoxLayout(box);
    auto* group = new QButtonGroup(page);
    for (const CChoice& choice : choices) {
        auto* radio = new QRadioButton(QString::fromLatin1(choice.button), box);
        group->addButton(radio, choice.value);
        column->addWidget(radio);
        QObject::connect(radio, &QRadioButton::toggled, page, [&choice, chosen](bool on) {
            if (on)
                chosen(choice);
        });
    }
    layout->addWidget(box);
    return group;
}

} // namespace

CSetCallsPage::CSetCallsPage(CArchiveWizard& wizard)
    : m_wizard(wizard)
{
    setTitle(QStringLiteral("Set Calls to Archive"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeCaption(QStringLiteral("Which calls would you like to archive?")));
    m_all = new QRadioButton(QStringLiteral("&All calls in the Call List"), this);
    m_selected = new QRadioButton(QStringLiteral("&Only selected calls"), this);
    layout->addWidget(m_all);
    layout->addWidget(m_selected);
    layout->addStretch();
    connect(m_all, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Choose(CArchiveWizardRun::kAllCalls);
    });
    connect(m_selected, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Choose(CArchiveWizardRun::kSelectedCalls);
    });
}

void CSetCallsPage::initializePage()
{
    // The wizard opens on the calls selected in the list.
    if (m_wizard.Run().selection == CArchiveWizardRun::kSelectedCalls)
        m_selected->setChecked(true);
    Choose(m_wizard.Run().selection);
}

void CSetCallsPage::Choose(int selection)
{
    CArchiveWizardRun& run = m_wizard.Run();
    run.selection = selection;
    const bool chosen = selection != CArchiveWizardRun::kNoSelection;
    m_wizard.Status().SetText(
        CWizardStatusPanel::kCallCount, chosen ? QString::number(run.ChosenCalls().size()) : QString());
    m_wizard.Status().SetText(CWizardStatusPanel::kRequiredSpace, chosen ? SizeText(run.ChosenBytes()) : QString());
}

bool CSetCallsPage::validatePage()
{
    // A job of no calls would only write an empty archive.
    if (m_wizard.Run().ChosenCalls().empty()) {
        QMessageBox::warning(this, m_wizard.windowTitle(), QStringLiteral("Please, select calls to be archived."));
        return false;
    }
    return true;
}

CDefineJobPage::CDefineJobPage(CArchiveWizard& wizard)
    : m_wizard(wizard)
{
    setTitle(QStringLiteral("Define Job Settings..."));
    setCommitPage(true); // once the job runs, its settings are what it ran with
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeCaption(QStringLiteral("What would you like this archive job to do?")));

    auto* where = new QGroupBox(QStringLiteral("&Where to Save Archived Calls:"), this);
    auto* row = new QHBoxLayout(where);
    auto* pathLabel = new QLabel(QStringLiteral("&Path:"), where);
    m_path = new QLineEdit(where);
    pathLabel->setBuddy(m_path);
    auto* browse = new QPushButton(QStringLiteral("..."), where);
    browse->setAccessibleName(QStringLiteral("Choose where to save"));
    row->addWidget(pathLabel);
    row->addWidget(m_path, 1);
    row->addWidget(browse);
    layout->addWidget(where);
    connect(browse, &QPushButton::clicked, this, &CDefineJobPage::Browse);
    connect(m_path, &QLineEdit::textChanged, this, [this](const QString& text) {
        // A typed path is taken from the home folder, as a terminal would take it.
        QString path = text.trimmed();
        if (path == QStringLiteral("~") || path.startsWith(QStringLiteral("~/")))
            path = QDir::homePath() + path.mid(1);
        m_wizard.Run().target
            = path.isEmpty() ? std::string() : QDir::cleanPath(QDir::home().absoluteFilePath(path)).toStdString();
    });

    auto* choices = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    choices->addLayout(left);
    choices->addLayout(right);
    layout->addLayout(choices);
    m_structure = ChoiceGroup(this, left, QStringLiteral("&Structure:"), kStructures, [this](const CChoice& choice) {
        m_wizard.Run().structure = choice.value;
        m_wizard.Status().SetText(CWizardStatusPanel::kStructure, QString::fromLatin1(choice.status));
    });
    m_modification = ChoiceGroup(
        this, right, QStringLiteral("&Modify Original Calls:"), kModifications, [this](const CChoice& choice) {
            m_wizard.Run().modification = choice.value;
            m_wizard.Status().SetText(CWizardStatusPanel::kModification, QString::fromLatin1(choice.status));
        });
    layout->addStretch();
}

void CDefineJobPage::Browse()
{
    const std::int32_t method = m_wizard.Run().method;
    QString chosen;
    if (method == kArchiveDisk) {
        chosen = QFileDialog::getExistingDirectory(
            this, QStringLiteral("Please select the directory to Archivation."), m_path->text());
    } else {
        const bool zip = method == kArchiveZip;
        QFileDialog dialog(this);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(zip ? QStringLiteral("zip") : QStringLiteral("iso"));
        dialog.setNameFilter(
            zip ? QStringLiteral("QOR ZIP Archive (*.zip)") : QStringLiteral("QOR ISO Archive (*.iso)"));
        dialog.selectFile(m_path->text().isEmpty()
                ? (zip ? QStringLiteral("Archive.zip") : QStringLiteral("Archive.iso"))
                : m_path->text());
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().first();
    }
    if (!chosen.isEmpty())
        m_path->setText(chosen);
}

bool CDefineJobPage::validatePage()
{
    const auto refuse = [this](const char* text) {
        QMessageBox::warning(this, m_wizard.windowTitle(), QString::fromLatin1(text));
        return false;
    };
    if (m_wizard.Run().target.empty()) {
        refuse("Archive path must be specified.");
        m_path->setFocus();
        m_path->selectAll();
        return false;
    }
    const CWizardStatusPanel& status = m_wizard.Status();
    if (status.Text(CWizardStatusPanel::kWriteMethod) == QStringLiteral("Pending"))
        return refuse("Write method must be specified.");
    if (status.Text(CWizardStatusPanel::kModification) == QStringLiteral("Pending"))
        return refuse("Calls modification must be specified.");
    if (status.Text(CWizardStatusPanel::kStructure) == QStringLiteral("Pending"))
        return refuse("Archive structure must be specified.");
    return true;
}

} // namespace qor

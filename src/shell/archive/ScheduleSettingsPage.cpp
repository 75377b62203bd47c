#include "shell/archive/ScheduleSettingsPage.h"

#include "archive/ArchiveTypes.h"
#include "archive/JobArchScheduler.h"
#include "archive/ScheduleValidation.h"
#include "foundation/UserName.h"
#include "shell/archive/ArchiveTexts.h"
#include "shell/archive/OfficeJobNote.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <ctime>

namespace qor {
namespace {

constexpr int kThresholdMaximum = 99'999;

QLabel* Buddy(const QString& text, QWidget* field, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(field);
    return label;
}

} // namespace

CScheduleSettingsPage::CScheduleSettingsPage(CJobArchScheduler& scheduler, Clock clock, QWidget* parent)
    : QWidget(parent)
    , m_scheduler(scheduler)
    , m_clock(std::move(clock))
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeCaption(QStringLiteral("Scheduled Archive Job Settings...")));
    m_enabled = new QCheckBox(this);
    // Its text follows its state; a screen reader names it for what it sets, and says the state.
    m_enabled->setAccessibleName(QStringLiteral("Scheduled call archiving"));
    layout->addWidget(m_enabled);
    m_controls = new QWidget(this);
    auto* grid = new QGridLayout(m_controls);
    grid->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_controls, 1);
    if (QLabel* office = MakeOfficeJobNote(this))
        layout->addWidget(office);

    // Left: what is archived and when.
    auto* space = new QGroupBox(QStringLiteral("Archive Space"), m_controls);
    auto* spaceLayout = new QVBoxLayout(space);
    m_folders = new QListWidget(space);
    m_folders->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_folders->setAccessibleName(QStringLiteral("Folders to archive"));
    spaceLayout->addWidget(
        Buddy(QStringLiteral("(archive calls from these directories and sub-derectories)"), m_folders, space));
    spaceLayout->addWidget(m_folders);
    auto* folderButtons = new QHBoxLayout;
    m_add = new QPushButton(QStringLiteral("&Add..."), space);
    m_remove = new QPushButton(QStringLiteral("&Remove"), space);
    folderButtons->addWidget(m_add);
    folderButtons->addWidget(m_remove);
    folderButtons->addStretch();
    spaceLayout->addLayout(folderButtons);
    m_selection = new QButtonGroup(this);
    auto* all = new QRadioButton(QStringLiteral("A&ll Calls"), space);
    auto* unarchived = new QRadioButton(QStringLiteral("Only &Un-archived"), space);
    m_selection->addButton(all, kSelectAll);
    m_selection->addButton(unarchived, kSelectUnarchived);
    auto* selectionRow = new QHBoxLayout;
    selectionRow->addWidget(all);
    selectionRow->addWidget(unarchived);
    selectionRow->addStretch();
    spaceLayout->addLayout(selectionRow);
    grid->addWidget(space, 0, 0);

    auto* when = new QGroupBox(QStringLiteral("Schedule"), m_controls);
    auto* whenLayout = new QHBoxLayout(when);
    m_every = new QComboBox(when);
    m_every->setEditable(true);
    m_every->addItems({ QStringLiteral("1"), QStringLiteral("5"), QStringLiteral("7"), QStringLiteral("14"),
        QStringLiteral("30"), QStringLiteral("60"), QStringLiteral("90"), QStringLiteral("180") });
    m_every->setValidator(new QIntValidator(1, kMaximumDaysInterval, m_every));
    m_every->setAccessibleName(QStringLiteral("Schedule Every (days)"));
    m_every->lineEdit()->setAccessibleName(m_every->accessibleName());
    m_time = new QTimeEdit(when);
    m_time->setDisplayFormat(QStringLiteral("HH:mm"));
    m_time->setAccessibleName(QStringLiteral("at this time"));
    whenLayout->addWidget(Buddy(QStringLiteral("Schedule &Every:"), m_every, when));
    whenLayout->addWidget(m_every);
    whenLayout->addWidget(Buddy(QStringLiteral("Days,    at this &time:"), m_time, when));
    whenLayout->addWidget(m_time);
    whenLayout->addStretch();
    grid->addWidget(when, 1, 0);

    // Right: how and where to.
    auto* how = new QGroupBox(QStringLiteral("Archive Job"), m_controls);
    auto* howLayout = new QGridLayout(how);
    m_modification = new QComboBox(how);
    m_modification->addItems(
        { QStringLiteral("Don't modify"), QStringLiteral("Delete Original Calls"), QStringLiteral("Remove Audio") });
    m_prompt = new QCheckBox(QStringLiteral("Prompt Before Changes"), how);
    m_structure = new QComboBox(how);
    m_structure->addItems({ QStringLiteral("Unstructured"), QStringLiteral("By User ID"), QStringLiteral("By Month"),
        QStringLiteral("By Directories") });
    howLayout->addWidget(Buddy(QStringLiteral("&Modify Original Calls:"), m_modification, how), 0, 0);
    howLayout->addWidget(m_modification, 0, 1);
    howLayout->addWidget(m_prompt, 1, 1);
    howLayout->addWidget(Buddy(QStringLiteral("Structure Calls:"), m_structure, how), 2, 0);
    howLayout->addWidget(m_structure, 2, 1);
    m_method = new QButtonGroup(this);
    auto* methodRow = new QHBoxLayout;
    for (const auto& [text, value] :
        { std::pair{ "&ISO", kArchiveIso }, std::pair{ "&DISK", kArchiveDisk }, std::pair{ "&ZIP", kArchiveZip } }) {
        auto* radio = new QRadioButton(QString::fromLatin1(text), how);
        m_method->addButton(radio, value);
        methodRow->addWidget(radio);
    }
    methodRow->addStretch();
    howLayout->addWidget(new QLabel(QStringLiteral("Archive Met&hod:"), how), 3, 0);
    static_cast<QLabel*>(howLayout->itemAtPosition(3, 0)->widget())->setBuddy(m_method->button(kArchiveIso));
    howLayout->addLayout(methodRow, 3, 1);
    m_path = new QLineEdit(how);
    auto* browse = new QPushButton(QStringLiteral("..."), how);
    browse->setAccessibleName(QStringLiteral("Choose the folder for the archives"));
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(browse);
    howLayout->addWidget(Buddy(QStringLiteral("&Path:"), m_path, how), 4, 0);
    howLayout->addLayout(pathRow, 4, 1);
    m_name = new QLineEdit(how);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(m_name, 1);
    nameRow->addWidget(new QLabel(QStringLiteral("+ Date + Time"), how));
    howLayout->addWidget(Buddy(QStringLiteral("Sa&ve As:"), m_name, how), 5, 0);
    howLayout->addLayout(nameRow, 5, 1);
    m_threshold = new QCheckBox(QStringLiteral("Abort archive job if image file e&xceeds"), how);
    m_thresholdSize = new QSpinBox(how);
    m_thresholdSize->setRange(1, kThresholdMaximum);
    m_thresholdSize->setAccessibleName(QStringLiteral("Size threshold in MB"));
    m_thresholdUnit = new QLabel(QStringLiteral("MB"), how);
    auto* thresholdRow = new QHBoxLayout;
    thresholdRow->addWidget(m_thresholdSize);
    thresholdRow->addWidget(m_thresholdUnit);
    thresholdRow->addStretch();
    m_thresholdLabel = new QLabel(QStringLiteral("Size Threshold:"), how);
    howLayout->addWidget(m_thresholdLabel, 6, 0);
    howLayout->addWidget(m_threshold, 6, 1);
    howLayout->addLayout(thresholdRow, 7, 1);
    howLayout->setRowStretch(8, 1);
    grid->addWidget(how, 0, 1, 2, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    connect(m_enabled, &QCheckBox::toggled, this,
        [this](bool on) { Edit([on](CScheduleSettings& s) { s.enabled = on; }); });
    connect(m_add, &QPushButton::clicked, this, &CScheduleSettingsPage::AddFolder);
    connect(m_remove, &QPushButton::clicked, this, &CScheduleSettingsPage::RemoveFolders);
    connect(m_folders, &QListWidget::itemSelectionChanged, this, &CScheduleSettingsPage::EnableControls);
    // Toggled, not clicked: a screen reader's toggle action chooses an option without a click.
    connect(m_selection, &QButtonGroup::idToggled, this, [this](int id, bool chosen) {
        if (chosen)
            Edit([id](CScheduleSettings& s) { s.selectionType = id; });
    });
    connect(m_every, &QComboBox::currentTextChanged, this, [this](const QString& text) {
        bool number = false;
        const int days = text.toInt(&number);
        if (number && days >= 1 && days <= kMaximumDaysInterval)
            Edit([days](CScheduleSettings& s) { s.daysInterval = days; });
    });
    connect(m_time, &QTimeEdit::timeChanged, this, [this](QTime time) {
        const std::int64_t next = NextLocalTimeOfDay(m_clock(), time.hour(), time.minute());
        Edit([next](CScheduleSettings& s) { s.scheduledTime = next; });
    });
    connect(m_modification, &QComboBox::currentIndexChanged, this,
        [this](int index) { Edit([index](CScheduleSettings& s) { s.mediaProcessing = index; }); });
    connect(m_structure, &QComboBox::currentIndexChanged, this,
        [this](int index) { Edit([index](CScheduleSettings& s) { s.structureType = index; }); });
    connect(m_method, &QButtonGroup::idToggled, this, [this](int id, bool chosen) {
        if (chosen)
            Edit([id](CScheduleSettings& s) { s.archiveType = id; });
    });
    connect(browse, &QPushButton::clicked, this, &CScheduleSettingsPage::BrowseArchivePath);
    connect(m_path, &QLineEdit::textEdited, this, [this](const QString& text) {
        const std::string path = text.trimmed().toStdString();
        Edit([path](CScheduleSettings& s) { s.archivePath = path; });
    });
    connect(m_name, &QLineEdit::textEdited, this, [this](const QString& text) {
        const std::string name = text.toStdString();
        Edit([name](CScheduleSettings& s) { s.archiveName = name; });
    });
    connect(m_threshold, &QCheckBox::toggled, this, [this](bool on) {
        const int size = on ? m_thresholdSize->value() : 0;
        Edit([on, size](CScheduleSettings& s) {
            s.cancelJob = on;
            s.thresholdSize = size;
        });
    });
    connect(m_thresholdSize, &QSpinBox::valueChanged, this, [this](int size) {
        if (m_threshold->isChecked())
            Edit([size](CScheduleSettings& s) { s.thresholdSize = size; });
    });
    ShowSettings();
}

void CScheduleSettingsPage::Edit(const std::function<void(CScheduleSettings&)>& change)
{
    if (m_showing)
        return;
    CScheduleSettings settings = m_scheduler.GetSettings();
    change(settings);
    m_scheduler.SetSettings(settings);
    EnableControls();
    if (!m_modified) {
        m_modified = true;
        Q_EMIT Modified();
    }
}

void CScheduleSettingsPage::ShowSettings()
{
    m_showing = true;
    const CScheduleSettings settings = m_scheduler.GetSettings();
    m_enabled->setChecked(settings.enabled);
    m_folders->clear();
    for (const std::string& folder : settings.spaceFolders)
        m_folders->addItem(QString::fromStdString(folder));
    // A selection the command line set ("last 30 days") shows neither choice and stays as it is.
    for (QAbstractButton* button : m_selection->buttons())
        button->setChecked(false);
    m_selection->setExclusive(false);
    if (QAbstractButton* selection = m_selection->button(settings.selectionType))
        selection->setChecked(true);
    m_selection->setExclusive(true);
    m_every->setCurrentText(QString::number(settings.daysInterval));
    if (settings.scheduledTime != 0) {
        const auto time = static_cast<std::time_t>(settings.scheduledTime);
        std::tm local{};
        localtime_r(&time, &local);
        m_time->setTime(QTime(local.tm_hour, local.tm_min));
    } else {
        m_time->setTime(QTime(0, 0));
    }
    m_modification->setCurrentIndex(settings.mediaProcessing);
    m_structure->setCurrentIndex(settings.structureType);
    m_method->setExclusive(false);
    for (QAbstractButton* button : m_method->buttons())
        button->setChecked(m_method->id(button) == settings.archiveType);
    m_method->setExclusive(true);
    m_path->setText(QString::fromStdString(settings.archivePath));
    m_name->setText(QString::fromStdString(settings.archiveName));
    m_threshold->setChecked(settings.cancelJob);
    m_thresholdSize->setValue(std::clamp(settings.thresholdSize, 1, kThresholdMaximum));
    m_modified = false;
    m_showing = false;
    EnableControls();
}

void CScheduleSettingsPage::EnableControls()
{
    const CScheduleSettings settings = m_scheduler.GetSettings();
    m_enabled->setText(settings.enabled ? QStringLiteral("&Scheduled Call Archiving Enabled")
                                        : QStringLiteral("&Scheduled Call Archiving Disabled"));
    m_controls->setEnabled(settings.enabled);
    m_remove->setEnabled(!m_folders->selectedItems().isEmpty());
    m_prompt->setVisible(settings.mediaProcessing != kKeepOriginals);
    const bool sized = settings.archiveType == kArchiveIso || settings.archiveType == kArchiveZip;
    m_thresholdLabel->setVisible(sized); // never a heading without its control
    m_threshold->setVisible(sized);
    m_thresholdSize->setVisible(sized && m_threshold->isChecked());
    m_thresholdUnit->setVisible(sized && m_threshold->isChecked());
}

void CScheduleSettingsPage::AddFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(this,
        QStringLiteral("Please select the directory to add into Archive Space.\n The all calls from this directory and "
                       "sub-directories will be archived."));
    if (folder.isEmpty())
        return;
    const std::string path = QDir::cleanPath(folder).toStdString();
    Edit([path](CScheduleSettings& s) {
        if (std::find(s.spaceFolders.begin(), s.spaceFolders.end(), path) == s.spaceFolders.end())
            s.spaceFolders.push_back(path);
    });
    ShowSettingsKeepingModified();
}

void CScheduleSettingsPage::RemoveFolders()
{
    std::vector<std::string> removed;
    for (const QListWidgetItem* item : m_folders->selectedItems())
        removed.push_back(item->text().toStdString());
    Edit([&removed](CScheduleSettings& s) {
        std::erase_if(s.spaceFolders, [&removed](const std::string& folder) {
            return std::find(removed.begin(), removed.end(), folder) != removed.end();
        });
    });
    ShowSettingsKeepingModified();
}

void CScheduleSettingsPage::ShowSettingsKeepingModified()
{
    const bool modified = m_modified;
    ShowSettings();
    m_modified = modified;
}

void CScheduleSettingsPage::BrowseArchivePath()
{
    const QString folder = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Please select the directory to store schedule archive."), m_path->text());
    if (folder.isEmpty())
        return;
    m_path->setText(QDir::cleanPath(folder));
    const std::string path = m_path->text().toStdString();
    Edit([path](CScheduleSettings& s) { s.archivePath = path; });
}

bool CScheduleSettingsPage::Apply()
{
    if (!m_modified)
        return true;
    CScheduleSettings settings = m_scheduler.GetSettings();
    if (settings.userName.empty())
        settings.userName = UserName();
    // A job switched off may be incomplete; one that is on must be able to run when its time comes.
    if (settings.enabled) {
        if (const std::string problem = ScheduleSettingsProblem(settings); !problem.empty()) {
            QMessageBox::warning(this, window()->windowTitle(),
                QStringLiteral("The scheduled job was not saved: %1.").arg(QString::fromStdString(problem)));
            return false;
        }
    }
    m_scheduler.SetSettings(settings);
    if (!m_scheduler.SaveSchedule()) {
        QMessageBox::warning(this, window()->windowTitle(),
            QStringLiteral("%1 cannot be written; the scheduled job was not saved.")
                .arg(QString::fromStdString(CJobArchScheduler::FilePath())));
        return false;
    }
    m_modified = false;
    ShowSettings();
    return true;
}

void CScheduleSettingsPage::Reset()
{
    m_scheduler.ReloadSchedule();
    ShowSettings();
}

} // namespace qor

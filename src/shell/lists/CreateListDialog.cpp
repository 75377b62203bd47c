#include "shell/lists/CreateListDialog.h"

#include "foundation/ResourceStrings.h"
#include "lists/CriteriaSources.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStringListModel>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

namespace qor {
namespace {

constexpr int kMaximumMinutes = 300;

QString ShownPath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::int32_t SecondsSince1970(const QDateTime& time)
{
    return static_cast<std::int32_t>(time.toSecsSinceEpoch());
}

QDateEdit* CreateDatePicker(QWidget* parent)
{
    auto* picker = new QDateEdit(QDate::currentDate(), parent);
    picker->setCalendarPopup(true);
    // The criteria keep 32-bit seconds since 1970; these days stay inside them in every time zone.
    picker->setDateRange(QDate(1970, 1, 2), QDate(2038, 1, 18));
    return picker;
}

} // namespace

// Widgets are made in the order they are shown, which is the order Tab walks through them.
CCreateListDialog::CCreateListDialog(QWidget* parent, const std::vector<std::string>& folders)
    : QDialog(parent)
    , m_sourceModel(new QStringListModel(this))
    , m_dateRanges(new QButtonGroup(this))
{
    setWindowTitle(QStringLiteral("Create Recording List"));
    m_chooseFolder = [this] {
        return QFileDialog::getExistingDirectory(
            this, QString::fromStdString(LoadResourceString(IDS_SELECT_FOLDER_TO_ADD)));
    };
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CreateSourcesArea(), 1);

    m_subFolders = new QCheckBox(QStringLiteral("Include Sub-directories"), this);
    m_subFolders->setChecked(true);
    connect(m_subFolders, &QCheckBox::toggled, this, &CCreateListDialog::ApplySubFolderRule);
    layout->addWidget(m_subFolders);

    m_fileNamePattern = new QLineEdit(QStringLiteral("*"), this);
    m_callerIdPattern = new QLineEdit(QStringLiteral("*"), this);
    auto* patterns = new QFormLayout;
    patterns->addRow(QStringLiteral("Limit by Filename"), m_fileNamePattern);
    patterns->addRow(QStringLiteral("Limit by Caller ID"), m_callerIdPattern);
    layout->addLayout(patterns);

    auto* limits = new QHBoxLayout;
    limits->addWidget(CreateDateRangeGroup());
    limits->addWidget(CreateFileLengthGroup(), 0, Qt::AlignTop);
    layout->addLayout(limits);

    auto* buttons = new QDialogButtonBox(this);
    m_compile = buttons->addButton(QStringLiteral("Compile"), QDialogButtonBox::AcceptRole);
    m_compile->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CCreateListDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CCreateListDialog::reject);
    layout->addWidget(buttons);

    for (const std::string& folder : folders)
        AddSource(m_sources, folder, true);
    ShowSources(0);
}

SearchCriteria CCreateListDialog::Criteria() const
{
    SearchCriteria criteria;
    criteria.sources = m_sources;
    criteria.includeSubFolders = m_subFolders->isChecked();
    criteria.fileNamePattern = m_fileNamePattern->text().toStdString();
    criteria.callerIdPattern = m_callerIdPattern->text().toStdString();
    criteria.dateRange = m_dateRanges->checkedId();
    if (criteria.dateRange == kDateRangeSpecific) {
        // Days picked the wrong way round still mean the days between them, not "no date limit".
        const QDate after = m_after->date();
        const QDate before = m_before->date();
        criteria.rangeStart = SecondsSince1970(std::min(after, before).startOfDay());
        criteria.rangeEnd = SecondsSince1970(QDateTime(std::max(after, before), QTime(23, 59, 59)));
    }
    criteria.lengthLimit = m_onlyLonger->isChecked();
    criteria.minimumMinutes = criteria.lengthLimit ? m_minutes->value() : 0;
    return criteria;
}

QWidget* CCreateListDialog::CreateSourcesArea()
{
    auto* area = new QWidget(this);
    m_sourceView = new QListView(area);
    m_sourceView->setAccessibleName(QStringLiteral("Folders to search"));
    m_sourceView->setModel(m_sourceModel);
    m_sourceView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_sourceView->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_sourceView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &CCreateListDialog::UpdateButtons);

    auto* add = new QPushButton(QStringLiteral("Add..."), area);
    connect(add, &QPushButton::clicked, this, &CCreateListDialog::AddChosenFolder);
    m_remove = new QPushButton(QStringLiteral("Remove"), area);
    connect(m_remove, &QPushButton::clicked, this, &CCreateListDialog::RemoveSelectedSource);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(m_remove);
    buttons->addStretch();

    auto* layout = new QHBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_sourceView, 1);
    layout->addLayout(buttons);
    return area;
}

QGroupBox* CCreateListDialog::CreateDateRangeGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Limit by Date Range"), this);
    auto* layout = new QVBoxLayout(group);
    const std::pair<DateRange, const char16_t*> choices[] = {
        { kDateRangeAll, u"All dates" },
        { kDateRangeYesterdayAndToday, u"Yesterday and today" },
        { kDateRangeWithin7Days, u"Within 7 days" },
        { kDateRangeWithin30Days, u"Within 30 days" },
        { kDateRangeSpecific, u"Specific date range" },
    };
    for (const auto& [range, text] : choices) {
        auto* choice = new QRadioButton(QString::fromUtf16(text), group);
        m_dateRanges->addButton(choice, range);
        layout->addWidget(choice);
    }
    m_dateRanges->button(kDateRangeWithin30Days)->setChecked(true);

    auto* pickers = new QWidget(group);
    m_after = CreateDatePicker(pickers);
    m_before = CreateDatePicker(pickers);
    auto* dates = new QFormLayout(pickers);
    dates->setContentsMargins(style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth), 0, 0, 0);
    dates->addRow(QStringLiteral("After this date"), m_after);
    dates->addRow(QStringLiteral("Before this date"), m_before);
    pickers->setEnabled(false);
    connect(m_dateRanges->button(kDateRangeSpecific), &QRadioButton::toggled, pickers, &QWidget::setEnabled);
    layout->addWidget(pickers);
    return group;
}

QGroupBox* CCreateListDialog::CreateFileLengthGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Limit by File Length"), this);
    auto* allCalls = new QRadioButton(QStringLiteral("All calls"), group);
    allCalls->setChecked(true);
    m_onlyLonger = new QRadioButton(QStringLiteral("Only calls larger than"), group);
    m_minutes = new QSpinBox(group);
    m_minutes->setRange(0, kMaximumMinutes);
    m_minutes->setEnabled(false);
    // Either choice starts the minutes again from 0; only the limit lets them be changed.
    connect(m_onlyLonger, &QRadioButton::toggled, this, [this](bool limited) {
        m_minutes->setValue(0);
        m_minutes->setEnabled(limited);
    });

    auto* longer = new QHBoxLayout;
    longer->addWidget(m_onlyLonger);
    longer->addWidget(m_minutes);
    longer->addWidget(new QLabel(QStringLiteral("Minutes"), group));
    longer->addStretch();
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(allCalls);
    layout->addLayout(longer);
    return group;
}

void CCreateListDialog::AddChosenFolder()
{
    const std::string folder = QFile::encodeName(m_chooseFolder()).toStdString();
    if (AddSource(m_sources, folder, m_subFolders->isChecked()))
        ShowSources(static_cast<int>(std::ranges::find(m_sources, folder) - m_sources.begin()));
}

void CCreateListDialog::RemoveSelectedSource()
{
    const QModelIndexList selected = m_sourceView->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    const int row = selected.front().row();
    m_sources.erase(m_sources.begin() + row);
    ShowSources(row);
}

void CCreateListDialog::ApplySubFolderRule(bool subFolders)
{
    if (!subFolders)
        return;
    PruneForSubFolders(m_sources);
    ShowSources(0);
}

void CCreateListDialog::ShowSources(int row)
{
    QStringList shown;
    for (const std::string& source : m_sources)
        shown.append(ShownPath(source));
    m_sourceModel->setStringList(shown);
    if (!shown.isEmpty()) {
        const QModelIndex selected = m_sourceModel->index(std::min(row, static_cast<int>(shown.size()) - 1));
        m_sourceView->selectionModel()->setCurrentIndex(selected, QItemSelectionModel::ClearAndSelect);
    }
    UpdateButtons();
}

void CCreateListDialog::UpdateButtons()
{
    m_compile->setEnabled(!m_sources.empty());
    m_remove->setEnabled(m_sourceView->selectionModel()->hasSelection());
}

} // namespace qor

#include "shell/archive/ArchiveLogPage.h"

#include "archive/ArchiveLogs.h"
#include "archive/ArchiveTypes.h"
#include "shell/archive/ArchiveTexts.h"
#include "shell/archive/JobCommentDialog.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

namespace qor {
namespace {

QString FromBytes(const std::string& text)
{
    return QString::fromStdString(text);
}

const char* MethodName(std::int32_t method)
{
    switch (method) {
    case kArchiveDisk:
        return "Disk";
    case kArchiveZip:
        return "ZIP";
    case kArchiveIso:
        return "ISO";
    default:
        return "UNKNOWN";
    }
}

// The reports go where the user keeps documents, not into whatever folder the program started in.
QString ReportFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}

} // namespace

CArchiveLogPage::CArchiveLogPage(std::shared_ptr<CArchiveLogger> log, QWidget* parent)
    : QWidget(parent)
    , m_log(std::move(log))
    , m_office(std::make_shared<COfficeArchiveLog>())
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeCaption(QStringLiteral("Archive Jobs Calls Log")));
    m_jobs = new QListWidget(this);
    m_jobs->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_jobs->setAccessibleName(QStringLiteral("Archive jobs"));
    layout->addWidget(m_jobs, 1);
    m_refusals = new QLabel(this);
    m_refusals->setWordWrap(true);
    m_refusals->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_refusals->setObjectName(QStringLiteral("LogsNotShown")); // a screen reader reads its text
    layout->addWidget(m_refusals);
    auto* buttons = new QHBoxLayout;
    m_edit = new QPushButton(QStringLiteral("Edit &Comment..."), this);
    m_detail = new QPushButton(QStringLiteral("View &Detail"), this);
    m_delete = new QPushButton(QStringLiteral("D&elete"), this);
    buttons->addWidget(m_edit);
    buttons->addWidget(m_detail);
    buttons->addWidget(m_delete);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(m_jobs, &QListWidget::itemSelectionChanged, this, &CArchiveLogPage::EnableButtons);
    connect(m_jobs, &QListWidget::itemDoubleClicked, this, &CArchiveLogPage::EditComment);
    connect(m_edit, &QPushButton::clicked, this, &CArchiveLogPage::EditComment);
    connect(m_detail, &QPushButton::clicked, this, &CArchiveLogPage::ViewDetail);
    connect(m_delete, &QPushButton::clicked, this, &CArchiveLogPage::DeleteSelected);
    // Changes made before the page opened are written first; a log never read is read now.
    if (m_log->IsLoaded())
        m_log->Save();
    else
        m_log->Load(true);
    ShowJobs();
}

QString CArchiveLogPage::JobLine(const CJobArchListEntry& job)
{
    return QStringLiteral("%1 - %2 - %3 (calls) - %4")
        .arg(FromBytes(job.GetDateTimeText()), QString::fromLatin1(MethodName(job.archiveType)))
        .arg(job.callCount)
        .arg(FromBytes(job.GetComment()));
}

void CArchiveLogPage::ShowJobs()
{
    m_jobs->clear();
    for (CJobArchListEntry* job : m_log->Entries()) {
        auto* item = new QListWidgetItem(JobLine(*job), m_jobs);
        item->setData(Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(job)));
        item->setToolTip(FromBytes(job->target));
    }
    for (CJobArchListEntry* job : m_office->Entries()) {
        auto* item = new QListWidgetItem(QStringLiteral("Office job: ") + JobLine(*job), m_jobs);
        item->setData(Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(job)));
        item->setData(Qt::UserRole + 1, true);
        item->setToolTip(FromBytes(job->target) + QStringLiteral(" (set by the administrator; read-only)"));
    }
    QStringList refusals;
    for (CArchiveLogger* log : { m_log.get(), m_office.get() })
        if (const std::string why = log->Refusal(); !why.empty())
            refusals
                << QStringLiteral("Not shown: %1 is not trusted (%2).").arg(FromBytes(log->Path()), FromBytes(why));
    m_refusals->setText(refusals.join(QLatin1Char('\n')));
    m_refusals->setVisible(!refusals.isEmpty());
    EnableButtons();
}

CJobArchListEntry* CArchiveLogPage::JobOf(const QListWidgetItem* item) const
{
    return reinterpret_cast<CJobArchListEntry*>(item->data(Qt::UserRole).value<quintptr>());
}

bool CArchiveLogPage::IsOffice(const QListWidgetItem* item)
{
    return item->data(Qt::UserRole + 1).toBool();
}

void CArchiveLogPage::EnableButtons()
{
    const QList<QListWidgetItem*> selected = m_jobs->selectedItems();
    const bool ours = std::none_of(selected.begin(), selected.end(), IsOffice);
    m_edit->setEnabled(selected.size() == 1 && ours);
    m_detail->setEnabled(!selected.isEmpty());
    m_delete->setEnabled(!selected.isEmpty() && ours);
}

void CArchiveLogPage::MarkModified()
{
    m_modified = true;
    Q_EMIT Modified();
}

void CArchiveLogPage::EditComment()
{
    const QList<QListWidgetItem*> selected = m_jobs->selectedItems();
    if (selected.size() != 1)
        return;
    QListWidgetItem* item = selected.first();
    if (IsOffice(item))
        return;
    CJobArchListEntry* job = JobOf(item);
    const auto comment = CJobCommentDialog::Edit(FromBytes(job->GetComment()), this);
    if (!comment)
        return;
    m_log->SetComment(job, comment->toStdString());
    item->setText(JobLine(*job));
    MarkModified();
}

void CArchiveLogPage::DeleteSelected()
{
    const QList<QListWidgetItem*> selected = m_jobs->selectedItems();
    if (selected.isEmpty() || std::any_of(selected.begin(), selected.end(), IsOffice))
        return;
    for (QListWidgetItem* item : selected) {
        m_log->RemoveEntry(JobOf(item));
        delete item;
    }
    MarkModified();
    EnableButtons();
}

QString CArchiveLogPage::WriteReport(const QString& folder)
{
    QString stamp = QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
    for (const QChar c : { QLatin1Char('.'), QLatin1Char('/'), QLatin1Char('\\'), QLatin1Char(':') })
        stamp.replace(c, QLatin1Char('_'));
    // Never over another file: a report of the same minute gets a number.
    QString path = QDir(folder).filePath(QStringLiteral("Stowmere Report %1.txt").arg(stamp));
    QFile file(path);
    for (int number = 2; !file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Text); ++number) {
        if (!file.exists() || number > 100) {
            QMessageBox::warning(this, window()->windowTitle(), file.errorString());
            return {};
        }
        path = QDir(folder).filePath(QStringLiteral("Stowmere Report %1 (%2).txt").arg(stamp).arg(number));
        file.setFileName(path);
    }
    for (int row = 0; row < m_jobs->count(); ++row) {
        if (!m_jobs->item(row)->isSelected())
            continue;
        for (const std::string& line : CArchiveLogger::BuildReport(*JobOf(m_jobs->item(row))))
            file.write((line + "\n").c_str());
        file.write("\n\n");
    }
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        QMessageBox::warning(this, window()->windowTitle(), file.errorString());
        return {};
    }
    return path;
}

void CArchiveLogPage::ViewDetail()
{
    const QString path = WriteReport(ReportFolder());
    if (path.isEmpty())
        return;
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        QMessageBox::warning(
            this, window()->windowTitle(), QStringLiteral("Failed to open Archive Details File: ") + path);
}

bool CArchiveLogPage::Apply()
{
    if (!m_modified)
        return true;
    if (!m_log->Save()) {
        QMessageBox::warning(this, window()->windowTitle(),
            QStringLiteral("%1 cannot be written; the changes were not saved.")
                .arg(QString::fromStdString(m_log->Path())));
        return false;
    }
    m_modified = false;
    ShowJobs();
    return true;
}

void CArchiveLogPage::Reset()
{
    m_log->Load(true);
    m_office->Load(true);
    m_modified = false;
    ShowJobs();
}

} // namespace qor

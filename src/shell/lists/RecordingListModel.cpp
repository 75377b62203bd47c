#include "shell/lists/RecordingListModel.h"

#include "archive/ArchiveLogs.h"
#include "foundation/ResourceStrings.h"
#include "lists/EntrySort.h"
#include "lists/QorTolvaneDoc.h"
#include "recording/Bookmark.h"
#include "shell/common/CallPath.h"
#include "shell/common/ShellIcons.h"
#include "shell/common/ShellTexts.h"
#include "shell/lists/CallClipboard.h"

#include <QMimeData>

namespace qor {
namespace {

constexpr int kColumns = 9;

QString FromBytes(const std::string& text)
{
    return QString::fromStdString(text);
}

// The comment as the list shows it: the user's own first line, bookmark and block left out.
QString CommentCell(const std::string& comment)
{
    return FromBytes(CommentUserText(comment)).left(1024);
}

} // namespace

CRecordingListModel::CRecordingListModel(CQorTolvaneDoc& document, CArchiveLogs* archive, QObject* parent)
    : QAbstractTableModel(parent)
    , m_document(document)
    , m_archive(archive)
{
}

int CRecordingListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_document.GetCount();
}

int CRecordingListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant CRecordingListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_document.GetCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return Text(index.row(), index.column());
    case Qt::DecorationRole:
        return Icon(index.row(), index.column());
    case Qt::ToolTipRole:
        return ToolTip(index.row(), index.column());
    case Qt::AccessibleTextRole: {
        // A screen reader says what a cell's icon shows ("Important", the archives that hold it),
        // a state rather than the tip's command.
        if (index.column() == kColumnBookmark)
            return m_document.GetEntry(index.row())->HasBookmark() ? QStringLiteral("Bookmarked") : QVariant();
        const QVariant text = Text(index.row(), index.column());
        return text.toString().isEmpty() ? ToolTip(index.row(), index.column()) : text;
    }
    case Qt::TextAlignmentRole:
        return index.column() == kColumnImportant || index.column() == kColumnBookmark
            ? QVariant(Qt::AlignCenter)
            : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant CRecordingListModel::Text(int row, int column) const
{
    const CRvFileListEntry& entry = *m_document.GetEntry(row);
    switch (column) {
    case kColumnUserId:
        return FromBytes(entry.GetUserIdText());
    case kColumnCallerId:
        return FromBytes(entry.GetCallerIdText());
    case kColumnDateTime:
        return FromBytes(entry.GetDateTimeText()).left(20);
    case kColumnDuration:
        return FromBytes(entry.GetDurationText());
    case kColumnComment:
        return CommentCell(entry.GetCommentText());
    default:
        return {};
    }
}

QVariant CRecordingListModel::Icon(int row, int column) const
{
    const CRvFileListEntry& entry = *m_document.GetEntry(row);
    switch (column) {
    case kColumnEncrypted:
        return entry.IsEncrypted() ? LoadShellIcon(ShellIcon::Encrypted) : QVariant();
    case kColumnImportant:
        return entry.GetImportant() ? LoadShellIcon(ShellIcon::Important) : QVariant();
    case kColumnArchived: {
        // The method of the last job that holds the call.
        const std::vector<CArchiveHolding> jobs
            = m_archive ? m_archive->JobsOfCall(entry) : std::vector<CArchiveHolding>();
        if (jobs.empty())
            return {};
        switch (jobs.back().archiveType) {
        case kArchiveDisk:
            return LoadShellIcon(ShellIcon::ArchivedDisk);
        case kArchiveIso:
            return LoadShellIcon(ShellIcon::ArchivedIso);
        default:
            return LoadShellIcon(ShellIcon::Archived);
        }
    }
    case kColumnBookmark:
        return entry.HasBookmark() ? LoadShellIcon(ShellIcon::Bookmark) : QVariant();
    default:
        return {};
    }
}

QVariant CRecordingListModel::ToolTip(int row, int column) const
{
    const CRvFileListEntry& entry = *m_document.GetEntry(row);
    switch (column) {
    case kColumnEncrypted:
        return entry.IsEncrypted() ? ShellText(IDS_TIP_ENCRYPTED) : QVariant();
    case kColumnImportant:
        return entry.GetImportant() ? ShellText(IDS_TIP_IMPORTANT) : QVariant();
    case kColumnArchived: {
        const std::vector<CArchiveHolding> jobs
            = m_archive ? m_archive->JobsOfCall(entry) : std::vector<CArchiveHolding>();
        if (jobs.empty())
            return QStringLiteral("Not archived yet");
        QStringList lines;
        for (const CArchiveHolding& job : jobs)
            lines << FromBytes(job.dateTimeText) + QStringLiteral(" - ")
                    + QString::fromLatin1(ArchiveMethodShortName(job.archiveType)) + QStringLiteral(" - ")
                    + FromBytes(job.target);
        return lines.join(QLatin1Char('\n'));
    }
    case kColumnDateTime:
        return FromBytes(entry.GetDateTimeText());
    case kColumnBookmark:
        return entry.HasBookmark() ? ShellText(IDS_TIP_BOOKMARK) : QVariant();
    case kColumnComment:
        return FromBytes(entry.GetCommentText()).trimmed();
    default:
        return Text(row, column);
    }
}

QVariant CRecordingListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    // The short headers, as a screen reader says them.
    if (role == Qt::AccessibleTextRole
        && (section == kColumnEncrypted || section == kColumnImportant || section == kColumnBookmark))
        return section == kColumnEncrypted ? QStringLiteral("Encrypted")
            : section == kColumnImportant  ? QStringLiteral("Important")
                                           : QStringLiteral("Bookmark");
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case kColumnEncrypted:
        return ShellText(IDS_COLUMN_ENCRYPTED);
    case kColumnImportant:
        return QStringLiteral("!");
    case kColumnUserId:
        return ShellText(IDS_COLUMN_USER_ID);
    case kColumnCallerId:
        return ShellText(IDS_COLUMN_CALLER_ID);
    case kColumnArchived:
        return ShellText(IDS_COLUMN_ARCHIVED);
    case kColumnDateTime:
        return ShellText(IDS_COLUMN_DATE_TIME);
    case kColumnDuration:
        return ShellText(IDS_COLUMN_DURATION);
    case kColumnBookmark:
        return ShellText(IDS_COLUMN_BOOKMARK);
    case kColumnComment:
        return ShellText(IDS_COLUMN_COMMENT);
    default:
        return {};
    }
}

Qt::ItemFlags CRecordingListModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index) | Qt::ItemIsDragEnabled;
    if (index.column() == kColumnCallerId)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool CRecordingListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || index.column() != kColumnCallerId || index.row() >= m_document.GetCount())
        return false;
    const QString text = value.toString();
    if (text.toStdString() == m_document.GetEntry(index.row())->GetCallerIdText())
        return false;
    Q_EMIT CallerIdEdited(index.row(), text);
    Q_EMIT dataChanged(index, index);
    return true;
}

QStringList CRecordingListModel::mimeTypes() const
{
    return { QStringLiteral("text/uri-list") };
}

QMimeData* CRecordingListModel::mimeData(const QModelIndexList& indexes) const
{
    QStringList paths;
    int lastRow = -1;
    for (const QModelIndex& index : indexes) {
        if (index.row() == lastRow || index.row() >= m_document.GetCount())
            continue;
        lastRow = index.row();
        paths.append(PathToQString(m_document.GetEntry(index.row())->GetPath()));
    }
    paths.removeDuplicates();
    return MakeCallsMimeData(paths);
}

void CRecordingListModel::Reload()
{
    beginResetModel();
    endResetModel();
}

void CRecordingListModel::ArchiveChanged()
{
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, kColumnArchived), index(rowCount() - 1, kColumnArchived));
}

void CRecordingListModel::RowChanged(int row)
{
    Q_EMIT dataChanged(index(row, 0), index(row, kColumns - 1));
}

} // namespace qor

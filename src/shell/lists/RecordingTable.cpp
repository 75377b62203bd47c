#include "shell/lists/RecordingTable.h"

#include "foundation/ResourceStrings.h"
#include "lists/EntrySort.h"
#include "shell/common/ShellTexts.h"
#include "shell/lists/CallClipboard.h"

#include <QDragEnterEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>

namespace qor {
namespace {

// Caller IDs hold digits, letters, blanks, the direction marks and a few signs.
class CCallerIdDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        auto* editor = new QLineEdit(parent);
        editor->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9a-zA-Z \\-#~_&<>]*")), editor));
        editor->setMaxLength(127);
        return editor;
    }
};

} // namespace

CRecordingTable::CRecordingTable(QWidget* parent)
    : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // One stop for Tab: the arrows move within the table, Tab goes on to the next control.
    setTabKeyNavigation(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setShowGrid(true);
    setWordWrap(false);
    setAlternatingRowColors(true);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setItemDelegateForColumn(kColumnCallerId, new CCallerIdDelegate(this));
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setStretchLastSection(true);
    setIconSize(QSize(16, 16));
}

void CRecordingTable::keyPressEvent(QKeyEvent* event)
{
    const bool editing = state() == QAbstractItemView::EditingState;
    if (!editing && event->modifiers() == Qt::NoModifier) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            Q_EMIT PlayPressed();
            return;
        }
        if (event->key() == Qt::Key_Space) {
            Q_EMIT PausePressed();
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

void CRecordingTable::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    if (model() && model()->rowCount() > 0)
        return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect area = viewport()->rect().adjusted(10, 10, -10, -10);
    painter.drawText(area, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, ShellText(IDS_NO_CALLS_TO_DISPLAY));
}

void CRecordingTable::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->source() != this && event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CRecordingTable::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->source() != this && event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CRecordingTable::dropEvent(QDropEvent* event)
{
    const QStringList paths = PathsFromMimeData(*event->mimeData());
    if (event->source() == this || paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    Q_EMIT PathsDropped(paths);
}

} // namespace qor

#include "shell/panels/StoreTreeView.h"

#include "shell/panels/TreeStoreModel.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyledItemDelegate>
#include <algorithm>
#include <unordered_map>

namespace qor {
namespace {

// The box a group is renamed in, named for a screen reader.
class CNamedEditorDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (editor)
            editor->setAccessibleName(QStringLiteral("Name"));
        return editor;
    }
};

} // namespace

CStoreTreeView::CStoreTreeView(CTreeStoreModel& model, QWidget* parent)
    : QTreeView(parent)
    , m_model(model)
{
    setModel(&model);
    setItemDelegate(new CNamedEditorDelegate(this));
    // The heading stays (hidden, it leaves a screen reader's rows at odds with the tree's), and an
    // item is marked as an item: a screen reader marking a row by number would mark another row.
    header()->setStretchLastSection(true);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers); // renaming is a command of its own
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
    setDropIndicatorShown(true);
    setUniformRowHeights(true); // 10,000 links lay out without measuring each
}

std::vector<std::int32_t> CStoreTreeView::MarkedIds() const
{
    std::vector<std::int32_t> marked;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        marked.push_back(m_model.IdOf(index));
    if (marked.size() < 2)
        return marked;
    std::unordered_map<std::int32_t, std::size_t> order;
    const std::vector<std::int32_t> shown = m_model.IdsInDisplayOrder();
    for (std::size_t at = 0; at < shown.size(); ++at)
        order.emplace(shown[at], at);
    std::ranges::sort(marked, {}, [&](std::int32_t id) { return order[id]; });
    return marked;
}

QModelIndex CStoreTreeView::CommandItem() const
{
    const QModelIndex current = currentIndex();
    if (current.isValid() && selectionModel()->isSelected(current))
        return current;
    const std::vector<std::int32_t> marked = MarkedIds();
    return marked.empty() ? QModelIndex() : m_model.IndexOf(marked.front());
}

void CStoreTreeView::MarkOnly(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    for (QModelIndex above = index.parent(); above.isValid(); above = above.parent())
        expand(above);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

QStringList CStoreTreeView::MarkedTargets() const
{
    return m_model.TargetsOf(MarkedIds());
}

void CStoreTreeView::RemoveMarked()
{
    std::vector<std::int32_t> marked = MarkedIds();
    std::erase(marked, m_model.IdOf(m_model.index(0, 0)));
    // A marked item below a removed group has gone with it.
    m_model.Change([&](CTreeStore& store) {
        bool removed = false;
        for (std::int32_t id : marked)
            removed = store.Remove(id) || removed;
        return removed;
    });
}

void CStoreTreeView::ClearGroup(const QModelIndex& item)
{
    const std::int32_t groupId = m_model.GroupFor(item);
    if (groupId == CTreeStore::kNoParent)
        return; // the item went while its menu was open
    m_model.Change([&](CTreeStore& store) {
        bool removed = false;
        for (const CTreeStoreEntry& child : store.Children(groupId))
            if (!child.isGroup)
                removed = store.Remove(child.id) || removed;
        return removed;
    });
}

void CStoreTreeView::AddGroup(const QModelIndex& item, const QString& name)
{
    const std::int32_t parentId = m_model.GroupFor(item);
    std::int32_t id = CTreeStore::kNoParent;
    if (!m_model.Change([&](CTreeStore& store) {
            id = store.NewId();
            return store.Exists(parentId) && store.Add({ id, parentId, name.toStdString(), "", true });
        }))
        return;
    const QModelIndex added = m_model.IndexOf(id);
    MarkOnly(added);
    edit(added);
}

void CStoreTreeView::Rename(const QModelIndex& item)
{
    if (item.isValid() && !m_model.IsFirstTopLevel(item))
        edit(item);
}

void CStoreTreeView::MarkLastChildOf(std::int32_t groupId)
{
    const QModelIndex group = m_model.IndexOf(groupId);
    const int children = m_model.rowCount(group);
    if (children > 0)
        MarkOnly(m_model.index(children - 1, 0, group));
}

void CStoreTreeView::MarkChildrenOf(const QModelIndex& group)
{
    expand(group);
    selectionModel()->select(group, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    QItemSelection children;
    for (int row = 0; row < m_model.rowCount(group); ++row)
        children.select(m_model.index(row, 0, group), m_model.index(row, 0, group));
    selectionModel()->select(children, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

CStoreTreeView::Key CStoreTreeView::KeyOf(const QKeyEvent& event)
{
    const bool plain = event.modifiers() == Qt::NoModifier;
    const bool control = event.modifiers() == Qt::ControlModifier;
    if (plain && event.key() == Qt::Key_Delete)
        return Key::Remove;
    if ((plain && event.key() == Qt::Key_F2)
        || (control && (event.key() == Qt::Key_E || event.key() == Qt::Key_Insert)))
        return Key::Rename;
    return Key::None;
}

bool CStoreTreeView::event(QEvent* event)
{
    // Delete and Ctrl+Insert mean something else to the main window's lists: here they are the tree's.
    if (event->type() == QEvent::ShortcutOverride && !IsEditing()
        && KeyOf(*static_cast<QKeyEvent*>(event)) != Key::None) {
        event->accept();
        return true;
    }
    return QTreeView::event(event);
}

void CStoreTreeView::keyPressEvent(QKeyEvent* event)
{
    const Key key = IsEditing() ? Key::None : KeyOf(*event);
    if (key == Key::Remove)
        Q_EMIT RemoveKeyPressed();
    else if (key == Key::Rename)
        Q_EMIT RenameKeyPressed();
    else
        QTreeView::keyPressEvent(event);
}

void CStoreTreeView::contextMenuEvent(QContextMenuEvent* event)
{
    const QModelIndex index = indexAt(event->pos());
    if (IsEditing() || !index.isValid())
        return;
    Q_EMIT MenuRequested(index, event->globalPos());
}

} // namespace qor

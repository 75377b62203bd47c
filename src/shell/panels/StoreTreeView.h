// The tree of a calls-for-review or shortcut store: its own marks (a click marks one item,
// Ctrl+click adds one, Shift+click a run, a right-press on an unmarked item marks it alone), the
// keys for removing and renaming, and the menu on an item, which the page fills.
#pragma once

#include <QItemSelectionModel>
#include <QStringList>
#include <QTreeView>
#include <cstdint>
#include <vector>

namespace qor {

class CTreeStoreModel;

class CStoreTreeView : public QTreeView {
    Q_OBJECT

public:
    CStoreTreeView(CTreeStoreModel& model, QWidget* parent = nullptr);

    CTreeStoreModel& Model() const { return m_model; }
    // The marked items in the order the tree shows them.
    std::vector<std::int32_t> MarkedIds() const;
    std::size_t MarkedCount() const { return static_cast<std::size_t>(selectionModel()->selectedRows().size()); }
    // The item commands from the tool bar and the keys act on: the current one when marked, else
    // the first marked one.
    QModelIndex CommandItem() const;
    void MarkOnly(const QModelIndex& index);
    // Un-marks the group and marks every item directly under it.
    void MarkChildrenOf(const QModelIndex& group);
    bool IsEditing() const { return state() == EditingState; }
    // The targets of the marked items and of the items below marked groups, in the tree's order,
    // each once.
    QStringList MarkedTargets() const;

    // The commands both trees share.
    // Removes the marked items (the first top-level one stays) with everything below them.
    void RemoveMarked();
    // Removes the items directly under the item's group; its sub-groups stay.
    void ClearGroup(const QModelIndex& item);
    // A new group under the item's group, marked, its caption open for typing.
    void AddGroup(const QModelIndex& item, const QString& name);
    void Rename(const QModelIndex& item);
    void MarkLastChildOf(std::int32_t groupId);

Q_SIGNALS:
    void MenuRequested(const QModelIndex& index, const QPoint& globalPosition);
    void RemoveKeyPressed();
    void RenameKeyPressed();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    enum class Key { None, Remove, Rename };
    static Key KeyOf(const QKeyEvent& event);

    CTreeStoreModel& m_model;
};

} // namespace qor

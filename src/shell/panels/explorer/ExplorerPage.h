// "My Explorer": the folders of this computer, read in the background so a slow or vanished
// network share never holds the window up. A folder is compiled into a recording list, made into
// shortcuts, or given copies of recordings dropped on it.
#pragma once

#include <QTreeView>
#include <QWidget>

class QFileSystemModel;
class QMenu;

namespace qor {

class CShortcutsPage;

class CExplorerTree : public QTreeView {
    Q_OBJECT

public:
    using QTreeView::QTreeView;

Q_SIGNALS:
    void RecordingsDropped(const QStringList& paths, const QModelIndex& folder);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

class CExplorerPage : public QWidget {
    Q_OBJECT

public:
    CExplorerPage(CShortcutsPage& shortcuts, QWidget* parent = nullptr);

    QTreeView& Tree() { return *m_tree; }
    QFileSystemModel& Model() { return *m_model; }
    // The folder an item stands for; empty for one that is not an existing folder.
    QString FolderOf(const QModelIndex& item) const;

    void CreateRecordingList(const QModelIndex& item);
    // One shortcut per sub-folder of the item's folder, under a group picked in "New Shortcut".
    void CreateShortcutList(const QModelIndex& item);
    void AddToShortcuts(const QModelIndex& item);
    void Explore(const QModelIndex& item);
    // Asks, then copies the recordings among the paths into the item's folder.
    void CopyRecordings(const QStringList& paths, const QModelIndex& item);

Q_SIGNALS:
    void CompileRequested(const QStringList& folders);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMenu* MenuFor(const QModelIndex& item);

    CShortcutsPage& m_shortcuts;
    QFileSystemModel* m_model;
    CExplorerTree* m_tree;
};

} // namespace qor

// "My Shortcuts": groups of shortcuts to the folders calls are recorded into. Marked shortcuts
// (and the shortcuts below marked groups) are compiled into a new recording list.
#pragma once

#include <QWidget>
#include <cstdint>
#include <utility>
#include <vector>

class QMenu;

namespace qor {

class CStoreTreeView;
class CTreeStoreModel;

class CShortcutsPage : public QWidget {
    Q_OBJECT

public:
    explicit CShortcutsPage(CTreeStoreModel& model, QWidget* parent = nullptr);

    CStoreTreeView& Tree() { return *m_tree; }
    CTreeStoreModel& Model() { return m_model; }
    // Shortcuts {name, folder} under the group, in that order; those without a folder are left
    // out. How many were added.
    int AddShortcuts(const std::vector<std::pair<QString, QString>>& shortcuts, std::int32_t groupId);

    void CreateRecordingList();
    void Explore(const QModelIndex& item);
    // Asks for a folder and adds a shortcut to it named after the folder.
    void NewShortcut(const QModelIndex& item);

    // The menu on an item, its commands enabled as the item and the marks allow.
    QMenu* MenuFor(const QModelIndex& item);

Q_SIGNALS:
    // Folders to be compiled into a new recording list.
    void CompileRequested(const QStringList& folders);

private:
    CTreeStoreModel& m_model;
    CStoreTreeView* m_tree;
};

} // namespace qor

// "My Calls for Review": the calls-for-review tree with its tool bar and its menu. Calls come in
// by paste, by a drop from a list or a file manager and through the group picker; they go out by
// copy, by a drag (as the recordings themselves), to the player and into a new recording list.
#pragma once

#include <QWidget>
#include <cstdint>

class QAction;
class QMenu;
class QToolBar;

namespace qor {

class CStoreTreeView;
class CTreeStoreModel;

class CCallsForReviewPage : public QWidget {
    Q_OBJECT

public:
    explicit CCallsForReviewPage(CTreeStoreModel& model, QWidget* parent = nullptr);

    CStoreTreeView& Tree() { return *m_tree; }
    CTreeStoreModel& Model() { return m_model; }
    // Links to the recordings under the group, named after each file; with skipTakenNames a call
    // whose link name is already used anywhere under the group is left out. How many were added.
    int AddLinks(const QStringList& paths, std::int32_t groupId, bool skipTakenNames);
    // Asks for a group ("Calls for Review") and links the calls there; false when cancelled.
    bool AddCallsWithPicker(const QStringList& paths);

    // The commands, for the menu, the tool bar and the keys alike.
    void Play(const QModelIndex& item);
    void Copy();
    void Paste(const QModelIndex& item);
    void RemoveDuplicates(const QModelIndex& item);
    void Explore(const QModelIndex& item);
    void CreateRecordingList();
    void Validate();

    // The menu on an item, its commands enabled as the item and the marks allow.
    QMenu* MenuFor(const QModelIndex& item);

Q_SIGNALS:
    void PlayRequested(const QString& path);
    void RecordingListRequested(const QStringList& paths);

private:
    void UpdateToolBar();
    bool IsMarked(const QModelIndex& item) const;

    CTreeStoreModel& m_model;
    CStoreTreeView* m_tree;
    QToolBar* m_toolBar;
    QAction* m_copy;
    QAction* m_cut;
    QAction* m_paste;
    QAction* m_delete;
    QAction* m_validate;
};

} // namespace qor

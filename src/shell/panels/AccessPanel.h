// The "Access Panel" docked on the left: three pages, "My Shortcuts", "My Calls for Review" and
// "My Explorer". It takes in every few seconds what another program saved into the shortcut and
// calls-for-review stores, keeping what the trees have expanded and marked.
#pragma once

#include <QDockWidget>

class QTimer;
class QToolBox;

namespace qor {

class CCallsForReviewPage;
class CExplorerPage;
class CShortcutsPage;
class CTreeStoreModel;

class CAccessPanel : public QDockWidget {
    Q_OBJECT

public:
    explicit CAccessPanel(QWidget* parent = nullptr);

    CShortcutsPage& Shortcuts() { return *m_shortcuts; }
    CCallsForReviewPage& CallsForReview() { return *m_review; }
    CExplorerPage& Explorer() { return *m_explorer; }
    QToolBox& Pages() { return *m_pages; }
    // The open page's tree, where the page's keys work.
    QWidget& CurrentTree();
    // Takes in the stores' files as another program saved them; skipped while a caption is typed.
    void PickUpSavedChanges();

private:
    CTreeStoreModel* m_shortcutModel;
    CTreeStoreModel* m_reviewModel;
    QToolBox* m_pages;
    CShortcutsPage* m_shortcuts;
    CCallsForReviewPage* m_review;
    CExplorerPage* m_explorer;
    QTimer* m_storeWatch;
};

} // namespace qor

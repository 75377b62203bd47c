#include "shell/panels/AccessPanel.h"

#include "foundation/Singleton.h"
#include "review/HotLists.h"
#include "review/ShortCuts.h"
#include "shell/common/ShellIcons.h"
#include "shell/panels/StoreTreeView.h"
#include "shell/panels/TreeStoreModel.h"
#include "shell/panels/explorer/ExplorerPage.h"
#include "shell/panels/review/CallsForReviewPage.h"
#include "shell/panels/shortcuts/ShortcutsPage.h"

#include <QApplication>
#include <QTimer>
#include <QToolBox>

namespace qor {
namespace {

constexpr int kStoreWatchMilliseconds = 2000;

} // namespace

CAccessPanel::CAccessPanel(QWidget* parent)
    : QDockWidget(QStringLiteral("Access Panel"), parent)
    , m_shortcutModel(new CTreeStoreModel(*Singleton<CShortCuts>::Instance(),
          { QStringLiteral("Shortcuts"), LoadShellIcon(ShellIcon::Group), LoadShellIcon(ShellIcon::Shortcut) }, this))
    , m_reviewModel(new CTreeStoreModel(*Singleton<CHotLists>::Instance(),
          { QStringLiteral("Calls for Review"), LoadShellIcon(ShellIcon::Group), LoadShellIcon(ShellIcon::Call) },
          this))
    , m_pages(new QToolBox(this))
    , m_shortcuts(new CShortcutsPage(*m_shortcutModel, m_pages))
    , m_review(new CCallsForReviewPage(*m_reviewModel, m_pages))
    , m_explorer(new CExplorerPage(*m_shortcuts, m_pages))
    , m_storeWatch(new QTimer(this))
{
    setObjectName(QStringLiteral("AccessPanel"));
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    setMinimumSize(200, 250);
    m_pages->addItem(m_shortcuts, LoadShellIcon(ShellIcon::Shortcut), QStringLiteral("My Shortcuts"));
    m_pages->addItem(m_review, LoadShellIcon(ShellIcon::Call), QStringLiteral("My Calls for Review"));
    m_pages->addItem(m_explorer, LoadShellIcon(ShellIcon::Group), QStringLiteral("My Explorer"));
    setWidget(m_pages);
    connect(m_storeWatch, &QTimer::timeout, this, &CAccessPanel::PickUpSavedChanges);
    m_storeWatch->start(kStoreWatchMilliseconds);
}

void CAccessPanel::PickUpSavedChanges()
{
    // A caption being typed or a dialog showing the tree holds places that must not move now.
    if (QApplication::activeModalWidget())
        return;
    if (!m_shortcuts->Tree().IsEditing())
        m_shortcutModel->PickUpSavedChanges();
    if (!m_review->Tree().IsEditing())
        m_reviewModel->PickUpSavedChanges();
}

QWidget& CAccessPanel::CurrentTree()
{
    const QWidget* page = m_pages->currentWidget();
    if (page == m_shortcuts)
        return m_shortcuts->Tree();
    if (page == m_review)
        return m_review->Tree();
    return m_explorer->Tree();
}

} // namespace qor

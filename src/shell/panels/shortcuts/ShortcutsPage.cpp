#include "shell/panels/shortcuts/ShortcutsPage.h"

#include "shell/panels/ItemMenu.h"
#include "shell/panels/StoreNotKeptNote.h"
#include "shell/panels/StoreTreeView.h"
#include "shell/panels/TreeStoreModel.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QUrl>
#include <QVBoxLayout>

namespace qor {
namespace {

const QString kNewGroupName = QStringLiteral("New Group");

// A target whose last part has a dot is taken for a file, not a folder to open.
bool LooksLikeFolder(const std::string& target)
{
    return !target.empty() && QFileInfo(QString::fromStdString(target)).fileName().indexOf(QLatin1Char('.')) < 0;
}

} // namespace

CShortcutsPage::CShortcutsPage(CTreeStoreModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_tree(new CStoreTreeView(model, this))
{
    setObjectName(QStringLiteral("ShortcutsPage"));
    m_tree->setAccessibleName(QStringLiteral("Shortcuts"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (QLabel* note = MakeStoreNotKeptNote(model.Store(), this))
        layout->addWidget(note);
    layout->addWidget(m_tree);
    connect(m_tree, &CStoreTreeView::MenuRequested, this,
        [this](const QModelIndex& item, const QPoint& where) { MenuFor(item)->popup(where); });
    connect(m_tree, &CStoreTreeView::RemoveKeyPressed, m_tree, &CStoreTreeView::RemoveMarked);
    connect(m_tree, &CStoreTreeView::RenameKeyPressed, this, [this] { m_tree->Rename(m_tree->CommandItem()); });
    connect(m_tree, &QTreeView::doubleClicked, this, &CShortcutsPage::CreateRecordingList);
    m_tree->expand(model.index(0, 0));
}

QMenu* CShortcutsPage::MenuFor(const QModelIndex& item)
{
    auto* menu = new CItemMenu(item, this);
    const auto entry = m_model.EntryAt(item);
    const auto add = [menu](const char* text, auto command) { return menu->AddCommand(text, command); };
    QAction* createList = add("Create Recording List...", [this](const QModelIndex&) { CreateRecordingList(); });
    QAction* explore = add("Explore", [this](const QModelIndex& index) { Explore(index); });
    menu->addSeparator();
    QAction* selectAll = add("Select All", [this](const QModelIndex& index) { m_tree->MarkChildrenOf(index); });
    QAction* newGroup = add("New Group", [this](const QModelIndex& index) { m_tree->AddGroup(index, kNewGroupName); });
    QAction* newShortcut = add("New Shortcut", [this](const QModelIndex& index) { NewShortcut(index); });
    QAction* rename = add("Rename\tF2,Ins", [this](const QModelIndex& index) { m_tree->Rename(index); });
    QAction* clear = add("Clear Shortcuts", [this](const QModelIndex& index) { m_tree->ClearGroup(index); });
    menu->addSeparator();
    QAction* remove = add("Remove\tDel", [this](const QModelIndex&) { m_tree->RemoveMarked(); });

    if (!entry || !LooksLikeFolder(entry->target)) {
        explore->setEnabled(false);
        if (!entry || (entry->isGroup && m_model.Store().LinksBelow(entry->id).empty()))
            createList->setEnabled(false);
    }
    if (m_model.IsFirstTopLevel(item)) {
        rename->setEnabled(false);
        remove->setEnabled(false);
    }
    const std::vector<QAction*> groupCommands{ selectAll, newGroup, newShortcut, clear };
    if (entry && !entry->isGroup)
        for (QAction* action : groupCommands)
            action->setEnabled(false);
    if (m_tree->MarkedCount() != 1)
        for (QAction* action : { explore, selectAll, newGroup, newShortcut, rename, clear })
            action->setEnabled(false);
    return menu;
}

int CShortcutsPage::AddShortcuts(const std::vector<std::pair<QString, QString>>& shortcuts, std::int32_t groupId)
{
    int added = 0;
    m_model.Change([&](CTreeStore& store) {
        const auto group = store.Find(groupId);
        if (!group || !group->isGroup)
            return false;
        for (const auto& [name, folder] : shortcuts) {
            if (folder.isEmpty())
                continue;
            if (store.Add({ store.NewId(), groupId, name.toStdString(), folder.toStdString(), false }))
                ++added;
        }
        return added > 0;
    });
    if (added > 0)
        m_tree->MarkLastChildOf(groupId);
    return added;
}

void CShortcutsPage::CreateRecordingList()
{
    const QStringList folders = m_tree->MarkedTargets();
    if (!folders.isEmpty())
        Q_EMIT CompileRequested(folders);
}

void CShortcutsPage::Explore(const QModelIndex& item)
{
    const QString target = item.data(CTreeStoreModel::kTargetRole).toString();
    if (!target.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(target));
}

void CShortcutsPage::NewShortcut(const QModelIndex& item)
{
    const std::int32_t groupId = m_model.GroupFor(item);
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("New Shortcut"), QDir::homePath());
    if (!folder.isEmpty())
        AddShortcuts({ { QDir(folder).dirName(), QDir::cleanPath(folder) } }, groupId);
}

} // namespace qor

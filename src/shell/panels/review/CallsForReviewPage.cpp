#include "shell/panels/review/CallsForReviewPage.h"

#include "review/HotLists.h"
#include "shell/common/CallPath.h"
#include "shell/common/ShellIcons.h"
#include "shell/lists/CallClipboard.h"
#include "shell/lists/FailureMessages.h"
#include "shell/panels/ItemMenu.h"
#include "shell/panels/StoreNotKeptNote.h"
#include "shell/panels/StoreTreeView.h"
#include "shell/panels/TreeStoreModel.h"
#include "shell/panels/review/ReviewGroupPicker.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <unordered_set>

namespace qor {
namespace {

const QString kNewGroupName = QStringLiteral("New Hotlist");

bool ClipboardHasCalls()
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data && !PathsFromMimeData(*data).isEmpty();
}

void Inform(QWidget* parent, const QString& text)
{
    QMessageBox::information(parent, QApplication::applicationDisplayName(), text);
}

} // namespace

CCallsForReviewPage::CCallsForReviewPage(CTreeStoreModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_tree(new CStoreTreeView(model, this))
    , m_toolBar(new QToolBar(this))
{
    setObjectName(QStringLiteral("CallsForReviewPage"));
    m_tree->setAccessibleName(QStringLiteral("Calls for Review"));
    m_toolBar->setAccessibleName(QStringLiteral("Calls for Review tools"));
    m_toolBar->setIconSize(QSize(16, 16));
    m_copy = m_toolBar->addAction(
        LoadShellIcon(ShellIcon::Copy), QStringLiteral("Copy"), this, &CCallsForReviewPage::Copy);
    m_cut = m_toolBar->addAction(LoadShellIcon(ShellIcon::Cut), QStringLiteral("Cut"), this, [this] {
        Copy();
        m_tree->RemoveMarked();
    });
    m_paste = m_toolBar->addAction(
        LoadShellIcon(ShellIcon::Paste), QStringLiteral("Paste"), this, [this] { Paste(m_tree->CommandItem()); });
    m_delete = m_toolBar->addAction(
        LoadShellIcon(ShellIcon::Delete), QStringLiteral("Delete"), this, [this] { m_tree->RemoveMarked(); });
    m_delete->setToolTip(QStringLiteral("Delete selected items"));
    m_validate = m_toolBar->addAction(
        LoadShellIcon(ShellIcon::Validate), QStringLiteral("Validate Links"), this, &CCallsForReviewPage::Validate);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (QLabel* note = MakeStoreNotKeptNote(model.Store(), this))
        layout->addWidget(note);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_tree);

    model.SetFileDrop([this](const QStringList& paths, std::int32_t groupId) {
        QStringList calls;
        for (const QString& path : paths)
            if (IsRecordingFile(PathFromQString(path)))
                calls << path;
        return AddLinks(calls, groupId, true) > 0;
    });
    connect(m_tree, &CStoreTreeView::MenuRequested, this,
        [this](const QModelIndex& item, const QPoint& where) { MenuFor(item)->popup(where); });
    connect(m_tree, &CStoreTreeView::RemoveKeyPressed, m_tree, &CStoreTreeView::RemoveMarked);
    connect(m_tree, &CStoreTreeView::RenameKeyPressed, this, [this] {
        const QModelIndex item = m_tree->CommandItem();
        if (item.data(CTreeStoreModel::kIsGroupRole).toBool())
            m_tree->Rename(item);
    });
    connect(m_tree, &QTreeView::doubleClicked, this, [this](const QModelIndex& item) {
        if (!item.data(CTreeStoreModel::kIsGroupRole).toBool())
            Play(item);
    });
    connect(
        m_tree->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CCallsForReviewPage::UpdateToolBar);
    connect(&model, &QAbstractItemModel::layoutChanged, this, &CCallsForReviewPage::UpdateToolBar);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &CCallsForReviewPage::UpdateToolBar);
    m_tree->expand(model.index(0, 0));
    UpdateToolBar();
}

void CCallsForReviewPage::UpdateToolBar()
{
    const std::size_t marked = m_tree->MarkedCount();
    const bool topMarked = IsMarked(m_model.index(0, 0));
    m_copy->setEnabled(marked > 0);
    m_cut->setEnabled(marked > 0 && !topMarked);
    m_delete->setEnabled(marked > 0 && !topMarked);
    m_paste->setEnabled(marked == 1 && ClipboardHasCalls());
}

bool CCallsForReviewPage::IsMarked(const QModelIndex& item) const
{
    return item.isValid() && m_tree->selectionModel()->isSelected(item);
}

QMenu* CCallsForReviewPage::MenuFor(const QModelIndex& item)
{
    auto* menu = new CItemMenu(item, this);
    const auto entry = m_model.EntryAt(item);
    const auto add = [menu](const char* text, auto command) { return menu->AddCommand(text, command); };
    QAction* play = add("Play", [this](const QModelIndex& index) { Play(index); });
    QAction* selectAll = add("Select All", [this](const QModelIndex& index) { m_tree->MarkChildrenOf(index); });
    menu->addSeparator();
    add("Copy", [this](const QModelIndex&) { Copy(); });
    QAction* paste = add("Paste", [this](const QModelIndex& index) { Paste(index); });
    QAction* remove = add("Delete", [this](const QModelIndex&) { m_tree->RemoveMarked(); });
    menu->addSeparator();
    QAction* newGroup
        = add("New Calls for Review", [this](const QModelIndex& index) { m_tree->AddGroup(index, kNewGroupName); });
    QAction* rename = add("Rename Calls for Review", [this](const QModelIndex& index) { m_tree->Rename(index); });
    QAction* clear = add("Clear Calls for Review", [this](const QModelIndex& index) { m_tree->ClearGroup(index); });
    QAction* duplicates = add("Remove Duplicates", [this](const QModelIndex& index) { RemoveDuplicates(index); });
    menu->addSeparator();
    QAction* explore = add("Explore", [this](const QModelIndex& index) { Explore(index); });
    QAction* createList = add("Create Recording List...", [this](const QModelIndex&) { CreateRecordingList(); });
    add("Validate Calls for Review", [this](const QModelIndex&) { Validate(); });

    const std::size_t marked = m_tree->MarkedCount();
    explore->setEnabled(entry && !entry->target.empty());
    if (m_model.IsFirstTopLevel(item)) {
        remove->setEnabled(false);
        rename->setEnabled(false);
    }
    paste->setEnabled(ClipboardHasCalls());
    createList->setEnabled(marked > 0);
    const std::vector<QAction*> groupCommands{ selectAll, newGroup, rename, clear, duplicates };
    if (marked == 1 && entry && !entry->isGroup)
        for (QAction* action : groupCommands)
            action->setEnabled(false);
    if (marked != 1) {
        for (QAction* action : groupCommands)
            action->setEnabled(false);
        play->setEnabled(false);
        explore->setEnabled(false);
    }
    return menu;
}

int CCallsForReviewPage::AddLinks(const QStringList& paths, std::int32_t groupId, bool skipTakenNames)
{
    int added = 0;
    m_model.Change([&](CTreeStore& store) {
        const auto group = store.Find(groupId);
        if (!group || !group->isGroup)
            return false;
        std::unordered_set<std::string> taken;
        if (skipTakenNames) {
            std::vector<std::int32_t> pending{ groupId };
            while (!pending.empty()) {
                const std::int32_t id = pending.back();
                pending.pop_back();
                for (const CTreeStoreEntry& child : store.Children(id)) {
                    if (child.isGroup)
                        pending.push_back(child.id);
                    else
                        taken.insert(child.name);
                }
            }
        }
        for (const QString& path : paths) {
            const std::string target = PathFromQString(path);
            const std::string name = LinkNameForFile(target);
            if (target.empty() || (skipTakenNames && !taken.insert(name).second))
                continue;
            if (store.Add({ store.NewId(), groupId, name, target, false }))
                ++added;
        }
        return added > 0;
    });
    if (added > 0)
        m_tree->MarkLastChildOf(groupId);
    return added;
}

bool CCallsForReviewPage::AddCallsWithPicker(const QStringList& paths)
{
    CReviewGroupPicker picker(m_model, this);
    if (picker.exec() != QDialog::Accepted || picker.SelectedGroup() == CTreeStore::kNoParent)
        return false;
    AddLinks(paths, picker.SelectedGroup(), false);
    return true;
}

void CCallsForReviewPage::Play(const QModelIndex& item)
{
    auto entry = m_model.EntryAt(item);
    // A group plays its first item.
    if (entry && entry->isGroup)
        entry = m_model.EntryAt(m_model.index(0, 0, item));
    if (!entry || entry->target.empty()) {
        QMessageBox::warning(
            this, QApplication::applicationDisplayName(), QStringLiteral("No files have been selected to play."));
        return;
    }
    Q_EMIT PlayRequested(PathToQString(entry->target));
}

void CCallsForReviewPage::Copy()
{
    QStringList existing;
    for (const QString& call : m_tree->MarkedTargets())
        if (IsRecordingFile(PathFromQString(call)))
            existing << call;
    QApplication::clipboard()->setMimeData(MakeCallsMimeData(existing));
}

void CCallsForReviewPage::Paste(const QModelIndex& item)
{
    const QMimeData* clipboard = QApplication::clipboard()->mimeData();
    if (clipboard && item.isValid())
        AddLinks(PathsFromMimeData(*clipboard), m_model.GroupFor(item), true);
}

void CCallsForReviewPage::RemoveDuplicates(const QModelIndex& item)
{
    const std::int32_t groupId = m_model.GroupFor(item);
    if (groupId == CTreeStore::kNoParent)
        return; // the item went while its menu was open
    int removed = 0;
    m_model.Change([&](CTreeStore& store) {
        removed = store.RemoveDuplicateChildren(groupId);
        return removed > 0;
    });
    Inform(this,
        removed == 0 ? QStringLiteral("No duplicates found.")
                     : QStringLiteral("%1 entries removed as duplicates.").arg(removed));
}

void CCallsForReviewPage::Explore(const QModelIndex& item)
{
    const QString target = item.data(CTreeStoreModel::kTargetRole).toString();
    if (!target.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(target).absolutePath()));
}

void CCallsForReviewPage::CreateRecordingList()
{
    const QStringList calls = m_tree->MarkedTargets();
    if (!calls.isEmpty())
        Q_EMIT RecordingListRequested(calls);
}

void CCallsForReviewPage::Validate()
{
    CLinkCheck check;
    m_model.Change([&](CTreeStore& store) {
        check = store.RemoveLinksToMissingFiles();
        return check.removed > 0;
    });
    QString text = check.removed == 0
        ? QStringLiteral("All links to calls are valid.")
        : QStringLiteral("The %1 invalid links to calls ware removed from Hotlists tree.").arg(check.removed);
    if (!check.unsure.empty()) {
        QStringList kept;
        for (const auto& [path, why] : check.unsure)
            kept << NamedFailure(path, why);
        text = (check.removed == 0 ? QString() : text + QStringLiteral("\n\n"))
            + QStringLiteral("These links were kept, as their calls cannot be checked now:\n")
            + kept.mid(0, 10).join(QLatin1Char('\n'))
            + (kept.size() > 10 ? QStringLiteral("\n... and %1 more").arg(kept.size() - 10) : QString());
    }
    Inform(this, text);
}

} // namespace qor

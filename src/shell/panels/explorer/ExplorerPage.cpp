#include "shell/panels/explorer/ExplorerPage.h"

#include "review/HotLists.h"
#include "review/RecordingCopy.h"
#include "shell/common/CallPath.h"
#include "shell/lists/CallClipboard.h"
#include "shell/panels/ItemMenu.h"
#include "shell/panels/TreeSelection.h"
#include "shell/panels/TreeStoreModel.h"
#include "shell/panels/shortcuts/NewShortcutDialog.h"
#include "shell/panels/shortcuts/ShortcutsPage.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>
#include <QVBoxLayout>
#include <cstring>

namespace qor {
namespace {

QStringList DroppedRecordings(const QMimeData& data)
{
    QStringList recordings;
    for (const QString& path : PathsFromMimeData(data))
        if (path.endsWith(QStringLiteral(".qor"), Qt::CaseInsensitive))
            recordings << path;
    return recordings;
}

} // namespace

void CExplorerTree::dragEnterEvent(QDragEnterEvent* event)
{
    if (DroppedRecordings(*event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void CExplorerTree::dragMoveEvent(QDragMoveEvent* event)
{
    // The folder under the pointer is the one the recordings go to, and is shown so.
    const QModelIndex folder = indexAt(event->position().toPoint());
    if (!folder.isValid()) {
        event->ignore();
        return;
    }
    setCurrentIndex(folder);
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void CExplorerTree::dropEvent(QDropEvent* event)
{
    const QModelIndex folder = indexAt(event->position().toPoint());
    const QStringList recordings = DroppedRecordings(*event->mimeData());
    if (!folder.isValid() || recordings.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    Q_EMIT RecordingsDropped(recordings, folder);
}

CExplorerPage::CExplorerPage(CShortcutsPage& shortcuts, QWidget* parent)
    : QWidget(parent)
    , m_shortcuts(shortcuts)
    , m_model(new QFileSystemModel(this))
    , m_tree(new CExplorerTree(this))
{
    setObjectName(QStringLiteral("ExplorerPage"));
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setReadOnly(true);
    // The whole computer is shown; the home folder is read first and watched, like every folder
    // opened later, so what changes in it shows at once.
    m_model->setRootPath(QDir::homePath());
    // Chosen as an item: a screen reader choosing a row by number would choose another one.
    m_tree->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_tree->setModel(m_model);
    FollowSelection(*m_tree);
    m_tree->setAccessibleName(QStringLiteral("Folders"));
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->setAcceptDrops(true);
    m_tree->setDropIndicatorShown(false);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    m_tree->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tree);

    connect(m_tree, &QWidget::customContextMenuRequested, this, [this](const QPoint& where) {
        const QModelIndex item = m_tree->indexAt(where);
        if (item.isValid())
            MenuFor(item)->popup(m_tree->viewport()->mapToGlobal(where));
    });
    connect(m_tree, &QTreeView::doubleClicked, this, &CExplorerPage::CreateRecordingList);
    connect(m_tree, &CExplorerTree::RecordingsDropped, this, &CExplorerPage::CopyRecordings);
    // Opens on the home folder, the one calls are most likely under.
    const QModelIndex home = m_model->index(QDir::homePath());
    m_tree->setCurrentIndex(home);
    m_tree->expand(home);
    m_tree->scrollTo(home);
}

QString CExplorerPage::FolderOf(const QModelIndex& item) const
{
    // What the background reader knows: asking the file system here could wait on a dead share.
    if (!item.isValid() || !m_model->isDir(item))
        return {};
    return m_model->filePath(item);
}

QMenu* CExplorerPage::MenuFor(const QModelIndex& item)
{
    auto* menu = new CItemMenu(item, this);
    const bool folder = !FolderOf(item).isEmpty();
    const auto add = [this, menu, folder](const char* text, void (CExplorerPage::*command)(const QModelIndex&)) {
        menu->AddCommand(text, [this, command](const QModelIndex& at) { (this->*command)(at); })->setEnabled(folder);
    };
    add("Create Recording List...", &CExplorerPage::CreateRecordingList);
    add("Create Shortcut List...", &CExplorerPage::CreateShortcutList);
    menu->addSeparator();
    add("Add to Shortcuts...", &CExplorerPage::AddToShortcuts);
    add("Explore", &CExplorerPage::Explore);
    return menu;
}

bool CExplorerPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_tree && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::ControlModifier && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            CreateRecordingList(m_tree->currentIndex());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CExplorerPage::CreateRecordingList(const QModelIndex& item)
{
    const QString folder = FolderOf(item);
    if (!folder.isEmpty())
        Q_EMIT CompileRequested({ folder });
}

void CExplorerPage::CreateShortcutList(const QModelIndex& item)
{
    const QString folder = FolderOf(item);
    if (folder.isEmpty())
        return;
    // Each shortcut takes its sub-folder's name: only the group is asked for.
    CNewShortcutDialog dialog(
        m_shortcuts.Model(), QDir(folder).dirName(), this, CNewShortcutDialog::Naming::FromFolders);
    if (dialog.exec() != QDialog::Accepted)
        return;
    std::vector<std::pair<QString, QString>> shortcuts;
    for (const QFileInfo& sub : QDir(folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        shortcuts.emplace_back(sub.fileName(), sub.absoluteFilePath());
    m_shortcuts.AddShortcuts(shortcuts, dialog.SelectedGroup());
}

void CExplorerPage::AddToShortcuts(const QModelIndex& item)
{
    const QString folder = FolderOf(item);
    if (folder.isEmpty())
        return;
    CNewShortcutDialog dialog(m_shortcuts.Model(), QDir(folder).dirName(), this);
    if (dialog.exec() == QDialog::Accepted)
        m_shortcuts.AddShortcuts({ { dialog.Name(), folder } }, dialog.SelectedGroup());
}

void CExplorerPage::Explore(const QModelIndex& item)
{
    const QString folder = FolderOf(item);
    if (!folder.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

void CExplorerPage::CopyRecordings(const QStringList& paths, const QModelIndex& item)
{
    const QString folder = FolderOf(item);
    if (folder.isEmpty() || paths.isEmpty())
        return;
    const QString title = QApplication::applicationDisplayName();
    if (QMessageBox::question(this, title,
            QStringLiteral("Are you sure want to copy recordings(s) to %1?\n%2 recordings")
                .arg(folder)
                .arg(paths.size()),
            QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    for (const QString& path : paths) {
        const std::string recording = PathFromQString(path);
        if (!IsRecordingFile(recording))
            continue;
        CRecordingCopy copied = CopyRecordingInto(recording, folder.toStdString(), false);
        int error = errno; // why a copy failed, before anything else can change it
        const QString destination = QString::fromStdString(CopyDestination(recording, folder.toStdString()));
        if (copied == CRecordingCopy::NameTaken) {
            if (QMessageBox::question(this, title,
                    QStringLiteral("%1 already holds another call of that name. Replace it with %2?")
                        .arg(destination, path),
                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
                != QMessageBox::Yes)
                continue;
            copied = CopyRecordingInto(recording, folder.toStdString(), true);
            error = errno;
        }
        if (copied == CRecordingCopy::OthersLink || copied == CRecordingCopy::Failed) {
            const QString why = copied == CRecordingCopy::OthersLink
                ? QStringLiteral("That name is another user's link, which is never written through.")
                : QString::fromLocal8Bit(std::strerror(error));
            QMessageBox failed(QMessageBox::Warning, title,
                QStringLiteral("Could not copy file %1 to %2").arg(path, destination), QMessageBox::Ok, this);
            failed.setInformativeText(why);
            failed.exec();
            return;
        }
    }
}

} // namespace qor

#include "shell/app/MainMenus.h"

#include "shell/common/ShellIcons.h"

#include <QAction>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace qor {
namespace {

QAction* Make(QObject* owner, const char* text, QKeySequence key = {}, const QIcon& icon = {})
{
    auto* action = new QAction(icon, QString::fromUtf8(text), owner);
    if (!key.isEmpty())
        action->setShortcut(key);
    return action;
}

} // namespace

CMainMenus::CMainMenus(QMainWindow& window)
    : QObject(&window)
{
    newList = Make(this, "&New", QKeySequence::New, LoadShellIcon(ShellIcon::New));
    open = Make(this, "&Open...", QKeySequence::Open, LoadShellIcon(ShellIcon::Open));
    create = Make(this, "&Create...", {}, LoadShellIcon(ShellIcon::Create));
    save = Make(this, "&Save", QKeySequence::Save, LoadShellIcon(ShellIcon::Save));
    saveAs = Make(this, "Save &As...", {}, LoadShellIcon(ShellIcon::SaveAs));
    closeList = Make(this, "&Close", QKeySequence(QStringLiteral("Ctrl+W")));
    exit = Make(this, "E&xit");
    undo = Make(this, "&Undo", {}, LoadShellIcon(ShellIcon::Undo));
    undo->setShortcuts({ QKeySequence(QStringLiteral("Ctrl+Z")), QKeySequence(QStringLiteral("Alt+Backspace")) });
    cut = Make(this, "Cu&t", {}, LoadShellIcon(ShellIcon::Cut));
    cut->setShortcuts({ QKeySequence(QStringLiteral("Ctrl+X")), QKeySequence(QStringLiteral("Shift+Delete")) });
    copy = Make(this, "&Copy", QKeySequence(QStringLiteral("Ctrl+C")), LoadShellIcon(ShellIcon::Copy));
    copy->setShortcuts({ QKeySequence(QStringLiteral("Ctrl+C")), QKeySequence(QStringLiteral("Ctrl+Insert")) });
    paste = Make(this, "&Paste", {}, LoadShellIcon(ShellIcon::Paste));
    paste->setShortcuts({ QKeySequence(QStringLiteral("Ctrl+V")), QKeySequence(QStringLiteral("Shift+Insert")) });
    remove = Make(this, "&Remove", QKeySequence(Qt::Key_Delete), LoadShellIcon(ShellIcon::Remove));
    trim = Make(this, "&Trim", {}, LoadShellIcon(ShellIcon::Trim));
    play = Make(this, "Play", QKeySequence(QStringLiteral("Ctrl+P")), LoadShellIcon(ShellIcon::Play));
    append = Make(this, "&Append...", {}, LoadShellIcon(ShellIcon::Open));
    showHistory
        = Make(this, "Show Play History", QKeySequence(QStringLiteral("Ctrl+H")), LoadShellIcon(ShellIcon::History));
    historyOnStartUp = Make(this, "Play History on Start-up");
    historyOnStartUp->setCheckable(true);
    accessPanel = Make(this, "&Access Panel");
    accessPanel->setCheckable(true);
    playerPanel = Make(this, "&Player Panel");
    playerPanel->setCheckable(true);
    archiveSettings = Make(this, "&Settings...", {}, LoadShellIcon(ShellIcon::Archive));
    archiveLogs = Make(this, "View &Logs...", {}, LoadShellIcon(ShellIcon::Archive));
    runScheduled = Make(this, "&Run Scheduled Now...", {}, LoadShellIcon(ShellIcon::Archive));
    encryption = Make(this, "&Encryption");
    useCallIndex = Make(this, "Use the Call &Index");
    useCallIndex->setCheckable(true);
    useCallIndex->setStatusTip(
        QStringLiteral("Lists read only the calls that are new or changed since they were last listed"));
    cascade = Make(this, "&Cascade");
    tile = Make(this, "Tile &Horizontal");
    tabbed = Make(this, "&Tabbed");
    nextPane = Make(this, "&Next Pane", QKeySequence(Qt::Key_F6));
    previousPane = Make(this, "&Previous Pane", QKeySequence(Qt::SHIFT | Qt::Key_F6));
    // The pane keys work whether or not a list (and so the Window menu) is there.
    window.addActions({ nextPane, previousPane });
    manual = Make(this, "Setup and Call Management ", QKeySequence(Qt::Key_F1));
    archiveManual = Make(this, "Stowmere");
    about = Make(this, "&About", {}, LoadShellIcon(ShellIcon::About));

    QMenuBar* bar = window.menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->addActions({ newList, open, create, save, saveAs, closeList });
    m_recent = file->addMenu(QStringLiteral("Recent File"));
    file->addSeparator();
    file->addAction(exit);
    m_edit = bar->addMenu(QStringLiteral("&Edit"));
    m_edit->addAction(undo);
    m_edit->addSeparator();
    m_edit->addActions({ cut, copy, paste, remove, trim });
    m_edit->addSeparator();
    m_edit->addAction(play);
    QMenu* tools = bar->addMenu(QStringLiteral("Tools"));
    QMenu* import = tools->addMenu(QStringLiteral("Import"));
    import->addAction(append);
    m_import = import->menuAction();
    tools->addActions({ showHistory, historyOnStartUp });
    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    view->addActions({ accessPanel, playerPanel });
    QMenu* settings = bar->addMenu(QStringLiteral("&Settings"));
    QMenu* archiving = settings->addMenu(QStringLiteral("&Stowmere"));
    archiving->addActions({ archiveSettings, archiveLogs, runScheduled });
    settings->addActions({ encryption, useCallIndex });
    m_window = bar->addMenu(QStringLiteral("&Window"));
    m_window->addActions({ cascade, tile, tabbed });
    m_window->addSeparator();
    m_window->addActions({ nextPane, previousPane });
    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->addActions({ manual, archiveManual, about });
}

void CMainMenus::Update(bool listOpen, bool callsSelected, bool clipboardHasFiles, bool historyShown, bool canUndo)
{
    for (QAction* action : { save, saveAs, closeList, m_import, m_edit->menuAction(), m_window->menuAction() })
        action->setVisible(listOpen);
    runScheduled->setVisible(listOpen);
    for (QAction* action : { cut, copy, remove, trim, play })
        action->setEnabled(listOpen && callsSelected);
    undo->setEnabled(listOpen && canUndo);
    paste->setEnabled(listOpen && clipboardHasFiles);
    historyOnStartUp->setChecked(historyShown);
}

void CMainMenus::SetRecentFiles(const QStringList& paths)
{
    m_recent->clear();
    int number = 0;
    for (const QString& path : paths) {
        QAction* item = m_recent->addAction(QStringLiteral("&%1 %2").arg(++number).arg(QFileInfo(path).fileName()));
        connect(item, &QAction::triggered, this, [this, path] { Q_EMIT RecentFileChosen(path); });
    }
    m_recent->setEnabled(!paths.isEmpty());
}

} // namespace qor

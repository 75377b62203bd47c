// The main window: recording lists as tabbed documents, the access panel on the left and the
// player panel at the bottom, the menus, and the routing of commands to the active list. It only
// wires the parts together; each part does its own work.
#pragma once

#include "lists/SearchCriteria.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <vector>

class QMdiArea;
class QMdiSubWindow;

namespace qor {

class CAccessPanel;
class CArchiveCommands;
class CListCompiler;
class CListWindow;
class CMainMenus;
struct CNamedSources;
class CPlayerPanel;
class CRecentFiles;

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    explicit CMainFrame(CRecentFiles& recentFiles, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // A new, empty custom list.
    CListWindow* NewList();
    CListWindow* OpenList(const QString& path);
    CListWindow* ActiveList() const;
    std::vector<CListWindow*> Lists() const;
    // "Show Play History": the open history list, or a new one filled from the play history.
    CListWindow* ShowPlayHistory();
    // Compiles the folders into a new list, as a folder picked in the access panel does.
    void CompileFolders(const QStringList& folders, bool askFirst);
    // Opens what the user named when starting the program: folders compiled into one list, lists
    // opened, one call loaded into the player or several into a new list; the rest named.
    void OpenNamed(const CNamedSources& named);
    CListCompiler& Compiler() { return *m_compiler; }
    CMainMenus& Menus() { return *m_menus; }
    CAccessPanel& AccessPanel() { return *m_accessPanel; }
    CPlayerPanel& PlayerPanel() { return *m_playerPanel; }
    CArchiveCommands& Archive() { return *m_archive; }
    void ShowStatus(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CListWindow* AddList(CListWindow* list);
    void ConnectList(CListWindow& list);
    void UpdateMenus();
    // Lists that share a name are told apart by a number, in the order they were opened.
    void NumberTwins();
    // F6 and Shift+F6: the focus goes to the next or previous pane (step +1 or -1).
    void FocusPane(int step);
    void TileHorizontally();
    void Create();
    void AppendList();
    void FindCalls(CListWindow& list);
    void PlayInNewList(const QStringList& paths);
    // With no list left, no call stays loaded for playing.
    void UnloadCall();
    // The access panel's trees: folders to compile, calls to play or list, calls to link.
    void ConnectAccessPanel();
    // Plays a call from the access panel, or says it could not.
    void PlayCall(const QString& path);
    // A new custom list holding the calls.
    void ListCalls(const QStringList& paths);
    // Archiving's menus and a list's archive menu, wired to the archiving commands.
    void ConnectArchiving();
    void ConnectListArchiving(CListWindow& list);
    // Calls an archive job deleted (code 2) or stripped of their audio (3), in every list and the player.
    void ShowArchivedOriginals(int code, const QStringList& paths);
    void RunArchiveWizard(CListWindow& list, int method);
    // Remembers a list file among the recent ones and shows it in File, Recent File at once.
    void AddRecentFile(const QString& path);
    // Settings, Encryption: with a new passphrase, every list reads again the calls it could not,
    // and the selected call is loaded; false when the dialog was cancelled.
    bool EnterPassphrase();
    void ShowAbout();

    CRecentFiles& m_recentFiles;
    QMdiArea* m_area;
    // The list last in front: the player follows a list brought to the front, not the window
    // being activated again (a call dropped on the player stays until another is chosen).
    QPointer<CListWindow> m_frontList;
    CAccessPanel* m_accessPanel;
    CPlayerPanel* m_playerPanel;
    CMainMenus* m_menus;
    CListCompiler* m_compiler;
    CArchiveCommands* m_archive;
};

} // namespace qor

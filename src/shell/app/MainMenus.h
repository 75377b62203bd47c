// The main window's menus and keys: every command as an action with its text, key and icon, laid
// out in the menus, and the rules that enable them. Items that only make sense with a list open
// (Save, the Edit menu, Import, the Window menu) are hidden while none is.
#pragma once

#include <QObject>

class QAction;
class QMainWindow;
class QMenu;

namespace qor {

class CMainMenus : public QObject {
    Q_OBJECT

public:
    explicit CMainMenus(QMainWindow& window);

    // Applies the update rules: what a list, its selection and the clipboard allow.
    void Update(bool listOpen, bool callsSelected, bool clipboardHasFiles, bool historyOnStartUp, bool canUndo);
    void SetRecentFiles(const QStringList& paths);

    QAction* newList;
    QAction* open;
    QAction* create;
    QAction* save;
    QAction* saveAs;
    QAction* closeList;
    QAction* exit;
    QAction* undo;
    QAction* cut;
    QAction* copy;
    QAction* paste;
    QAction* remove;
    QAction* trim;
    QAction* play;
    QAction* append;
    QAction* showHistory;
    QAction* historyOnStartUp;
    QAction* accessPanel;
    QAction* playerPanel;
    QAction* archiveSettings;
    QAction* archiveLogs;
    QAction* runScheduled;
    QAction* encryption;
    QAction* useCallIndex;
    QAction* cascade;
    QAction* tile;
    QAction* tabbed;
    QAction* nextPane;
    QAction* previousPane;
    QAction* manual;
    QAction* archiveManual;
    QAction* about;

Q_SIGNALS:
    void RecentFileChosen(const QString& path);

private:
    QMenu* m_recent;
    QMenu* m_edit;
    QMenu* m_window;
    QAction* m_import;
};

} // namespace qor

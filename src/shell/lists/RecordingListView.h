// One recording list in its window: the caption, a row of command buttons, the table of calls and
// the totals. It reads the calls from its list document, keeps the buttons in step with the
// selection and the administrator's restrictions, and carries out the commands on the calls.
#pragma once

#include "lists/SearchCriteria.h"

#include <QWidget>
#include <memory>
#include <utility>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QModelIndex;
class QToolButton;

namespace qor {

class CArchiveLogs;
class CListCallCommands;
class CQorTolvaneDoc;
class CRvFileListEntry;
class CRecordingListModel;
class CRecordingTable;
class IMailer;

class CQorTolvaneView : public QWidget {
    Q_OBJECT

public:
    enum Button {
        kPlay,
        kRefresh,
        kSearch,
        kMailWav,
        kMailNative,
        kExportWav,
        kExportNative,
        kMarkImportant,
        kUnmarkImportant,
        kAnnotate,
        kDelete,
        kArchive,
        kButtonCount
    };

    CQorTolvaneView(CQorTolvaneDoc& document, CArchiveLogs* archive, QWidget* parent = nullptr);
    ~CQorTolvaneView() override;

    // Shows the document as a list of the kind, for the folder: title and label, rows, the first
    // row selected, totals and buttons.
    void ShowList(int kind, const std::string& folder);
    // Sorts the calls, keeping the selected ones selected (the one loaded goes on playing).
    void SortBy(int column, bool naturalOrder);
    // The calls stay in the order they were given (a Find's results): no heading shows an arrow.
    void ShowUnsorted();
    // Calls were added: sorts them all again by the column and order last used and shows the list.
    void Resort();
    // ShowList, with the calls in the list's order first.
    void ShowSorted(int kind, const std::string& folder);
    void UpdateTotals();
    void UpdateButtons();

    std::vector<int> SelectedRows() const;
    QStringList SelectedPaths() const;
    void SelectRows(const std::vector<int>& rows);
    CRecordingTable& Table() { return *m_table; }
    QToolButton& CommandButton(Button button) { return *m_buttons[button]; }
    CListCallCommands& Commands() { return *m_commands; }
    QString Label() const;
    QString TotalsText() const;

    // The commands of the context menu and of the main window's Edit menu.
    void CopyToClipboard();
    bool PasteFromClipboard();
    // Adds the calls (read with the passphrase in the settings) as a custom list does.
    void AddCalls(const QStringList& paths);
    // Remove, Cut and Trim take rows out of the list (never the files); the last of them can be undone.
    void RemoveSelected();
    void CutToClipboard();
    void TrimToSelection();
    bool CanUndoRemoval() const { return !m_removed.empty(); }
    void UndoRemoval();
    void Play();
    // Makes the player hold this list's one selected call (stopping another that plays), or no
    // call when not exactly one is selected: the player never names a call the list does not.
    void LoadSelectedCall();
    // Space: pauses or goes on with the selected call, or starts it.
    void PlayOrPause();
    void Refresh();
    // Reads again the rows whose header could not be read (a passphrase may fit now), keeping
    // the selection.
    void RereadUnreadable();
    void DeleteSelected();

    // Another window changed a call (0 marked, 1 un-marked, 2 deleted): this list follows.
    void ApplyCallChange(int code, const std::string& path);
    // archive.log changed: the "Archived" column is shown again.
    void ShowArchiveChange();
    // Stores the columns' widths in the settings (saved at exit).
    void StoreColumnWidths();

Q_SIGNALS:
    void CallChanged(int code, const QString& path);
    // The archive menu: the wizard for a method (kArchiveDisk, kArchiveZip, kArchiveIso), and the
    // archiving commands the main window carries.
    void ArchiveWizardRequested(int method);
    void ArchiveLogsRequested();
    void RunScheduledRequested();
    void ArchiveSettingsRequested();
    // A list compiled by a search asks to be compiled again with the same criteria.
    void RerunSearch(const qor::SearchCriteria& criteria);
    // Several calls to play: they go into a new list of their own.
    void PlayInNewList(const QStringList& paths);
    // Calls to be linked into a group of calls for review the user picks.
    void AddToReviewRequested(const QStringList& paths);
    // Folders dropped on the list, to be searched into it.
    void FoldersDropped(const QStringList& folders);
    // The in-list finder's results, for a new list.
    void FindCallsRequested();
    // The call loaded for playing changed (or none is loaded any more); problem says why the
    // selected call could not be loaded ("<file>: <why>"), empty when nothing went wrong.
    void LoadedCallChanged(const QString& problem = {});
    // The user wants to enter the passphrase of an encrypted call, then play the selected one.
    void PassphraseWanted();
    // The list's kind, folder or entries changed, so the window's title may have to.
    void ListChanged();

private:
    void BuildButtons();
    void OnSelectionChanged();
    void OnHeaderClicked(int column);
    void ShowSortIndicator();
    // Shows the rows again in the document's order, with the entries selected (and the call
    // loaded kept if it is still the selected one).
    void ShowRowsSelecting(const std::vector<const CRvFileListEntry*>& entries);
    // Puts the document in the list's order, leaving the rows shown to the caller.
    void SortDocument();
    void OnPathsDropped(const QStringList& paths);
    void ShowContextMenu(const QPoint& where);
    void ShowArchiveMenu();
    void ReloadRows();
    void TakeRows(const std::vector<int>& rows);

    CQorTolvaneDoc& m_document;
    CRecordingListModel* m_model;
    CRecordingTable* m_table;
    CListCallCommands* m_commands;
    QLabel* m_caption;
    QLabel* m_calls;
    QLabel* m_important;
    QLabel* m_duration;
    QToolButton* m_buttons[kButtonCount] = {};
    std::vector<QMenu*> m_sendMenus; // e-mail as WAV and QOR, export to WAV and QOR, in button order
    std::vector<QAction*> m_bookmarkActions; // their "only Bookmark Area" items
    int m_sortColumn;
    bool m_naturalOrder = true;
    int m_headerSortColumn; // the header's own: starts at "Date + Time", order reversed
    bool m_headerNatural = false;
    bool m_reloading = false; // the rows are being put back: no call is loaded or unloaded meanwhile
    // The rows the last Remove, Cut or Trim took out, top first, for Undo.
    std::vector<std::pair<int, std::unique_ptr<CRvFileListEntry>>> m_removed;
    bool m_modifiedBeforeRemoval = false;
    int m_kind = 0;
    std::string m_folder;
};

} // namespace qor

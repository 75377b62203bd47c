// The main window's share in archiving: the menus and each list's archive menu reach the
// archiving commands, and what a job did shows in every list and the player.
#include "foundation/Singleton.h"
#include "playback/PlaybackManager.h"
#include "shell/app/MainMenus.h"
#include "shell/app/MainWindow.h"
#include "shell/archive/ArchiveCommands.h"
#include "shell/common/CallPath.h"
#include "shell/lists/ListWindow.h"
#include "shell/lists/RecordingListView.h"
#include "shell/player/PlayerPanel.h"

#include <QAction>

namespace qor {

void CMainFrame::ConnectArchiving()
{
    CMainMenus& menus = *m_menus;
    connect(menus.archiveSettings, &QAction::triggered, m_archive,
        [this] { m_archive->OpenSheet(CArchiveSheet::kSettingsPage); });
    connect(
        menus.archiveLogs, &QAction::triggered, m_archive, [this] { m_archive->OpenSheet(CArchiveSheet::kLogPage); });
    connect(menus.runScheduled, &QAction::triggered, m_archive, &CArchiveCommands::RunScheduledNow);
    connect(m_archive, &CArchiveCommands::CallsChanged, this, &CMainFrame::ShowArchivedOriginals);
    connect(m_archive, &CArchiveCommands::ArchiveLogChanged, this, [this] {
        for (CListWindow* list : Lists())
            list->View().ShowArchiveChange();
    });
}

void CMainFrame::ConnectListArchiving(CListWindow& list)
{
    CQorTolvaneView& view = list.View();
    connect(&view, &CQorTolvaneView::ArchiveWizardRequested, this,
        [this, &list](int method) { RunArchiveWizard(list, method); });
    connect(&view, &CQorTolvaneView::ArchiveLogsRequested, m_archive,
        [this] { m_archive->OpenSheet(CArchiveSheet::kLogPage); });
    connect(&view, &CQorTolvaneView::ArchiveSettingsRequested, m_archive,
        [this] { m_archive->OpenSheet(CArchiveSheet::kSettingsPage); });
    connect(&view, &CQorTolvaneView::RunScheduledRequested, m_archive, &CArchiveCommands::RunScheduledNow);
}

void CMainFrame::RunArchiveWizard(CListWindow& list, int method)
{
    CWizardCalls calls;
    for (const auto& entry : list.Document().Entries())
        calls.all.push_back(entry->GetPath());
    for (const int row : list.View().SelectedRows())
        calls.selected.push_back(list.Document().GetEntry(row)->GetPath());
    calls.listFolder = list.Document().GetFolder();
    m_archive->RunWizard(std::move(calls), method);
}

void CMainFrame::ShowArchivedOriginals(int code, const QStringList& paths)
{
    auto playback = Singleton<CPlaybackManager>::Instance();
    const QString loaded = QString::fromStdString(playback->GetRecording().GetPath());
    if (paths.contains(loaded))
        UnloadCall(); // the player lets go of a call whose file went or changed
    for (const QString& path : paths)
        for (CListWindow* list : Lists())
            list->View().ApplyCallChange(code, PathFromQString(path));
    m_playerPanel->ShowLoadedCall();
}

} // namespace qor

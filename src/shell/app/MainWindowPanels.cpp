// The main window's share in the access panel: folders from the shortcuts and the explorer are
// compiled into new lists, calls for review are played or listed, and the player and the lists
// link calls into calls for review.
#include "foundation/Singleton.h"
#include "playback/PlaybackManager.h"
#include "shell/app/MainWindow.h"
#include "shell/common/CallPath.h"
#include "shell/lists/ListWindow.h"
#include "shell/lists/RecordingListView.h"
#include "shell/panels/AccessPanel.h"
#include "shell/panels/explorer/ExplorerPage.h"
#include "shell/panels/review/CallsForReviewPage.h"
#include "shell/panels/shortcuts/ShortcutsPage.h"
#include "shell/player/PlayerForm.h"
#include "shell/player/PlayerPanel.h"

#include <QApplication>
#include <QMessageBox>

namespace qor {

void CMainFrame::ConnectAccessPanel()
{
    const auto compile = [this](const QStringList& folders) { CompileFolders(folders, true); };
    connect(&m_accessPanel->Shortcuts(), &CShortcutsPage::CompileRequested, this, compile);
    connect(&m_accessPanel->Explorer(), &CExplorerPage::CompileRequested, this, compile);
    CCallsForReviewPage& review = m_accessPanel->CallsForReview();
    connect(&review, &CCallsForReviewPage::PlayRequested, this, &CMainFrame::PlayCall);
    connect(&review, &CCallsForReviewPage::RecordingListRequested, this, &CMainFrame::ListCalls);
    connect(&m_playerPanel->Form(), &CPlayerForm::AddToReviewRequested, &review,
        [&review](const QString& path) { review.AddCallsWithPicker({ path }); });
}

void CMainFrame::PlayCall(const QString& path)
{
    m_playerPanel->Form().PlayPath(PathFromQString(path));
    if (!Singleton<CPlaybackManager>::Instance()->IsOpen())
        QMessageBox::warning(
            this, QApplication::applicationDisplayName(), QStringLiteral("No files have been selected to play."));
}

void CMainFrame::ListCalls(const QStringList& paths)
{
    NewList()->View().AddCalls(paths);
}

} // namespace qor

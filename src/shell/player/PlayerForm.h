// The player panel's contents: the loaded call's title, date and time, duration and elapsed time,
// its four state icons, the scope, the transport and bookmark buttons and the file menu. A timer
// keeps the elapsed time and the scope's position up to date and stops the call at its end. The
// rules of the buttons live in the core (CPlayerTransport, CBookmarkMarks); this shows them.
#pragma once

#include "playback/BookmarkMarks.h"
#include "playback/PlayerTransport.h"
#include "shell/lists/CallExport.h"

#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QToolButton;

namespace qor {

class CListeningControls;
class COutputScope;
class CPlaybackManager;
class CRvRecordFileHdr;
class CStateIcon;

class CPlayerForm : public QWidget {
    Q_OBJECT

public:
    static constexpr int kTickMs = 200;
    static constexpr std::int32_t kShortStep = 80'000; // ten seconds
    static constexpr std::int32_t kLongStep = 240'000; // thirty seconds

    explicit CPlayerForm(QWidget* parent = nullptr);

    // Shows what the playback manager holds now, or why the selected call could not be loaded.
    void Refresh(const QString& problem = {});
    void PlayStep();
    void PauseStep();
    void StopStep();
    void Step(std::int32_t samples);
    void Eject();
    // Loads a call (ejecting the one loaded) and plays it once it can.
    void PlayPath(const std::string& path);
    void ShowHistory();
    // Asks the access panel to link the loaded call into a group of calls for review.
    void AddToReview();
    // The calls played since the program started, each once, in the order of their first play.
    const std::vector<std::string>& PlayedThisRun() const { return m_played; }

    // The "File Details" menu, which the button opens.
    QMenu& FileMenu() { return *m_fileMenu; }
    COutputScope& Scope() { return *m_scope; }
    CListeningControls& Listening() { return *m_listening; }
    QString ElapsedText() const;

Q_SIGNALS:
    // The loaded call changed in its file: 0 marked important, 1 un-marked, 3 bookmark.
    void CallChanged(int code, const QString& path);
    void AddToReviewRequested(const QString& path);
    // A call started playing (for the play history).
    void Played(const QString& path);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    static CPlaybackManager& Playback();
    void NotePlayed();
    void RememberPlayed(const std::string& path);
    QToolButton* AddButton(const QString& name, const QIcon& icon, const QString& tip, void (CPlayerForm::*action)());
    void BuildMenu();
    void Tick();
    void ShowPosition();
    static void ShowValue(QLabel* value, const QString& text);
    void EnableControls();
    void ShowBookmarkStep();
    void ApplyBookmark(const CBookmarkMarks::Change& change);
    // Changes the loaded call's header in its file (only while it is the file loaded); a failure
    // names the call and why, and is false. written has the header as the file now holds it.
    bool ChangeLoadedHeader(
        const QString& heading, const std::function<void(CRvRecordFileHdr&)>& change, CRvRecordFileHdr& written);
    void MarkImportant(bool important);
    // The panel's header: one line, cut in the middle with "…" to the room there is; the whole
    // text is its tooltip and what a screen reader reads.
    void ShowTitle(const QString& text);
    void ElideTitle();
    void UpdateFileMenu();
    void Send(bool mail, CCallExport::Format format, CCallExport::Part part);
    void DeleteCall();

    CPlayerTransport m_transport;
    CBookmarkMarks m_marks;
    QLabel* m_title;
    QString m_titleText;
    QLabel* m_dateTime;
    QLabel* m_duration;
    QLabel* m_elapsed;
    CStateIcon* m_importantIcon;
    CStateIcon* m_commentIcon;
    CStateIcon* m_bookmarkIcon;
    CStateIcon* m_encryptedIcon;
    COutputScope* m_scope;
    CListeningControls* m_listening = nullptr;
    QToolButton* m_back30 = nullptr;
    QToolButton* m_back10 = nullptr;
    QToolButton* m_play = nullptr;
    QToolButton* m_pause = nullptr;
    QToolButton* m_stop = nullptr;
    QToolButton* m_forward10 = nullptr;
    QToolButton* m_forward30 = nullptr;
    QToolButton* m_markStart = nullptr;
    QToolButton* m_markEnd = nullptr;
    QToolButton* m_markClear = nullptr;
    QToolButton* m_fileDetails = nullptr;
    QToolButton* m_addToReview = nullptr;
    QToolButton* m_history = nullptr;
    QMenu* m_fileMenu = nullptr;
    std::vector<QAction*> m_sendActions; // Send and Convert, whole call
    std::vector<QAction*> m_bookmarkSendActions;
    QAction* m_deleteAction = nullptr;
    CCallExport* m_export;
    QTimer m_timer;
    std::string m_shownPath; // the call the scope shows
    std::vector<std::string> m_played;
    int m_startAttempts = 0; // while a call loaded for playing decodes its first minute
};

} // namespace qor

#include "shell/player/PlayerForm.h"

#include "foundation/LocaleFormat.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "playback/PlaybackManager.h"
#include "recording/Bookmark.h"
#include "shell/common/CallPath.h"
#include "shell/lists/FailureMessages.h"
#include "shell/player/HistoryDialog.h"
#include "shell/player/ListeningControls.h"
#include "shell/player/OutputScope.h"
#include "shell/player/StateIcon.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace qor {

CPlaybackManager& CPlayerForm::Playback()
{
    return *Singleton<CPlaybackManager>::Instance();
}

CPlayerForm::CPlayerForm(QWidget* parent)
    : QWidget(parent)
    , m_transport(Playback())
    , m_title(new QLabel(this))
    , m_dateTime(new QLabel(this))
    , m_duration(new QLabel(this))
    , m_elapsed(new QLabel(QStringLiteral("00:00:00"), this))
    , m_importantIcon(new CStateIcon(
          QStringLiteral("ImportantState"), QStringLiteral("Important"), QStringLiteral("important"), this))
    , m_commentIcon(
          new CStateIcon(QStringLiteral("CommentState"), QStringLiteral("Comment"), QStringLiteral("comment"), this))
    , m_bookmarkIcon(
          new CStateIcon(QStringLiteral("BookmarkState"), QStringLiteral("Bookmark"), QStringLiteral("bookmark"), this))
    , m_encryptedIcon(new CStateIcon(
          QStringLiteral("EncryptedState"), QStringLiteral("Encrypted"), QStringLiteral("encrypted"), this))
    , m_scope(new COutputScope(this))
    , m_export(new CCallExport(*this))
{
    setObjectName(QStringLiteral("PlayerForm"));
    setMinimumSize(650, 220);
    setAcceptDrops(true);
    m_title->setObjectName(QStringLiteral("LoadedCall"));
    m_title->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    m_title->setFocusPolicy(Qt::StrongFocus); // F6 reaches the panel, and a screen reader reads the call
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_title->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred); // a long name never widens the panel
    m_dateTime->setObjectName(QStringLiteral("DateAndTime"));
    m_duration->setObjectName(QStringLiteral("Duration"));
    m_elapsed->setObjectName(QStringLiteral("Elapsed"));

    auto* details = new QHBoxLayout;
    details->addWidget(m_title, 1);
    const auto labelled = [&](const QString& caption, QLabel* value) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(value);
        value->setProperty("caption", caption.chopped(1));
        value->setAccessibleName(caption.chopped(1));
        details->addWidget(label);
        details->addWidget(value);
        details->addSpacing(12);
    };
    labelled(QStringLiteral("Date and Time:"), m_dateTime);
    labelled(QStringLiteral("Duration:"), m_duration);
    labelled(QStringLiteral("Elapsed:"), m_elapsed);
    for (CStateIcon* icon : { m_importantIcon, m_commentIcon, m_bookmarkIcon, m_encryptedIcon })
        details->addWidget(icon);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    // Icons of their own: the style's media icons are faint, and these read on light and dark.
    const auto bundled
        = [](const char* name) { return QIcon(QStringLiteral("icons:%1.svg").arg(QLatin1String(name))); };
    const QIcon bookmark(QStringLiteral("icons:bookmark.svg"));
    m_back30 = AddButton(QStringLiteral("Back 30 seconds"), bundled("back-30"),
        QStringLiteral("Step the call back 30 seconds (Shift+Left)"), nullptr);
    m_back10 = AddButton(QStringLiteral("Back 10 seconds"), bundled("back-10"),
        QStringLiteral("Step the call back 10 seconds (Left)"), nullptr);
    m_play = AddButton(QStringLiteral("Play"), bundled("play"), QStringLiteral("Play the call (Space, Ctrl+Space)"),
        &CPlayerForm::PlayStep);
    m_pause = AddButton(QStringLiteral("Pause"), bundled("pause"),
        QStringLiteral("Pause playback of the call (Space, Ctrl+Space)"), &CPlayerForm::PauseStep);
    m_stop = AddButton(
        QStringLiteral("Stop"), bundled("stop"), QStringLiteral("Stop playing the call"), &CPlayerForm::StopStep);
    m_forward10 = AddButton(QStringLiteral("Forward 10 seconds"), bundled("forward-10"),
        QStringLiteral("Step the call forward 10 seconds (Right)"), nullptr);
    m_forward30 = AddButton(QStringLiteral("Forward 30 seconds"), bundled("forward-30"),
        QStringLiteral("Step the call forward 30 seconds (Shift+Right)"), nullptr);
    m_markStart = AddButton(QStringLiteral("Bookmark start"), bookmark,
        QStringLiteral("Bookmark the call: mark where the part starts (Ctrl+B, [)"), nullptr);
    m_markEnd = AddButton(QStringLiteral("Bookmark end"), bookmark,
        QStringLiteral("Bookmark the call: mark where the part ends (Ctrl+B, ])"), nullptr);
    m_markClear = AddButton(QStringLiteral("Clear bookmark"), bookmark,
        QStringLiteral("Bookmark the call: clear the bookmark (Ctrl+B)"), nullptr);
    m_markStart->setText(QStringLiteral("Start"));
    m_markEnd->setText(QStringLiteral("End"));
    m_markClear->setText(QStringLiteral("Clear"));
    int markWidth = 0;
    for (QToolButton* button : { m_markStart, m_markEnd, m_markClear }) {
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        markWidth = std::max(markWidth, button->sizeHint().width());
    }
    // One width for the three, so the tools beside them stay put as the bookmark steps on.
    for (QToolButton* button : { m_markStart, m_markEnd, m_markClear })
        button->setFixedWidth(markWidth);
    m_listening = new CListeningControls(this); // here, so Tab reaches it between the bookmark and the file
    m_fileDetails = AddButton(QStringLiteral("File Details"), bundled("file-details"),
        QStringLiteral("File Details: mark, send, convert, delete, eject"), nullptr);
    m_addToReview = AddButton(QStringLiteral("Add to Calls for Review"), bundled("add-to-review"),
        QStringLiteral("Add the call to Calls for Review"), &CPlayerForm::AddToReview);
    m_history = AddButton(QStringLiteral("History"), bundled("history"),
        QStringLiteral("The calls played since the program started"), &CPlayerForm::ShowHistory);
    const std::pair<QToolButton*, std::int32_t> steps[] = { { m_back30, -kLongStep }, { m_back10, -kShortStep },
        { m_forward10, kShortStep }, { m_forward30, kLongStep } };
    for (const auto& [button, samples] : steps)
        connect(button, &QToolButton::clicked, this, [this, samples = samples] { Step(samples); });
    connect(m_markStart, &QToolButton::clicked, this, [this] { ApplyBookmark(m_marks.Press(m_transport.Position())); });
    connect(m_markEnd, &QToolButton::clicked, this, [this] { ApplyBookmark(m_marks.Press(m_transport.Position())); });
    connect(m_markClear, &QToolButton::clicked, this, [this] { ApplyBookmark(m_marks.Press(m_transport.Position())); });
    const std::initializer_list<QWidget*> groups[]
        = { { m_back30, m_back10, m_play, m_pause, m_stop, m_forward10, m_forward30 },
              { m_markStart, m_markEnd, m_markClear }, { m_listening }, { m_fileDetails, m_addToReview, m_history } };
    for (const auto& group : groups) {
        for (QWidget* widget : group)
            buttons->addWidget(widget);
        buttons->addSpacing(16);
    }
    buttons->addStretch(1);
    BuildMenu();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addLayout(details);
    layout->addWidget(m_scope, 1);
    layout->addLayout(buttons);

    m_listening->setObjectName(QStringLiteral("ListeningTools"));
    // A new panel starts at normal speed with nothing skipped, whatever a panel before chose.
    Playback().SetSpeed(m_listening->Speed());
    Playback().SetSkipSilence(m_listening->SkipsSilence());
    connect(m_listening, &CListeningControls::SpeedChosen, this, [this](double speed) {
        m_transport.SetSpeed(speed);
        ShowPosition();
    });
    connect(m_listening, &CListeningControls::SkipSilenceChosen, this, [this](bool skip) {
        m_transport.SetSkipSilence(skip);
        ShowPosition();
    });
    connect(m_scope, &COutputScope::SeekRequested, this, [this](std::int32_t sample) {
        if (m_transport.SeekTo(sample))
            ShowPosition();
    });
    // Keys of the panel: they act while the focus is in it, so the lists keep theirs.
    const auto key = [this](const QKeySequence& sequence, auto action) {
        auto* shortcut = new QShortcut(sequence, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, action);
    };
    const auto playOrPause = [this] { m_transport.IsPlaying() ? PauseStep() : PlayStep(); };
    key(QKeySequence(Qt::Key_Space), [this, playOrPause] {
        // A focused button or list of the panel takes Space as its own, as everywhere else.
        QWidget* focused = QApplication::focusWidget();
        if (auto* button = qobject_cast<QAbstractButton*>(focused); button && isAncestorOf(button))
            button->click();
        else if (auto* choice = qobject_cast<QComboBox*>(focused); choice && isAncestorOf(choice))
            choice->showPopup();
        else
            playOrPause();
    });
    key(QKeySequence(Qt::CTRL | Qt::Key_Space), playOrPause);
    key(QKeySequence(Qt::Key_Left), [this] { Step(-kShortStep); });
    key(QKeySequence(Qt::Key_Right), [this] { Step(kShortStep); });
    key(QKeySequence(Qt::SHIFT | Qt::Key_Left), [this] { Step(-kLongStep); });
    key(QKeySequence(Qt::SHIFT | Qt::Key_Right), [this] { Step(kLongStep); });
    key(QKeySequence(Qt::Key_Home), [this] {
        if (m_transport.SeekTo(0))
            ShowPosition();
    });
    key(QKeySequence(Qt::Key_End), [this] {
        if (m_transport.SeekTo(std::max(m_transport.SampleCount() - 1, 0)))
            ShowPosition();
    });
    key(QKeySequence(Qt::CTRL | Qt::Key_B), [this] { ApplyBookmark(m_marks.Press(m_transport.Position())); });
    key(QKeySequence(Qt::Key_BracketLeft), [this] { ApplyBookmark(m_marks.MarkStart(m_transport.Position())); });
    key(QKeySequence(Qt::Key_Greater), [this] { m_listening->Faster(); });
    key(QKeySequence(Qt::Key_Less), [this] { m_listening->Slower(); });
    key(QKeySequence(Qt::Key_S), [this] { m_listening->ToggleSkipSilence(); });
    key(QKeySequence(Qt::Key_BracketRight), [this] { ApplyBookmark(m_marks.MarkEnd(m_transport.Position())); });

    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &CPlayerForm::Tick);
    m_timer.start();
    Refresh();
}

QToolButton* CPlayerForm::AddButton(
    const QString& name, const QIcon& icon, const QString& tip, void (CPlayerForm::*action)())
{
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setAccessibleName(name);
    button->setIcon(icon);
    button->setIconSize(QSize(20, 20));
    button->setToolTip(tip);
    button->setAutoRaise(true);
    // A click gives the panel the focus, so its keys act next rather than the list's.
    button->setFocusPolicy(Qt::StrongFocus);
    if (action)
        connect(button, &QToolButton::clicked, this, action);
    return button;
}

void CPlayerForm::Refresh(const QString& problem)
{
    CPlaybackManager& playback = Playback();
    if (!playback.IsOpen()) {
        ShowTitle(problem.isEmpty() ? QStringLiteral("No call loaded.") : problem);
        ShowValue(m_dateTime, {});
        ShowValue(m_duration, {});
        ShowValue(m_elapsed, QStringLiteral("00:00:00"));
        m_marks.Reset();
        m_scope->SetRecording(nullptr);
        m_shownPath.clear();
        for (CStateIcon* icon : { m_importantIcon, m_commentIcon, m_bookmarkIcon, m_encryptedIcon })
            icon->Show(false);
        EnableControls();
        return;
    }
    const CRvRecordFile& recording = playback.GetRecording();
    const CRvRecordFileHdr& header = recording.GetHeader();
    const QFileInfo file(QString::fromStdString(recording.GetPath()));
    ShowTitle(QStringLiteral("File - %1.qor").arg(file.completeBaseName()));
    ShowValue(m_dateTime, header.DisplayTime() == 0 ? QString() : QString::fromStdString(header.FormatStartTime()));
    ShowValue(m_duration, QString::fromStdString(header.FormatDuration()));
    int start = -1, end = -1;
    const bool stored = recording.GetBookmark(start, end);
    m_marks.Load(stored, start, end);
    if (m_shownPath != recording.GetPath()) // the same call shown again keeps its zoom
        m_scope->SetRecording(&recording);
    m_shownPath = recording.GetPath();
    m_scope->SetBookmark(m_marks.Start(), m_marks.End());
    m_importantIcon->Show(header.Important() != 0);
    m_commentIcon->Show(!CommentWholeView(header.Comment()).empty());
    m_bookmarkIcon->Show(stored && start >= 0 && end > start);
    m_encryptedIcon->Show(header.IsEncrypted());
    ShowPosition();
    NotePlayed();
    EnableControls();
}

void CPlayerForm::PlayStep()
{
    if (!Playback().IsOpen())
        return;
    m_transport.Play();
    // Remembered even when the call could not start yet: it was asked for.
    const std::string path = Playback().GetRecording().GetPath();
    RememberPlayed(path);
    Q_EMIT Played(PathToQString(path));
    EnableControls();
}

void CPlayerForm::NotePlayed()
{
    // Calls started elsewhere (a list's Play) join the run's list too.
    if (m_transport.IsPlaying())
        RememberPlayed(Playback().GetRecording().GetPath());
}

void CPlayerForm::RememberPlayed(const std::string& path)
{
    if (std::find(m_played.begin(), m_played.end(), path) == m_played.end())
        m_played.push_back(path);
}

void CPlayerForm::PlayPath(const std::string& path)
{
    Eject();
    Playback().OpenRecording(path);
    QString failure;
    if (!Playback().IsOpen()) {
        // Why, in words the user can act on: missing, empty, not a recording, its sound removed...
        CRvRecordFileHdr header;
        const int loaded = header.Load(path, Singleton<CSettings>::Instance()->GetPassphrase());
        failure = QStringLiteral("%1: cannot be played: %2")
                      .arg(PathToQString(path), QString::fromStdString(WhyUnreadable(path, header, loaded)));
    }
    Refresh(failure);
    m_startAttempts = 0;
    const auto start = [this] {
        CPlaybackManager& playback = Playback();
        if (!playback.IsOpen())
            return true;
        if (!playback.GetRecording().IsReady() && ++m_startAttempts < 600)
            return false; // asked again shortly: the start of a long call is still decoding
        PlayStep();
        return true;
    };
    if (start())
        return;
    auto* poll = new QTimer(this);
    poll->setInterval(50);
    connect(poll, &QTimer::timeout, this, [poll, start] {
        if (start())
            poll->deleteLater();
    });
    poll->start();
}

void CPlayerForm::AddToReview()
{
    if (Playback().IsOpen())
        Q_EMIT AddToReviewRequested(PathToQString(Playback().GetRecording().GetPath()));
}

void CPlayerForm::ShowHistory()
{
    CHistoryDialog dialog(m_played, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_played = dialog.Played();
    EnableControls();
    if (!dialog.ToPlay().empty())
        PlayPath(dialog.ToPlay());
}

void CPlayerForm::PauseStep()
{
    m_transport.Pause();
    EnableControls();
}

void CPlayerForm::StopStep()
{
    m_transport.Stop();
    ShowPosition();
    EnableControls();
}

void CPlayerForm::Step(std::int32_t samples)
{
    m_transport.Step(samples);
    ShowPosition();
    EnableControls();
}

void CPlayerForm::Eject()
{
    m_transport.Stop();
    Playback().CloseRecording();
    Refresh();
}

void CPlayerForm::ShowValue(QLabel* value, const QString& text)
{
    // A screen reader reads the name: the caption with the value, as it is seen.
    const QString caption = value->property("caption").toString();
    const QString name = text.isEmpty() ? caption : caption + QStringLiteral(" ") + text;
    if (value->text() != text)
        value->setText(text);
    if (value->accessibleName() != name)
        value->setAccessibleName(name);
}

QString CPlayerForm::ElapsedText() const
{
    return m_elapsed->text();
}

void CPlayerForm::Tick()
{
    if (!Playback().IsOpen())
        return;
    NotePlayed();
    if (m_transport.StopAtEnd())
        EnableControls();
    ShowPosition();
}

void CPlayerForm::ShowPosition()
{
    const std::int32_t position = m_transport.Position();
    ShowValue(m_elapsed, QString::fromStdString(FormatHhMmSs(position / CPlayerTransport::kSamplesPerSecond)));
    m_scope->SetPosition(position);
    static const std::vector<CCallStretch> kNothingSkipped;
    m_scope->SetSkipped(Playback().GetSkipSilence() ? Playback().GetQuietStretches() : kNothingSkipped);
}

void CPlayerForm::EnableControls()
{
    CPlaybackManager& playback = Playback();
    const bool open = playback.IsOpen();
    const bool playing = m_transport.IsPlaying();
    for (QToolButton* button : { m_back30, m_back10, m_play, m_pause, m_forward10, m_forward30, m_markStart, m_markEnd,
             m_markClear, m_fileDetails })
        button->setEnabled(open);
    m_stop->setEnabled(open && (playing || m_transport.IsPaused()));
    m_play->setVisible(!playing);
    m_pause->setVisible(playing);
    m_addToReview->setEnabled(open);
    m_history->setEnabled(open || !m_played.empty()); // its list may be empty, the dialog says so
    ShowBookmarkStep();
}

void CPlayerForm::ShowTitle(const QString& text)
{
    // A name may hold line breaks and other control characters: shown as one line, never two.
    m_titleText = text;
    for (QChar& c : m_titleText)
        if (c.category() == QChar::Other_Control)
            c = QChar::ReplacementCharacter;
    m_title->setToolTip(m_titleText);
    m_title->setAccessibleName(m_titleText);
    ElideTitle();
}

void CPlayerForm::ElideTitle()
{
    m_title->setText(m_title->fontMetrics().elidedText(m_titleText, Qt::ElideMiddle, std::max(m_title->width(), 1)));
}

void CPlayerForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ElideTitle();
}

void CPlayerForm::ShowBookmarkStep()
{
    m_markStart->setVisible(m_marks.Next() == CBookmarkMarks::Step::Start);
    m_markEnd->setVisible(m_marks.Next() == CBookmarkMarks::Step::End);
    m_markClear->setVisible(m_marks.Next() == CBookmarkMarks::Step::Clear);
}

void CPlayerForm::ApplyBookmark(const CBookmarkMarks::Change& change)
{
    CPlaybackManager& playback = Playback();
    if (!playback.IsOpen())
        return;
    m_scope->SetBookmark(m_marks.Start(), m_marks.End());
    ShowBookmarkStep();
    if (!change.store)
        return;
    CRvRecordFile& recording = playback.GetRecording();
    CRvRecordFileHdr written;
    const bool stored = ChangeLoadedHeader(
        QStringLiteral("The bookmark could not be stored:"),
        [&change](CRvRecordFileHdr& read) { read.WriteBookmark(change.startSeconds, change.endSeconds); }, written);
    if (!stored) {
        Refresh(); // the panel shows again what the file holds
        return;
    }
    // The comment as the file has it now, another program's changes included.
    recording.GetHeader().SetComment(written.Comment());
    int start = -1, end = -1;
    m_bookmarkIcon->Show(written.ParseBookmark(start, end) && start >= 0 && end > start);
    Q_EMIT CallChanged(3, PathToQString(recording.GetPath()));
}

} // namespace qor

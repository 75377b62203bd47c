// The player panel as a user drives it: the transport and its rules at the ends of a call, the
// stop at the end, the bookmark buttons and keys, the important mark, and the scope, through the
// real main window on the offscreen platform.
#include "MainWindowFixture.h"
#include "foundation/Settings.h"
#include "recording/Bookmark.h"
#include "recording/HeaderUpdate.h"
#include "recording/RecordFileHdr.h"
#include "samplegen/SampleRecording.h"
#include "samplegen/SpeechSignal.h"
#include "shell/app/MainMenus.h"
#include "shell/dialogs/AnnotateDialog.h"
#include "shell/lists/RecordingListView.h"
#include "shell/player/HistoryDialog.h"
#include "shell/player/ListeningControls.h"
#include "shell/player/OutputScope.h"
#include "shell/player/PlayerForm.h"
#include "support/WidgetTesting.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <filesystem>
#include <functional>

namespace qor {
namespace {

namespace fs = std::filesystem;

constexpr std::int32_t kSecond = 8000;

class PlayerPanel : public CMainWindowFixture {
protected:
    // Compiles the folder, selects the call in the list and waits until it can play.
    CListWindow& Load(const std::string& name, int seconds)
    {
        Call(name, seconds);
        CListWindow& list = Compile(calls.File("calls"));
        list.View().SelectRows({ 0 });
        EXPECT_TRUE(test::RunEventsUntil([] { return !Playback().GetRecording().IsDecoding(); }, 10'000));
        return list;
    }

    static CPlaybackManager& Playback() { return *Singleton<CPlaybackManager>::Instance(); }
    CPlayerForm& Form() { return *frame->findChild<CPlayerForm*>(); }
    QToolButton& Button(const QString& name) { return *Form().findChild<QToolButton*>(name); }
    void SeekTo(std::int32_t sample) { Q_EMIT Form().Scope().SeekRequested(sample); }

    static bool StoredBookmark(const std::string& path, int& start, int& end)
    {
        CRvRecordFileHdr header;
        return header.Load(path, "") > 0 && header.ParseBookmark(start, end);
    }
};

TEST_F(PlayerPanel, StepsPastEitherEndStopAndRewindAndACallPlayedToItsEndPlaysAgain)
{
    Load("minute.qor", 60);
    CPlayerForm& form = Form();
    ASSERT_TRUE(Playback().IsOpen());
    EXPECT_TRUE(
        form.findChild<QLabel*>(QStringLiteral("LoadedCall"))->accessibleName() == QStringLiteral("File - minute.qor"));
    EXPECT_TRUE(Button(QStringLiteral("History")).isEnabled()) << "with a call loaded, before anything played";
    // A long name with a line break in it: one line, cut with "…", whole for a screen reader.
    form.PlayPath(calls.Write("elsewhere/" + std::string(200, 'n') + "\nsecond line.qor", samplegen::CSampleCall{}));
    auto* title = form.findChild<QLabel*>(QStringLiteral("LoadedCall"));
    EXPECT_TRUE(title->text().contains(QChar(0x2026)) && !title->text().contains(QLatin1Char('\n')))
        << title->text().toStdString();
    EXPECT_TRUE(title->accessibleName().endsWith(QStringLiteral("\uFFFDsecond line.qor")));
    Load("minute.qor", 60);
    EXPECT_FALSE(Button(QStringLiteral("Stop")).isEnabled()) << "a call that is not playing";

    SeekTo(20 * kSecond);
    EXPECT_EQ(form.ElapsedText(), QStringLiteral("00:00:20"));
    QTest::mouseClick(&Button(QStringLiteral("Back 30 seconds")), Qt::LeftButton);
    EXPECT_EQ(Playback().GetPosition(), 0) << "back 30 s at 20 s stops and rewinds";
    EXPECT_EQ(form.ElapsedText(), QStringLiteral("00:00:00"));

    SeekTo(55 * kSecond);
    QTest::mouseClick(&Button(QStringLiteral("Forward 10 seconds")), Qt::LeftButton);
    EXPECT_EQ(Playback().GetPosition(), 0) << "forward 10 s with 5 s left stops and rewinds";
    QTest::mouseClick(&Button(QStringLiteral("Forward 30 seconds")), Qt::LeftButton);
    EXPECT_EQ(Playback().GetPosition(), 30 * kSecond);

    // Played (fifty times faster than real time) to its end, the call stops, and Play starts it again.
    QTest::mouseClick(&Button(QStringLiteral("Play")), Qt::LeftButton);
    ASSERT_TRUE(Playback().IsPlaying());
    EXPECT_TRUE(Button(QStringLiteral("Pause")).isVisible());
    EXPECT_FALSE(Button(QStringLiteral("Play")).isVisible());
    QTest::mouseClick(&Button(QStringLiteral("Back 10 seconds")), Qt::LeftButton);
    EXPECT_TRUE(Playback().IsPlaying()) << "a step keeps a playing call playing";
    ASSERT_TRUE(test::RunEventsUntil([] { return !Playback().IsPlaying(); }, 5'000)) << "stopped at the end";
    EXPECT_EQ(Playback().GetPosition(), 0);
    EXPECT_TRUE(Button(QStringLiteral("Play")).isVisible());
    QTest::mouseClick(&Button(QStringLiteral("Play")), Qt::LeftButton);
    EXPECT_TRUE(Playback().IsPlaying()) << "Play after the end starts the call again";
    QTest::mouseClick(&Button(QStringLiteral("Pause")), Qt::LeftButton);
    EXPECT_TRUE(Playback().IsPaused());
    EXPECT_TRUE(Button(QStringLiteral("Stop")).isEnabled());
    QTest::mouseClick(&Button(QStringLiteral("Stop")), Qt::LeftButton);
    EXPECT_FALSE(Playback().IsPaused());
    EXPECT_EQ(Playback().GetPosition(), 0);
    EXPECT_FALSE(Button(QStringLiteral("Stop")).isEnabled());
}

TEST_F(PlayerPanel, ABookmarkAndAMarkSetInThePanelReachTheFileAndEveryListThatShowsTheCall)
{
    CListWindow& first = Load("call.qor", 40);
    CListWindow& second = Compile(calls.File("calls"));
    const std::string path = first.Document().GetEntry(0)->GetPath();
    first.View().SelectRows({ 0 });
    // The second list loaded the call again: its waveform is there once it is decoded.
    ASSERT_TRUE(test::RunEventsUntil([] { return !Playback().GetRecording().IsDecoding(); }, 10'000));
    CPlayerForm& form = Form();
    int start = -1, end = -1;

    SeekTo(25 * kSecond);
    QTest::mouseClick(&Button(QStringLiteral("Bookmark start")), Qt::LeftButton);
    EXPECT_FALSE(Button(QStringLiteral("Bookmark start")).isVisible());
    SeekTo(5 * kSecond);
    QTest::mouseClick(&Button(QStringLiteral("Bookmark end")), Qt::LeftButton);
    ASSERT_TRUE(StoredBookmark(path, start, end));
    EXPECT_EQ(start, 5) << "an end before the start swaps them";
    EXPECT_EQ(end, 25);
    EXPECT_TRUE(Button(QStringLiteral("Clear bookmark")).isVisible());
    for (CListWindow* list : { &first, &second })
        EXPECT_TRUE(list->Document().GetEntry(0)->HasBookmark()) << "the BM column of every open list";
    EXPECT_TRUE(Button(QStringLiteral("Play")).isEnabled());
    EXPECT_FALSE(Button(QStringLiteral("Stop")).isEnabled());
    QTest::qWait(50); // the lists' totals are laid out again before the picture is taken
    test::SaveScreenshot(*frame, QStringLiteral("player-panel-bookmark"));
    form.Scope().ZoomIn();
    form.Scope().ZoomIn();
    EXPECT_EQ(form.Scope().ViewLength(), 10 * kSecond);
    test::SaveScreenshot(form, QStringLiteral("player-panel-zoomed"));

    // Ctrl+B is one step per press: it clears the stored bookmark and starts nothing, the next
    // press marks a start.
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    form.findChild<QLabel*>(QStringLiteral("LoadedCall"))->setFocus();
    SeekTo(0);
    QTest::keyClick(&form, Qt::Key_B, Qt::ControlModifier);
    EXPECT_FALSE(StoredBookmark(path, start, end));
    EXPECT_FALSE(second.Document().GetEntry(0)->HasBookmark());
    EXPECT_TRUE(Button(QStringLiteral("Bookmark start")).isVisible()) << "the next press starts a bookmark";
    SeekTo(kSecond);
    QTest::keyClick(&form, Qt::Key_B, Qt::ControlModifier);
    EXPECT_FALSE(StoredBookmark(path, start, end));
    EXPECT_TRUE(Button(QStringLiteral("Bookmark end")).isVisible());
    EXPECT_EQ(form.Scope().ViewStart(), 0);
    SeekTo(12 * kSecond);
    QTest::keyClick(&form, Qt::Key_BracketRight);
    ASSERT_TRUE(StoredBookmark(path, start, end));
    EXPECT_EQ(start, 1);
    EXPECT_EQ(end, 12);

    QMenu* menu = &form.FileMenu();
    for (QAction* action : menu->actions())
        if (action->menu())
            for (QAction* item : action->menu()->actions())
                if (item->text() == QStringLiteral("Mark Important"))
                    item->trigger();
    for (CListWindow* list : { &first, &second })
        EXPECT_EQ(list->Document().GetEntry(0)->GetImportant(), 1);
    CRvRecordFileHdr header;
    ASSERT_GT(header.Load(path, ""), 0);
    EXPECT_EQ(header.Important(), 1);
}

TEST_F(PlayerPanel, SpeedAndSkipSilenceFromTheControlsAndKeysKeepTheCallsTime)
{
    // Ten seconds of speech, twenty of silence, ten of speech.
    std::vector<std::int16_t> sound = samplegen::MakeSpeechLikeSignal(10 * kSecond, 3);
    sound.resize(30 * kSecond, 0);
    const std::vector<std::int16_t> more = samplegen::MakeSpeechLikeSignal(10 * kSecond, 4);
    sound.insert(sound.end(), more.begin(), more.end());
    calls.WriteSound("calls/quiet.qor", sound);
    Compile(calls.File("calls")).View().SelectRows({ 0 });
    ASSERT_TRUE(test::RunEventsUntil([] { return !Playback().GetRecording().IsDecoding(); }, 10'000));
    CPlayerForm& form = Form();
    auto& speed = *form.findChild<QComboBox*>(QStringLiteral("PlaybackSpeed"));
    EXPECT_EQ(speed.currentText(), QStringLiteral("1.0\u00d7"));

    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    form.findChild<QLabel*>(QStringLiteral("LoadedCall"))->setFocus();
    for (int press = 0; press < 5; ++press)
        QTest::keyClick(&form, Qt::Key_Greater);
    EXPECT_EQ(speed.currentText(), QStringLiteral("2.0\u00d7")) << "no faster than twice";
    EXPECT_EQ(Playback().GetSpeed(), 2.0);
    QTest::keyClick(&form, Qt::Key_S);
    EXPECT_TRUE(Button(QStringLiteral("SkipSilence")).isChecked());
    EXPECT_TRUE(Playback().GetSkipSilence());
    SeekTo(5 * kSecond);
    ASSERT_EQ(form.Scope().Skipped().size(), 1u) << "the scope shades the stretch cut short";
    const CCallStretch skipped = form.Scope().Skipped().front();
    EXPECT_NEAR(skipped.first, 10 * kSecond, 512);
    EXPECT_NEAR(skipped.end, 30 * kSecond, 512);
    test::SaveScreenshot(*frame, QStringLiteral("player-panel-2x-skip-silence"));

    // Slowing a playing call down keeps it playing from where it was.
    QTest::mouseClick(&Button(QStringLiteral("Play")), Qt::LeftButton);
    ASSERT_TRUE(Playback().IsPlaying());
    QTest::keyClick(&form, Qt::Key_Less);
    EXPECT_EQ(Playback().GetSpeed(), 1.75);
    EXPECT_TRUE(Playback().IsPlaying());
    EXPECT_GE(Playback().GetPosition(), 5 * kSecond);
    // Through the skipped stretch to the end (a poll may just miss the last samples).
    std::int32_t furthest = 0;
    ASSERT_TRUE(test::RunEventsUntil(
        [&] {
            furthest = std::max(furthest, Playback().GetPosition());
            return !Playback().IsPlaying();
        },
        5'000));
    EXPECT_GE(furthest, 39 * kSecond);
    QTest::keyClick(&form, Qt::Key_S);
    EXPECT_FALSE(Playback().GetSkipSilence());
    form.Refresh();
    EXPECT_TRUE(form.Scope().Skipped().empty());
}

TEST_F(PlayerPanel, PanelChangesKeepAnotherProgramsAndAChangeTheFileCannotTakeIsNamed)
{
    const std::string path = calls.Write("calls/call.qor", [] {
        samplegen::CSampleCall call;
        call.durationSeconds = 30;
        return call;
    }());
    Compile(calls.File("calls")).View().SelectRows({ 0 });
    ASSERT_TRUE(test::RunEventsUntil([] { return !Playback().GetRecording().IsDecoding(); }, 10'000));
    CPlayerForm& form = Form();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));

    // Another program annotates the loaded call: a bookmark set in the panel keeps its words.
    CRvRecordFileHdr header;
    int loaded = 0;
    const auto annotate = [](CRvRecordFileHdr& read) {
        read.SetComment("from the front desk");
        return true;
    };
    ASSERT_EQ(UpdateRecordingHeader(path, "", annotate, header, loaded), CHeaderUpdate::Done);
    form.findChild<QLabel*>(QStringLiteral("LoadedCall"))->setFocus();
    SeekTo(8 * kSecond);
    QTest::keyClick(&form, Qt::Key_BracketRight);
    int start = -1, end = -1;
    ASSERT_TRUE(StoredBookmark(path, start, end));
    EXPECT_EQ(end, 8);
    CRvRecordFileHdr after;
    ASSERT_GT(after.Load(path, ""), 0);
    EXPECT_NE(after.Comment().find("from the front desk"), std::string::npos) << after.Comment();
    QTest::keyClick(&form, Qt::Key_B, Qt::ControlModifier); // clears it again
    ASSERT_FALSE(StoredBookmark(path, start, end));

    // Another file takes the call's name while it is loaded: nothing may be written into it.
    const std::string other = calls.Write("elsewhere/other.qor");
    fs::rename(other, path);
    SeekTo(0);

    // A click on a panel button gives the panel the keys.
    frame->ActiveList()->View().setFocus();
    QTest::mouseClick(&Button(QStringLiteral("Forward 10 seconds")), Qt::LeftButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ(Playback().GetPosition(), 20 * kSecond) << "Right stepped in the panel, not in the list";
    EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("Elapsed"))->accessibleName(), QStringLiteral("Elapsed 00:00:20"))
        << "a screen reader hears the time";

    QString message;
    test::AnswerNextMessageBox(QMessageBox::Ok, &message);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_BracketRight);
    EXPECT_TRUE(message.contains(QStringLiteral("The bookmark could not be stored"))
        && message.contains(QStringLiteral("call.qor")) && message.contains(QStringLiteral("replaced")))
        << message.toStdString();
    EXPECT_FALSE(Playback().GetRecording().GetBookmark(start, end)) << "the panel holds what the file holds";
    EXPECT_TRUE(Button(QStringLiteral("Bookmark start")).isVisible());
    EXPECT_FALSE(StoredBookmark(path, start, end)) << "the other file was not written";
}

TEST_F(PlayerPanel, TheScopeIsReadableInADarkDesktopToo)
{
    CListWindow& list = Load("dark.qor", 90);
    const QPalette dark = test::DarkPalette();
    // A dark desktop theme gives the application its palette.
    const QPalette light = QApplication::palette();
    QApplication::setPalette(dark);
    QApplication::processEvents(); // the widgets take the new palette
    SeekTo(70 * kSecond);
    const QImage shot = Form().Scope().grab().toImage();
    // The list's tool bar icons are drawn light on the dark buttons.
    for (const CQorTolvaneView::Button command :
        { CQorTolvaneView::kPlay, CQorTolvaneView::kAnnotate, CQorTolvaneView::kDelete }) {
        const QImage icon = list.View().CommandButton(command).icon().pixmap(24).toImage();
        double lightness = 0;
        int opaque = 0;
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x)
                if (const QColor pixel = icon.pixelColor(x, y); pixel.alpha() > 128) {
                    lightness += pixel.lightness();
                    ++opaque;
                }
        EXPECT_GT(opaque == 0 ? 0 : lightness / opaque, 150) << "command " << command;
    }
    QApplication::setPalette(light);
    int green = 0, red = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QColor pixel = shot.pixelColor(x, y);
            green += pixel == QColor(0, 255, 0);
            red += pixel == QColor(255, 0, 0);
        }
    EXPECT_GT(green, shot.width()) << "the waveform is drawn";
    EXPECT_GE(red, (shot.height() - 5) * 3) << "the position line, three pixels wide, over the drawing area";
}

TEST_F(PlayerPanel, HistoryPlaysAndRemovesTheCallsPlayedThisRun)
{
    Call("a.qor", 20);
    Call("b.qor", 30);
    CListWindow& list = Compile(calls.File("calls"));
    std::vector<std::string> played;
    for (const int row : { 0, 1 }) {
        list.View().SelectRows({ row });
        frame->Menus().play->trigger();
        ASSERT_TRUE(test::RunEventsUntil([] { return Playback().IsPlaying(); }, 10'000));
        played.push_back(Playback().GetRecording().GetPath());
    }
    EXPECT_EQ(Form().PlayedThisRun(), played) << "calls started from the list count as played";
    QToolButton& history = Button(QStringLiteral("History"));
    ASSERT_TRUE(history.isEnabled());

    test::HandleNextDialog([&](QWidget& window) {
        auto& dialog = dynamic_cast<CHistoryDialog&>(window);
        QListWidget& lines = dialog.List();
        EXPECT_EQ(lines.count(), 2);
        EXPECT_FALSE(test::FindButton(dialog, QStringLiteral("&Play"))->isEnabled()) << "nothing selected yet";
        test::SaveScreenshot(dialog, QStringLiteral("history-dialog"));
        lines.item(1)->setSelected(true);
        QTest::mouseClick(test::FindButton(dialog, QStringLiteral("&Remove")), Qt::LeftButton);
        EXPECT_EQ(lines.count(), 1);
        lines.item(0)->setSelected(true);
        QTest::mouseClick(test::FindButton(dialog, QStringLiteral("&Play")), Qt::LeftButton);
        return true;
    });
    QTest::mouseClick(&history, Qt::LeftButton);
    EXPECT_EQ(Form().PlayedThisRun(), std::vector<std::string>{ played.front() }) << "the removal is kept";
    ASSERT_TRUE(test::RunEventsUntil([] { return Playback().IsPlaying(); }, 10'000));
    EXPECT_EQ(Playback().GetRecording().GetPath(), played.front()) << "Play started the call picked";

    // Escape discards what the dialog changed.
    test::HandleNextDialog([](QWidget& window) {
        QTest::mouseClick(test::FindButton(window, QStringLiteral("C&lear")), Qt::LeftButton);
        QMetaObject::invokeMethod(&window, "reject");
        return true;
    });
    QTest::mouseClick(&history, Qt::LeftButton);
    EXPECT_EQ(Form().PlayedThisRun().size(), 1u);
}

TEST_F(PlayerPanel, AnnotatingKeepsTheBookmarkAndReachesTheFileTheListsAndThePanel)
{
    // A list of empty lines gives the program's own sixteen comments.
    test::WriteFileText(CSettings::GetConfigFilePath(false, "Comments.txt"), "\n\r\n\n");
    samplegen::CSampleCall call;
    call.durationSeconds = 20;
    call.comment = "first words";
    ASSERT_TRUE(WriteBookmark(call.comment, 3, 9));
    const std::string path = calls.Write("calls/noted.qor", call);
    CListWindow& first = Compile(calls.File("calls"));
    CListWindow& second = Compile(calls.File("calls"));
    first.View().SelectRows({ 0 });
    QToolButton& annotate = first.View().CommandButton(CQorTolvaneView::kAnnotate);
    ASSERT_TRUE(annotate.isEnabled());

    test::HandleNextDialog([](QWidget& window) {
        auto& dialog = dynamic_cast<CAnnotateDialog&>(window);
        EXPECT_EQ(dialog.Comment(), QStringLiteral("first words")) << "her words alone, not the bookmark's lines";
        EXPECT_EQ(dialog.Predefined().count(), 16);
        dialog.Predefined().setCurrentIndex(3);
        Q_EMIT dialog.Predefined().activated(3);
        EXPECT_EQ(dialog.Comment(), QStringLiteral("** Sale **"));
        test::SaveScreenshot(dialog, QStringLiteral("annotate-dialog"));
        QMetaObject::invokeMethod(&dialog, "reject");
        return true;
    });
    QTest::mouseClick(&annotate, Qt::LeftButton);
    CRvRecordFileHdr header;
    ASSERT_GT(header.Load(path, ""), 0);
    EXPECT_EQ(header.Comment(), call.comment) << "Cancel leaves the call as it was";

    // Everything selected and typed over: the words change, the bookmark stays as it was stored.
    const int room = static_cast<int>(CommentRoom(call.comment));
    test::HandleNextDialog([room](QWidget& window) {
        auto* edit = window.findChild<QPlainTextEdit*>(QStringLiteral("Comment"));
        edit->setPlainText(QString(2000, QLatin1Char('x')));
        EXPECT_EQ(edit->toPlainText().size(), room) << "no byte past the room beside the bookmark";
        EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("RoomLeft"))->text(),
            QStringLiteral("Room left: 0 of %1 bytes").arg(room));
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("Call back"));
        QMetaObject::invokeMethod(&window, "accept");
        return true;
    });
    QTest::mouseClick(&annotate, Qt::LeftButton);
    CRvRecordFileHdr written;
    ASSERT_GT(written.Load(path, ""), 0);
    EXPECT_EQ(written.Comment().substr(0, 24), call.comment.substr(0, 24)) << "the Bookmark at: line as stored";
    int start = 0, end = 0;
    EXPECT_TRUE(written.ParseBookmark(start, end));
    EXPECT_EQ(end, 9);
    EXPECT_EQ(CommentWholeText(written.Comment()), "Call back");
    for (CListWindow* list : { &first, &second })
        EXPECT_EQ(CommentUserText(list->Document().GetEntry(0)->GetCommentText()), "Call back");
    EXPECT_TRUE(Form().findChild<QLabel*>(QStringLiteral("CommentState"))->isEnabled()) << "the comment icon is on";

    // A long line of predefined comments widens only the list it drops down.
    test::WriteFileText(CSettings::GetConfigFilePath(false, "Comments.txt"), std::string(1000, 'w') + "\n");
    test::HandleNextDialog([](QWidget& window) {
        EXPECT_LT(window.sizeHint().width(), 800) << "OK and Cancel stay on a small screen";
        QMetaObject::invokeMethod(&window, "reject");
        return true;
    });
    QTest::mouseClick(&annotate, Qt::LeftButton);
}

TEST_F(PlayerPanel, OneDroppedRecordingPlaysAndAnythingElseIsRefused)
{
    const std::string call = Call("dropped.qor", 10);
    test::WriteFileText(calls.File("calls/sound.wav"), "RIFF");
    CPlayerForm& form = Form();
    const auto offer = [&](const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::LinkAction | Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(10, 10), Qt::LinkAction | Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &drop);
        return true;
    };
    const QUrl recording = QUrl::fromLocalFile(QString::fromStdString(call));
    // What cannot be played says why, in words the user can act on.
    test::WriteFileText(calls.File("empty.qor"), "");
    test::WriteFileText(calls.File("random.qor"), std::string(3000, '\x5A'));
    test::WriteFileText(calls.File("stripped.qor"), test::ReadFileText(call).substr(0, 1440));
    for (const auto& [name, why] :
        { std::pair{ "empty.qor", "empty: the file holds nothing" }, std::pair{ "random.qor", "not a recording" },
            std::pair{ "missing.qor", "no such recording" }, std::pair{ "stripped.qor", "holds no sound" } }) {
        form.PlayPath(calls.File(name));
        const QString said = form.findChild<QLabel*>(QStringLiteral("LoadedCall"))->accessibleName();
        EXPECT_TRUE(said.startsWith(QString::fromStdString(calls.File(name)) + QStringLiteral(": cannot be played: ")
            + QString::fromLatin1(why)))
            << said.toStdString();
    }
    EXPECT_FALSE(offer({ recording, recording })) << "two files";
    EXPECT_FALSE(offer({ QUrl::fromLocalFile(QString::fromStdString(calls.File("calls/sound.wav"))) }));
    EXPECT_FALSE(Playback().IsOpen());
    EXPECT_TRUE(offer({ recording }));
    ASSERT_TRUE(test::RunEventsUntil([] { return Playback().IsPlaying(); }, 10'000));
    EXPECT_EQ(Playback().GetRecording().GetPath(), call);

    // With a list in front, a dropped call stays through the window being activated again (any
    // click does that) until the user picks another call.
    fs::rename(call, calls.File("dropped.qor"));
    CListWindow& list = Load("listed.qor", 10);
    const std::string listed = calls.File("calls/listed.qor");
    ASSERT_EQ(Playback().GetRecording().GetPath(), listed);
    EXPECT_TRUE(offer({ QUrl::fromLocalFile(QString::fromStdString(calls.File("dropped.qor"))) }));
    ASSERT_TRUE(
        test::RunEventsUntil([&] { return Playback().GetRecording().GetPath() == calls.File("dropped.qor"); }, 10'000));
    // The window coming back to the front, as the first click after a drop from elsewhere brings
    // it: the lists' area says its list is active again (emitted here as Qt does then).
    auto* area = frame->findChild<QMdiArea*>();
    Q_EMIT area->subWindowActivated(nullptr);
    Q_EMIT area->subWindowActivated(area->currentSubWindow());
    QTest::mouseClick(&Button(QStringLiteral("Forward 10 seconds")), Qt::LeftButton);
    EXPECT_EQ(Playback().GetRecording().GetPath(), calls.File("dropped.qor"));
    list.View().SelectRows({});
    list.View().SelectRows({ 0 });
    EXPECT_EQ(Playback().GetRecording().GetPath(), listed) << "another call chosen in the list";
}

TEST_F(PlayerPanel, TheFileMenuKeepsTheAdministratorsRestrictionsAndDeletesToTheTrash)
{
    test::WriteFileText(CSettings::GetSystemConfigFilePath("global.xml"),
        "<profile><section name=\"settings\"><GlobalSettings>1</GlobalSettings></section></profile>");
    test::WriteFileText(CSettings::GetAdminConfigFilePath(true, "config.xml"),
        "<profile><section name=\"settings\"><BlockExport>1</BlockExport></section></profile>");
    Singleton<CSettings>::Instance()->Load();
    CListWindow& list = Load("gone.qor", 10);
    const std::string path = Playback().GetRecording().GetPath();
    QToolButton& details = Button(QStringLiteral("File Details"));
    QMenu& menu = Form().FileMenu();
    // Opened from the keyboard (Space on the focused button is the button's, not play) and by a
    // screen reader's action, as by a click.
    const auto opens = [&menu](const std::function<void()>& how) {
        how();
        const bool shown = test::RunEventsUntil([&menu] { return menu.isVisible(); }, 2000);
        menu.close();
        return shown;
    };
    details.setFocus();
    EXPECT_TRUE(opens([&] { QTest::keyClick(&details, Qt::Key_Space); })) << "Space";
    EXPECT_TRUE(opens([&] {
        QAccessible::queryAccessibleInterface(&details)->actionInterface()->doAction(
            QAccessibleActionInterface::pressAction());
    })) << "the accessible action";
    const auto item = [&menu](const QString& submenu, const QString& text) -> QAction* {
        for (QAction* action : menu.actions()) {
            if (submenu.isEmpty() && action->text() == text)
                return action;
            if (action->menu() && action->text() == submenu)
                for (QAction* inner : action->menu()->actions())
                    if (inner->text() == text)
                        return inner;
        }
        return nullptr;
    };
    Q_EMIT menu.aboutToShow();
    for (const QString& submenu : { QStringLiteral("Send"), QStringLiteral("Convert") })
        for (const QString& text : { QStringLiteral("As QOR..."), QStringLiteral("As WAV...") }) {
            ASSERT_NE(item(submenu, text), nullptr);
            EXPECT_FALSE(item(submenu, text)->isEnabled()) << "export is blocked";
        }
    QAction* remove = item(QString(), QStringLiteral("Delete"));
    ASSERT_TRUE(remove && remove->isEnabled());

    fs::create_directories(sandbox.Home()); // the desktop's Trash is the home folder's
    QString question;
    test::AnswerNextMessageBox(QMessageBox::Yes, &question);
    remove->trigger();
    EXPECT_TRUE(question.contains(QStringLiteral("gone.qor"))) << question.toStdString();
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(fs::exists(fs::path(sandbox.UserData()) / "Trash" / "files" / "gone.qor"));
    EXPECT_FALSE(Playback().IsOpen()) << "ejected";
    EXPECT_EQ(list.Document().GetCount(), 0) << "the list lets the call go";
}

} // namespace
} // namespace qor

// The desktop program as a user drives it: compiling, sorting, marking, deleting to the Trash,
// playing and closing lists, through the real windows on the offscreen platform.
#include "shell/app/MainWindow.h"

#include "MainWindowFixture.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "lists/NamedSources.h"
#include "platform/VirtualWaveOut.h"
#include "playback/PlaybackManager.h"
#include "recording/RecordFileHdr.h"
#include "review/CallHistory.h"
#include "samplegen/DemoLibrary.h"
#include "samplegen/SampleRecording.h"
#include "shell/app/Branding.h"
#include "shell/app/ListCompiler.h"
#include "shell/app/MainMenus.h"
#include "shell/app/RecentFiles.h"
#include "shell/app/StartArguments.h"
#include "shell/common/CallPath.h"
#include "shell/lists/CallClipboard.h"
#include "shell/lists/CreateListDialog.h"
#include "shell/lists/ListCallCommands.h"
#include "shell/lists/ListWindow.h"
#include "shell/lists/RecordingListView.h"
#include "shell/lists/RecordingTable.h"
#include "shell/panels/AccessPanel.h"
#include "shell/panels/StoreTreeView.h"
#include "shell/panels/shortcuts/ShortcutsPage.h"
#include "shell/player/OutputScope.h"
#include "support/EventLoop.h"
#include "support/RecordingFolder.h"
#include "support/WidgetTesting.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

namespace fs = std::filesystem;
using View = CQorTolvaneView;

class MainWindow : public CMainWindowFixture { };

TEST_F(MainWindow, CompilesAListWithTheCriteriaOfTheCreateDialog)
{
    Call("a.qor", 3, ">0123456");
    Call("b.qor", 4, "<1234");
    Call("c.qor", 5, ">999");
    test::HandleNextDialog([&](QWidget& window) {
        auto& dialog = dynamic_cast<CCreateListDialog&>(window);
        dialog.SetFolderChooser([&] { return QString::fromStdString(calls.File("calls")); });
        QTest::mouseClick(test::FindButton(dialog, QStringLiteral("Add...")), Qt::LeftButton);
        test::FindField<QLineEdit>(dialog, QStringLiteral("Limit by Caller ID"))->setText(QStringLiteral("123"));
        QTest::keyClick(test::FindButton(dialog, QStringLiteral("All dates")), Qt::Key_Space);
        QTest::mouseClick(test::FindButton(dialog, QStringLiteral("Compile")), Qt::LeftButton);
        return true;
    });
    frame->Menus().create->trigger();
    ASSERT_TRUE(test::RunEventsUntil([&] { return frame->ActiveList() && !frame->Compiler().IsRunning(); }, 10'000));
    CListWindow& list = *frame->ActiveList();
    EXPECT_EQ(list.Document().GetCount(), 2) << "the caller ID filter kept two of three";
    EXPECT_EQ(list.View().TotalsText(), QStringLiteral("Calls: 2 Important: 0 Duration: 00:00:07"));
    EXPECT_TRUE(list.View().Label().startsWith(QStringLiteral("calls - ")));
    EXPECT_EQ(list.windowTitle(), QStringLiteral("calls*"));
}

// A screen reader says a button's name: the lists' icon-only buttons carry one too.
TEST_F(MainWindow, EveryButtonOfAListHasANameAScreenReaderCanSay)
{
    samplegen::CSampleCall marked;
    marked.durationSeconds = 5;
    marked.bookmarkStart = 1;
    marked.bookmarkEnd = 3;
    calls.Write("calls/a.qor", marked);
    Compile(calls.File("calls"));
    // The short headers and the bookmark's icon are said as words, the icon as a state.
    const QAbstractItemModel& model = *frame->ActiveList()->View().Table().model();
    for (const auto& [column, name] :
        { std::pair{ kColumnImportant, "Important" }, std::pair{ kColumnBookmark, "Bookmark" } })
        EXPECT_EQ(model.headerData(column, Qt::Horizontal, Qt::AccessibleTextRole).toString(), QLatin1String(name));
    EXPECT_EQ(
        model.data(model.index(0, kColumnBookmark), Qt::AccessibleTextRole).toString(), QStringLiteral("Bookmarked"));
    const auto buttons = frame->ActiveList()->findChildren<QToolButton*>();
    EXPECT_GT(buttons.size(), 10);
    for (QToolButton* button : buttons) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(button);
        ASSERT_NE(accessible, nullptr);
        // Named by its tip, but for the archive menu, whose tip tells where it leads.
        const QString name = accessible->text(QAccessible::Name);
        EXPECT_TRUE(name == button->toolTip()
            || (name == QStringLiteral("Archive") && button->toolTip().contains(QStringLiteral("Archiver"))))
            << name.toStdString();
    }
}

TEST_F(MainWindow, SortingKeepsTheCallPlayingAndItsArrowPointsUpForAscendingInEveryColumn)
{
    for (const int seconds : { 4, 2, 6 })
        Call("d" + std::to_string(seconds) + ".qor", seconds, seconds == 4 ? ">444" : ">222");
    samplegen::CSampleCall secret;
    secret.version = 5;
    secret.passphrase = "demo";
    secret.durationSeconds = 2;
    const std::string encrypted = calls.Write("calls/e.qor", secret);
    CListWindow& list = Compile(calls.File("calls"));
    CQorTolvaneView& view = list.View();
    QHeaderView& header = *view.Table().horizontalHeader();
    const auto click = [&](int column) {
        QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, QPoint(header.sectionViewportPosition(column) + 5, 5));
    };
    const auto arrow = [&] { return std::pair(header.sortIndicatorSection(), header.sortIndicatorOrder()); };
    EXPECT_EQ(arrow(), std::pair(int(kColumnDateTime), Qt::DescendingOrder)) << "compiled newest first";

    const std::string playing = list.Document().GetEntry(1)->GetPath();
    view.SelectRows({ 1 });
    view.Play();
    auto playback = Singleton<CPlaybackManager>::Instance();
    ASSERT_TRUE(QTest::qWaitFor([&] { return playback->IsPlaying(); }, 2000));

    click(kColumnDuration);
    EXPECT_EQ(Durations(list), (std::vector<int>{ 0, 2, 4, 6 })) << "shortest first: the unreadable call has none";
    EXPECT_EQ(arrow(), std::pair(int(kColumnDuration), Qt::AscendingOrder));
    EXPECT_EQ(view.SelectedPaths(), QStringList{ QString::fromStdString(playing) }) << "the same call stays selected";
    EXPECT_TRUE(playback->IsPlaying() && playback->GetRecording().GetPath() == playing) << "and goes on playing";
    click(kColumnDuration);
    EXPECT_EQ(Durations(list), (std::vector<int>{ 6, 4, 2, 0 }));
    EXPECT_EQ(arrow(), std::pair(int(kColumnDuration), Qt::DescendingOrder));

    click(kColumnCallerId); // a text column: its first click runs against its natural order too
    EXPECT_EQ(list.Document().GetEntry(0)->GetCallerIdText(), "Decryption error!");
    EXPECT_EQ(arrow(), std::pair(int(kColumnCallerId), Qt::DescendingOrder)) << "largest text at the top";
    click(kColumnCallerId);
    EXPECT_EQ(list.Document().GetEntry(0)->GetCallerIdText(), ">222");
    EXPECT_EQ(arrow().second, Qt::AscendingOrder);
    EXPECT_EQ(Durations(list)[1], 6) << "equal caller IDs and times: in the order of their paths";

    for (const bool encryptedFirst : { false, true }) {
        click(kColumnEncrypted);
        EXPECT_EQ(list.Document().GetEntry(encryptedFirst ? 0 : 3)->GetPath(), encrypted) << "ENC sorts";
    }
    click(kColumnArchived);
    EXPECT_GE(header.sectionSize(kColumnArchived), header.sectionSizeHint(kColumnArchived)) << "heading not cut";
    EXPECT_TRUE(playback->IsPlaying() && playback->GetRecording().GetPath() == playing);
    click(kColumnDuration);
    QApplication::processEvents();
    test::SaveScreenshot(view, QStringLiteral("list-sorted-by-duration"));
    QTest::mouseClick(&view.CommandButton(View::kRefresh), Qt::LeftButton);
    ASSERT_TRUE(test::RunEventsUntil([&] { return !frame->Compiler().IsRunning(); }, 10'000));
    EXPECT_EQ(Durations(list), (std::vector<int>{ 0, 2, 4, 6 })) << "a refresh keeps the order the arrow shows";
    const auto drawn = [](const QStyle& style, QStyleOptionHeader::SortIndicator indicator) {
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QStyleOptionHeader option;
        option.rect = image.rect();
        option.sortIndicator = indicator;
        {
            QPainter painter(&image);
            style.drawPrimitive(QStyle::PE_IndicatorHeaderArrow, &option, &painter);
        }
        return image;
    };
    const QStyle& plain = *QApplication::style();
    ASSERT_NE(drawn(plain, QStyleOptionHeader::SortUp), drawn(plain, QStyleOptionHeader::SortDown));
    // Qt hands ascending order to the style as "SortDown".
    EXPECT_EQ(drawn(*header.style(), QStyleOptionHeader::SortDown), drawn(plain, QStyleOptionHeader::SortUp))
        << "ascending draws the up arrow";

    QString said; // a Find that matches nothing says so
    test::AnswerNextMessageBox(QMessageBox::Ok, &said);
    test::HandleNextDialog([](QWidget& dialog) {
        test::FindField<QLineEdit>(dialog, QStringLiteral("For:"))->setText(QStringLiteral("nobody"));
        QMetaObject::invokeMethod(&dialog, "accept");
        return true;
    });
    QTest::mouseClick(&view.CommandButton(View::kSearch), Qt::LeftButton);
    EXPECT_EQ(said, QStringLiteral("No call in this list matches \"nobody\"."));
    test::HandleNextDialog([](QWidget& dialog) {
        test::FindField<QLineEdit>(dialog, QStringLiteral("For:"))->setText(QStringLiteral("222"));
        QMetaObject::invokeMethod(&dialog, "accept");
        return true;
    });
    QTest::mouseClick(&view.CommandButton(View::kSearch), Qt::LeftButton);
    CListWindow* found = frame->ActiveList();
    ASSERT_NE(found, &list);
    EXPECT_EQ(found->Document().GetCount(), 2);
    EXPECT_EQ(found->View().Table().horizontalHeader()->sortIndicatorSection(), -1) << "found, not sorted";
}

TEST_F(MainWindow, MarkingACallImportantWritesItsHeaderAndEveryListFollows)
{
    const std::string path = Call("mark.qor", 2);
    CListWindow& first = Compile(calls.File("calls"));
    CListWindow& second = Compile(calls.File("calls"));
    ASSERT_NE(&first, &second);
    second.View().SelectRows({ 0 });
    QTest::mouseClick(&second.View().CommandButton(View::kMarkImportant), Qt::LeftButton);
    CRvRecordFileHdr header;
    ASSERT_GT(header.Load(path, ""), 0);
    EXPECT_EQ(header.Important(), 1);
    EXPECT_EQ(first.Document().GetImportantCount(), 1) << "the other list shows it too";
    EXPECT_EQ(second.windowTitle(), QStringLiteral("calls (2)*")) << "two lists of one folder are told apart";
    QTest::mouseClick(&second.View().CommandButton(View::kUnmarkImportant), Qt::LeftButton);
    CRvRecordFileHdr again;
    again.Load(path, "");
    EXPECT_EQ(again.Important(), 0);
}

TEST_F(MainWindow, DeletingGoesToTheTrashLowestFirstAndCancelStopsIt)
{
    for (const char* name : { "1.qor", "2.qor", "3.qor", "4.qor" })
        Call(name, 1);
    CListWindow& list = Compile(calls.File("calls"));
    ASSERT_EQ(list.Document().GetCount(), 4);
    std::vector<std::string> selected;
    for (const int row : { 0, 1, 2 })
        selected.push_back(list.Document().GetEntry(row)->GetPath());
    list.View().SelectRows({ 0, 1, 2 });
    fs::create_directories(sandbox.Home()); // the desktop's Trash is the home folder's
    const fs::path trash = fs::path(sandbox.UserData()) / "Trash" / "files";
    // Cancel as soon as the first call is in the Trash.
    QTimer cancel;
    cancel.setInterval(0);
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        if (fs::exists(trash) && !fs::is_empty(trash))
            if (auto* progress = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                progress->reject();
    });
    cancel.start();
    QString question;
    test::AnswerNextMessageBox(QMessageBox::Yes, &question);
    QTest::mouseClick(&list.View().CommandButton(View::kDelete), Qt::LeftButton);
    cancel.stop();
    EXPECT_TRUE(question.startsWith(QStringLiteral("This will delete 3 call(s)\n\nAre you sure?\n\n")));
    for (const std::string& path : selected)
        EXPECT_TRUE(question.contains(QString::fromStdString(fs::path(path).filename().string())))
            << "the question names the calls it is about";
    EXPECT_FALSE(fs::exists(selected[2])) << "the lowest of the three goes first";
    EXPECT_TRUE(fs::exists(trash / fs::path(selected[2]).filename()));
    EXPECT_TRUE(fs::exists(selected[0]));
    EXPECT_TRUE(fs::exists(selected[1]));
    EXPECT_EQ(list.Document().GetCount(), 3);
}

TEST_F(MainWindow, WithExportBlockedTheMailAndExportButtonsStayDisabled)
{
    test::WriteFileText(CSettings::GetSystemConfigFilePath("global.xml"),
        "<profile><section name=\"settings\"><GlobalSettings>1</GlobalSettings></section></profile>");
    test::WriteFileText(CSettings::GetAdminConfigFilePath(true, "config.xml"),
        "<profile><section name=\"settings\"><BlockExport>1</BlockExport></section></profile>");
    Singleton<CSettings>::Instance()->Load();
    Call("a.qor", 1);
    Call("b.qor", 1);
    CListWindow& list = Compile(calls.File("calls"));
    for (const std::vector<int>& rows : { std::vector<int>{ 0 }, std::vector<int>{ 0, 1 } }) {
        list.View().SelectRows(rows);
        for (const View::Button button : { View::kMailWav, View::kMailNative, View::kExportWav, View::kExportNative })
            EXPECT_FALSE(list.View().CommandButton(button).isEnabled()) << button << " with " << rows.size();
        EXPECT_TRUE(list.View().CommandButton(View::kPlay).isEnabled());
    }
}

TEST_F(MainWindow, PlayingTwoSelectedCallsOpensACustomListOfThem)
{
    Call("a.qor", 2);
    Call("b.qor", 2);
    Call("c.qor", 2);
    CListWindow& list = Compile(calls.File("calls"));
    list.View().SelectRows({ 0, 2 });
    QTest::mouseClick(&list.View().CommandButton(View::kPlay), Qt::LeftButton);
    CListWindow* played = frame->ActiveList();
    ASSERT_NE(played, &list);
    EXPECT_EQ(played->Document().GetCount(), 2);
    EXPECT_EQ(played->Document().GetKind(), kListCustom);
    auto playback = Singleton<CPlaybackManager>::Instance();
    EXPECT_TRUE(QTest::qWaitFor([&] { return playback->IsPlaying(); }, 2000));
    EXPECT_EQ(playback->GetRecording().GetPath(), played->Document().GetEntry(0)->GetPath());
}

TEST_F(MainWindow, WhatTheUserNamedAtTheStartOpensAndWhatCannotBeIsNamed)
{
    const std::string a = Call("a.qor", 2);
    const std::string b = Call("b.qor", 2);
    mkfifo(calls.File("pipe.qor").c_str(), 0600);
    const CNamedSources named = SortNamedSources(
        { "calls", "calls/a.qor", a, "-x", "gone.qor", "pipe.qor", calls.File("calls/../calls/b.qor") }, calls.Path());
    EXPECT_EQ(named.folders, std::vector<std::string>{ calls.File("calls") });
    EXPECT_EQ(
        named.calls, (std::vector<std::string>{ calls.File("calls/a.qor"), a, calls.File("calls/../calls/b.qor") }));
    EXPECT_EQ(named.problems,
        (std::vector<std::string>{ "-x: unknown option", "gone.qor: no such file or folder",
            "pipe.qor: is a named pipe, not a file or folder of calls" }));
    // "." names the folder itself (a list is titled by its last name); a deleted working folder
    // makes a relative name lost, not one at the root.
    EXPECT_EQ(AbsoluteNamedPath("./calls/.//", "/w/."), "/w/calls");
    char program[] = "qortolvane";
    char* qtArguments[] = { program, nullptr };
    EXPECT_EQ(NamedPaths(1, qtArguments, { "", "-x.qor" }, std::string()), std::vector<std::string>{ "./-x.qor" })
        << "an empty name is none, not the working folder";
    EXPECT_EQ(SortNamedSources({ "a.qor" }, std::string()).problems,
        std::vector<std::string>{ "a.qor: cannot be found: the folder it was named in is gone" });

    // One call is loaded into the player, without a list.
    CNamedSources one;
    one.calls = { b };
    frame->OpenNamed(one);
    auto playback = Singleton<CPlaybackManager>::Instance();
    EXPECT_EQ(playback->GetRecording().GetPath(), b);
    EXPECT_TRUE(frame->Lists().empty());

    // A folder becomes a list, several calls another that plays them, and the rest are named.
    QString said;
    test::AnswerNextMessageBox(QMessageBox::Ok, &said);
    frame->OpenNamed(named);
    EXPECT_TRUE(test::RunEventsUntil([&] { return !frame->Compiler().IsRunning(); }, 10'000));
    std::vector<int> counts;
    for (CListWindow* list : frame->Lists())
        counts.push_back(list->Document().GetCount());
    std::ranges::sort(counts);
    EXPECT_EQ(counts, (std::vector<int>{ 2, 2 })) << "the folder's calls, and those named (a call named twice once)";
    EXPECT_EQ(playback->GetRecording().GetPath(), calls.File("calls/a.qor"));
    EXPECT_TRUE(said.contains(QStringLiteral("These could not be opened:\n\n-x: unknown option\ngone.qor")))
        << said.toStdString();

    // A folder the search cannot read (here one too deep for a path, which root cannot read either)
    // is named with the calls that were found; so is what a list names that is no call.
    int folder = open(calls.File("calls").c_str(), O_RDONLY | O_DIRECTORY);
    for (int level = 0; level < 18; ++level) { // 18 names of 250 bytes: longer than any path may be
        const std::string name(250, static_cast<char>('a' + level));
        ASSERT_EQ(mkdirat(folder, name.c_str(), 0755), 0);
        const int below = openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY);
        close(folder);
        folder = below;
    }
    close(folder);
    said.clear();
    test::AnswerNextMessageBox(QMessageBox::Ok, &said, QStringLiteral("folders-not-searched"));
    EXPECT_EQ(Compile(calls.File("calls")).Document().GetCount(), 2);
    EXPECT_TRUE(said.startsWith(
        QStringLiteral("These folders could not be searched:\n\n") + PathToQString(calls.File("calls/"))))
        << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("cannot be searched: File name too long"))) << said.toStdString();
    EXPECT_EQ(std::system(("rm -rf '" + calls.File("calls/" + std::string(250, 'a')) + "'").c_str()), 0);
    test::WriteFileText(calls.File("other.reclist"), "<root><rec>/etc/passwd</rec><rec>" + a + "</rec></root>");
    said.clear();
    test::AnswerNextMessageBox(QMessageBox::Ok, &said, QStringLiteral("list-names-no-calls"));
    ASSERT_NE(frame->OpenList(PathToQString(calls.File("other.reclist"))), nullptr);
    EXPECT_EQ(frame->ActiveList()->Document().GetCount(), 1);
    EXPECT_TRUE(said.contains(QStringLiteral("names files that are not calls. They were left out:\n\n/etc/passwd")))
        << said.toStdString();
}

TEST_F(MainWindow, ABrandingBundleNamesTheWindowItsMessagesItsIconAndItsFolders)
{
    const std::string branding = CSettings::GetSystemConfigFilePath(CSettings::kBrandingFile);
    test::WriteFileText(branding,
        "<?xml version=\"1.0\"?>\r\n<profile version=\"1\">\r\n<section "
        "name=\"settings\"><ResourceFile>" QOR_BRANDING_EXAMPLE "</ResourceFile></section>\r\n</profile>\r\n");
    ASSERT_TRUE(UseBranding());
    frame->NewList();
    EXPECT_TRUE(frame->windowTitle().endsWith(QStringLiteral(" - Tarn Call Desk")))
        << frame->windowTitle().toStdString();
    QString title;
    QTimer::singleShot(0, [&title] { // runs in the box's own loop
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        box->accept();
    });
    CNamedSources gone;
    gone.problems = { "gone.qor: no such file or folder" };
    frame->OpenNamed(gone);
    EXPECT_EQ(title, QStringLiteral("Tarn Call Desk"));
    EXPECT_TRUE(QFileInfo(QStringLiteral("icons:qortolvane.svg"))
                    .absoluteFilePath()
                    .startsWith(QStringLiteral(QOR_BRANDING_EXAMPLE)));
    EXPECT_NE(CCallHistory::FilePath().find("/Tarnwell Telecom/Tarn Call Desk/"), std::string::npos);
    EXPECT_EQ(QApplication::organizationName(), QStringLiteral("Tarnwell Telecom")) << "the recent files' store";

    std::filesystem::remove(branding);
    ASSERT_TRUE(UseBranding());
    EXPECT_EQ(QApplication::applicationDisplayName(), QStringLiteral("Qor Tolvane"));
    EXPECT_TRUE(QFileInfo(QStringLiteral("icons:qortolvane.svg")).absoluteFilePath().startsWith(QStringLiteral(":/")));
}

TEST_F(MainWindow, OpeningAListReadsItsCallsAndShowsWhereAFileIsMalformed)
{
    const std::string a = Call("a.qor", 3), b = Call("b.qor", 4), c = Call("c.qor", 5);
    test::WriteFileText(calls.File("three.reclist"),
        "<root>\r\n<rec>" + a + "</rec>\r\n<rec>" + b + "</rec>\r\n<rec>" + c + "</rec>\r\n</root>\r\n");
    CListWindow* list = frame->OpenList(QString::fromStdString(calls.File("three.reclist")));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Document().GetCount(), 3);
    EXPECT_EQ(list->View().Table().model()->rowCount(), 3);
    EXPECT_FALSE(list->Document().IsModified());

    test::WriteFileText(calls.File("cut.reclist"), "<root>\r\n<rec>" + a + "</rec>\r\n<rec>" + b);
    QString warning;
    test::AnswerNextMessageBox(QMessageBox::Ok, &warning);
    list = frame->OpenList(QString::fromStdString(calls.File("cut.reclist")));
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(warning.contains(QStringLiteral("Error parsing file"))) << warning.toStdString();
    EXPECT_EQ(list->Document().GetCount(), 1) << "the call before the fault is kept";
}

TEST_F(MainWindow, ClosingAChangedListNamesItAmongItsTwinsAndOffersSaveDiscardCancel)
{
    CListWindow* first = frame->NewList();
    CListWindow* list = frame->NewList();
    auto entry = std::make_unique<CRvFileListEntry>();
    entry->SetPath(Call("a.qor", 1));
    entry->LoadDetails("");
    list->Document().AddEntry(std::move(entry));
    list->View().ShowList(kListCustom, std::string());
    EXPECT_EQ(first->windowTitle(), QStringLiteral("Custom"));
    EXPECT_EQ(list->windowTitle(), QStringLiteral("Custom (2)*"));
    QString question;
    test::AnswerNextMessageBox(QMessageBox::Cancel, &question);
    frame->findChild<QMdiArea*>()->closeActiveSubWindow();
    EXPECT_TRUE(question.contains(QStringLiteral("Save changes to Custom (2)?"))) << question.toStdString();
    EXPECT_TRUE(
        question.contains(QStringLiteral("lose your results")) && question.contains(QStringLiteral("'Discard'")));
    EXPECT_EQ(frame->Lists().size(), 2u) << "Cancel keeps the list open";
    test::AnswerNextMessageBox(QMessageBox::Discard);
    frame->findChild<QMdiArea*>()->closeActiveSubWindow();
    ASSERT_TRUE(test::RunEventsUntil([&] { return frame->Lists().size() == 1; }, 2000)) << "Discard closes it";
}

TEST_F(MainWindow, PlayPlaysTheCallSelectedInTheListInFrontAndThePanelNamesOnlyThat)
{
    Call("a.qor", 2);
    Call("b.qor", 3);
    CListWindow& first = Compile(calls.File("calls"));
    CListWindow& second = Compile(calls.File("calls"));
    auto* area = frame->findChild<QMdiArea*>();
    auto* panel = frame->findChild<QLabel*>(QStringLiteral("LoadedCall"));
    ASSERT_NE(panel, nullptr);
    const auto pathOf = [](CListWindow& list, int row) { return list.Document().GetEntry(row)->GetPath(); };
    area->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first.parentWidget()));
    first.View().SelectRows({ 1 });
    area->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(second.parentWidget()));
    ASSERT_EQ(second.View().SelectedRows(), std::vector<int>{ 0 });

    frame->Menus().play->trigger();
    auto playback = Singleton<CPlaybackManager>::Instance();
    ASSERT_TRUE(QTest::qWaitFor([&] { return playback->IsPlaying(); }, 2000));
    EXPECT_EQ(playback->GetRecording().GetPath(), pathOf(second, 0)) << "the call of the list in front";
    const auto played = Singleton<CCallHistory>::Instance()->GetPaths();
    EXPECT_NE(std::find(played.begin(), played.end(), pathOf(second, 0)), played.end());
    EXPECT_EQ(std::find(played.begin(), played.end(), pathOf(first, 1)), played.end());
    EXPECT_TRUE(
        panel->accessibleName().contains(QString::fromStdString(fs::path(pathOf(second, 0)).filename().string())));

    second.View().Table().clearSelection();
    EXPECT_FALSE(playback->IsPlaying());
    EXPECT_EQ(panel->accessibleName(), QStringLiteral("No call loaded.")) << "no call selected, none named";

    second.Document().SetModifiedFlag(false);
    area->closeActiveSubWindow();
    ASSERT_TRUE(test::RunEventsUntil([&] { return frame->Lists().size() == 1; }, 2000));
    EXPECT_EQ(playback->GetRecording().GetPath(), pathOf(first, 1)) << "the list now in front decides";
    first.Document().SetModifiedFlag(false);
    area->closeActiveSubWindow();
    ASSERT_TRUE(test::RunEventsUntil([&] { return frame->Lists().empty() && !playback->IsOpen(); }, 2000));
    EXPECT_EQ(panel->accessibleName(), QStringLiteral("No call loaded."));
}

TEST_F(MainWindow, CompiledCallsNeverGoIntoThePlayHistoryAndMakeAListWithCallsACustomOne)
{
    Call("a.qor", 2);
    Call("b.qor", 3);
    Call("other/c.qor", 4);
    CListWindow& folder = Compile(calls.File("calls/other"));
    SearchCriteria criteria;
    criteria.sources = { calls.File("calls") };
    criteria.dateRange = kDateRangeAll;
    ASSERT_TRUE(frame->Compiler().Compile(criteria, CListCompiler::Into::ActiveList));
    ASSERT_TRUE(test::RunEventsUntil([&] { return !frame->Compiler().IsRunning(); }, 10'000));
    EXPECT_EQ(frame->ActiveList(), &folder);
    EXPECT_EQ(folder.Document().GetCount(), 3);
    EXPECT_EQ(folder.Document().GetKind(), kListCustom) << "added to calls it had: a custom list now";
    EXPECT_FALSE(folder.Document().IsSearchCompiled());

    CListWindow* history = frame->ShowPlayHistory();
    const int played = history->Document().GetCount();
    ASSERT_TRUE(frame->Compiler().Compile(criteria, CListCompiler::Into::ActiveList));
    ASSERT_TRUE(test::RunEventsUntil([&] { return !frame->Compiler().IsRunning(); }, 10'000));
    EXPECT_EQ(history->Document().GetCount(), played) << "the play history holds played calls only";
    EXPECT_TRUE(history->IsPlayHistory());
    EXPECT_NE(frame->ActiveList(), history);
    EXPECT_EQ(frame->ActiveList()->Document().GetCount(), 2);

    CListWindow* active = frame->ActiveList();
    const QString title = active->windowTitle();
    criteria.callerIdPattern = "*nobody*";
    QString said;
    test::AnswerNextMessageBox(QMessageBox::Ok, &said);
    frame->Compiler().Compile(criteria, CListCompiler::Into::ActiveList);
    ASSERT_TRUE(test::RunEventsUntil([&] { return !frame->Compiler().IsRunning(); }, 10'000));
    EXPECT_EQ(said, QStringLiteral("No recordings found which match your specified criteria."));
    EXPECT_EQ(active->Document().GetCount(), 2) << "nothing found changes nothing";
    EXPECT_EQ(active->windowTitle(), title);
}

TEST_F(MainWindow, AppendingCallsMarksTheListChangedSoClosingAsks)
{
    const std::string a = Call("a.qor", 3), b = Call("b.qor", 4);
    test::WriteFileText(
        calls.File("two.reclist"), "<root>\r\n<rec>" + a + "</rec>\r\n<rec>" + b + "</rec>\r\n</root>\r\n");
    CListWindow* list = frame->NewList();
    test::HandleNextDialog([&](QWidget& window) {
        auto& dialog = dynamic_cast<QFileDialog&>(window);
        test::ChooseFile(dialog, QString::fromStdString(calls.File("two.reclist")));
        return true;
    });
    frame->Menus().append->trigger();
    EXPECT_EQ(list->Document().GetCount(), 2);
    EXPECT_TRUE(list->Document().IsModified());
    QString question;
    test::AnswerNextMessageBox(QMessageBox::Cancel, &question);
    frame->findChild<QMdiArea*>()->closeActiveSubWindow();
    EXPECT_FALSE(question.isEmpty()) << "closing asks before the appended calls are lost";
    EXPECT_EQ(frame->Lists().size(), 1u);
}

TEST_F(MainWindow, AChangeThatCannotBeWrittenNamesTheFileAndWhyAndTheCellShowsWhatItHolds)
{
    const std::string gone = Call("gone.qor", 2, ">111");
    samplegen::CSampleCall secret;
    secret.version = 5;
    secret.passphrase = "demo";
    const std::string locked = calls.Write("calls/secret.qor", secret);
    CListWindow& list = Compile(calls.File("calls"));
    const auto rowOf = [&](const std::string& path) {
        for (int row = 0; row < list.Document().GetCount(); ++row)
            if (list.Document().GetEntry(row)->GetPath() == path)
                return row;
        return -1;
    };
    fs::remove(gone);
    QAbstractItemModel& model = *list.View().Table().model();
    const QModelIndex cell = model.index(rowOf(gone), kColumnCallerId);
    QString said;
    test::AnswerNextMessageBox(QMessageBox::Ok, &said);
    model.setData(cell, QStringLiteral("999"), Qt::EditRole);
    ASSERT_TRUE(test::RunEventsUntil([&] { return !said.isEmpty(); }, 2000));
    EXPECT_TRUE(said.contains(QString::fromStdString(gone)) && said.contains(QStringLiteral("no such recording")))
        << said.toStdString();
    EXPECT_EQ(model.data(cell).toString(), QStringLiteral(">111")) << "the cell shows what the file held";
    EXPECT_EQ(list.Document().GetEntry(rowOf(gone))->GetCallerIdText(), ">111");

    said.clear();
    test::AnswerNextMessageBox(QMessageBox::Ok, &said);
    list.View().Commands().MarkImportant({ rowOf(locked) }, true);
    EXPECT_TRUE(
        said.contains(QString::fromStdString(locked)) && said.contains(QStringLiteral("passphrase does not fit")))
        << said.toStdString();
    EXPECT_FALSE(said.contains(QStringLiteral("Read Only")));
}

// What sox makes of a WAV file: its encoding and its count of samples.
std::string Soxi(const char* option, const std::string& path)
{
    std::string output;
    std::FILE* pipe = popen(("soxi " + std::string(option) + " '" + path + "' 2>&1").c_str(), "r");
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    if (pipe)
        pclose(pipe);
    return output.substr(0, output.find('\n'));
}

TEST_F(MainWindow, ExportOffersGsmOrUncompressedWavStartsInTheLastFolderAndCanTakeOnlyTheBookmarkArea)
{
    samplegen::CSampleCall marked;
    marked.durationSeconds = 6;
    marked.bookmarkStart = 1;
    marked.bookmarkEnd = 3;
    const std::string path = calls.Write("calls/marked.qor", marked);
    CListWindow& list = Compile(calls.File("calls"));
    list.View().SelectRows({ 0 });
    const std::string documents = sandbox.Home() + "/Documents";
    const std::string out = calls.File("out");
    fs::create_directories(documents);
    fs::create_directories(out);
    const auto answer = [&](const char* filter, const std::string& name, QString* startedIn) {
        test::HandleNextDialog([=](QWidget& window) {
            auto& dialog = dynamic_cast<QFileDialog&>(window);
            *startedIn = dialog.directory().absolutePath();
            EXPECT_EQ(dialog.nameFilters(),
                (QStringList{
                    QStringLiteral("Wav GSM Compressed (*.wav)"), QStringLiteral("Wav Uncompressed (*.wav)") }));
            if (name == "plain")
                test::SaveScreenshot(dialog, QStringLiteral("export-dialog"));
            dialog.selectNameFilter(QString::fromLatin1(filter));
            test::ChooseFile(dialog, QString::fromStdString(out + "/" + name));
            return true;
        });
    };
    QString startedIn;
    answer("Wav Uncompressed (*.wav)", "plain", &startedIn);
    list.View().CommandButton(View::kExportWav).click();
    EXPECT_EQ(startedIn.toStdString(), documents) << "the first time, in Documents";
    EXPECT_EQ(Soxi("-e", out + "/plain.wav"), "Signed Integer PCM") << "the extension is added";
    EXPECT_EQ(Soxi("-s", out + "/plain.wav"), "48000");

    QMenu* menu = list.View().CommandButton(View::kExportWav).menu();
    ASSERT_NE(menu, nullptr);
    QAction* bookmarkArea = menu->actions().value(1);
    ASSERT_TRUE(bookmarkArea && bookmarkArea->text() == QStringLiteral("Export only Bookmark Area"));
    EXPECT_TRUE(bookmarkArea->isEnabled());
    answer("Wav GSM Compressed (*.wav)", "part.v2", &startedIn);
    bookmarkArea->trigger();
    EXPECT_EQ(startedIn.toStdString(), out) << "then where the last export went";
    EXPECT_EQ(Soxi("-e", out + "/part.v2.wav"), "GSM");
    EXPECT_EQ(Soxi("-s", out + "/part.v2.wav"), "16000") << "seconds 1 to 3 only";
    EXPECT_EQ(menu->title(), QStringLiteral("Export to WAV"));

    // The bookmark area in QOR form, aimed at the recording itself: refused, the call kept whole.
    const std::string original = test::ReadFileText(path);
    QAction* nativeArea = list.View().CommandButton(View::kExportNative).menu()->actions().value(1);
    ASSERT_NE(nativeArea, nullptr);
    test::HandleNextDialog([&](QWidget& dialog) {
        test::ChooseFile(dynamic_cast<QFileDialog&>(dialog), QString::fromStdString(path));
        return true;
    });
    QString said;
    test::AnswerNextMessageBox(QMessageBox::Yes); // "replace it?"
    test::AnswerNextMessageBox(QMessageBox::Ok, &said);
    nativeArea->trigger();
    EXPECT_TRUE(said.contains(QStringLiteral("is the recording itself"))) << said.toStdString();
    EXPECT_EQ(test::ReadFileText(path), original);
}

TEST_F(MainWindow, AnEncryptedCallSaysSoAndPlaysOnceItsPassphraseIsEntered)
{
    samplegen::CSampleCall secret;
    secret.version = 5;
    secret.passphrase = "demo";
    secret.durationSeconds = 3;
    const std::string path = calls.Write("calls/secret.qor", secret);
    Call("plain.qor", 2);
    CListWindow& first = Compile(calls.File("calls"));
    CListWindow& list = Compile(calls.File("calls"));
    const auto rowOf = [&](CListWindow& in) {
        for (int row = 0; row < in.Document().GetCount(); ++row)
            if (in.Document().GetEntry(row)->GetPath() == path)
                return row;
        return -1;
    };
    ASSERT_TRUE(list.Document().GetEntry(rowOf(list))->ReadFailed());
    list.View().SelectRows({ rowOf(list) });
    auto* panel = frame->findChild<QLabel*>(QStringLiteral("LoadedCall"));
    EXPECT_TRUE(panel->accessibleName().contains(QStringLiteral("encrypted"))) << panel->accessibleName().toStdString();

    list.View().SortBy(kColumnDuration, false); // shortest first: the unreadable call, with none, on top
    QString said;
    test::AnswerNextMessageBox(QMessageBox::No, &said, QStringLiteral("encrypted-call-message"));
    frame->Menus().play->trigger();
    EXPECT_TRUE(said.contains(QString::fromStdString(path)) && said.contains(QStringLiteral("Enter its passphrase")))
        << said.toStdString();

    test::AnswerNextMessageBox(QMessageBox::Yes);
    test::HandleNextDialog([](QWidget& dialog) {
        test::FindField<QLineEdit>(dialog, QStringLiteral("Passphrase:"))->setText(QStringLiteral("demo"));
        QMetaObject::invokeMethod(&dialog, "accept");
        return true;
    });
    frame->Menus().play->trigger();
    auto playback = Singleton<CPlaybackManager>::Instance();
    ASSERT_TRUE(QTest::qWaitFor([&] { return playback->IsPlaying(); }, 5000)) << "plays without reselecting";
    EXPECT_EQ(playback->GetRecording().GetPath(), path);
    for (CListWindow* each : { &first, &list }) {
        const CRvFileListEntry& entry = *each->Document().GetEntry(rowOf(*each));
        EXPECT_FALSE(entry.ReadFailed()) << "every open list reads the call again";
        EXPECT_EQ(entry.GetDurationSeconds(), 3);
    }
    EXPECT_EQ(list.View().TotalsText().toStdString(), "Calls: 2 Important: 0 Duration: 00:00:05");
    EXPECT_EQ(Durations(list), (std::vector<int>{ 2, 3 })) << "read again, it takes its place in the order";
}

TEST_F(MainWindow, RemoveCutAndTrimCanBeUndoneAndF6WalksThePanes)
{
    int seconds = 3;
    for (const char* name : { "a.qor", "b.qor", "c.qor", "d.qor" })
        Call(name, seconds++);
    CListWindow& list = Compile(calls.File("calls"));
    list.Document().SetModifiedFlag(false);
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    CRecordingTable& table = list.View().Table();
    table.setFocus();
    const auto paths = [&] {
        std::vector<std::string> order;
        for (const auto& entry : list.Document().Entries())
            order.push_back(entry->GetPath());
        return order;
    };
    const std::vector<std::string> before = paths();

    list.View().SelectRows({ 1, 2 });
    test::AnswerNextMessageBox(QMessageBox::Yes);
    QTest::keyClick(&table, Qt::Key_Delete);
    ASSERT_EQ(list.Document().GetCount(), 2);
    EXPECT_TRUE(frame->Menus().undo->isEnabled());
    frame->activateWindow(); // the question box had it
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    table.setFocus();
    QTest::keyClick(&table, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(paths(), before) << "the two rows are back where they were";
    EXPECT_EQ(list.View().SelectedRows(), (std::vector<int>{ 1, 2 }));
    EXPECT_FALSE(list.Document().IsModified()) << "nothing changed in the end";
    EXPECT_FALSE(frame->Menus().undo->isEnabled());

    list.View().SelectRows({ 0 });
    QTest::keyClick(&table, Qt::Key_Delete);
    list.View().SortBy(kColumnDuration, true); // sorted again before the undo: longest first
    QTest::keyClick(&table, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(paths(), std::vector<std::string>(before.rbegin(), before.rend()))
        << "a call brought back takes its place in the order the list shows";
    list.View().SortBy(kColumnDateTime, true);

    list.View().SelectRows({ 3 });
    QTest::keyClick(&table, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(list.Document().GetCount(), 3);
    EXPECT_EQ(
        PathsFromMimeData(*QApplication::clipboard()->mimeData()), QStringList{ QString::fromStdString(before[3]) })
        << "Ctrl+X copies the call, then takes it out";
    QTest::keyClick(&table, Qt::Key_Z, Qt::ControlModifier);
    list.View().SelectRows({ 0 });
    frame->Menus().trim->trigger();
    EXPECT_EQ(list.Document().GetCount(), 1);
    QTest::keyClick(&table, Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(paths(), before) << "Alt+Backspace undoes the trim";

    QWidget* access = frame->findChild<QDockWidget*>(QStringLiteral("AccessPanel"));
    QWidget* player = frame->findChild<QDockWidget*>(QStringLiteral("PlayerPanel"));
    table.setFocus();
    QTest::keyClick(frame.get(), Qt::Key_F6);
    EXPECT_TRUE(player->isAncestorOf(QApplication::focusWidget())) << "from the list to the player";
    auto* scope = qobject_cast<COutputScope*>(QApplication::focusWidget());
    ASSERT_NE(scope, nullptr) << "on the waveform, where + and - zoom";
    const QImage unfocused = [&] {
        scope->clearFocus();
        return scope->grab().toImage();
    }();
    scope->setFocus();
    EXPECT_NE(scope->grab().toImage(), unfocused) << "the focused waveform shows it";
    QTest::keyClick(frame.get(), Qt::Key_F6);
    EXPECT_TRUE(access->isAncestorOf(QApplication::focusWidget())) << "round to the access panel";
    EXPECT_EQ(QApplication::focusWidget(), &frame->AccessPanel().Shortcuts().Tree()) << "on the open page's tree";
    QTest::keyClick(frame.get(), Qt::Key_F6);
    EXPECT_TRUE(table.hasFocus());
    QTest::keyClick(frame.get(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_TRUE(access->isAncestorOf(QApplication::focusWidget())) << "Shift+F6 goes back";
    list.Document().SetModifiedFlag(false);
}

TEST_F(MainWindow, TheKeyboardPlaysPausesRemovesAndClosesAndTabLeavesTheTable)
{
    for (const char* name : { "a.qor", "b.qor", "c.qor" })
        Call(name, 3);
    CListWindow& list = Compile(calls.File("calls"));
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    CRecordingTable& table = list.View().Table();
    table.setFocus();
    list.View().SelectRows({ 1 });
    auto playback = Singleton<CPlaybackManager>::Instance();
    QTest::keyClick(&table, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return playback->IsPlaying(); }, 2000));
    EXPECT_EQ(playback->GetRecording().GetPath(), list.Document().GetEntry(1)->GetPath());
    QTest::keyClick(&table, Qt::Key_Space);
    EXPECT_TRUE(playback->IsPaused());
    QTest::keyClick(&table, Qt::Key_Space);
    EXPECT_TRUE(QTest::qWaitFor([&] { return playback->IsPlaying() && !playback->IsPaused(); }, 2000));
    EXPECT_EQ(table.selectionModel()->selectedRows().size(), 1) << "the keys did not move the selection";

    EXPECT_EQ(frame->Menus().play->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    EXPECT_FALSE(frame->Menus().play->associatedObjects().isEmpty());
    list.View().SelectRows({ 0, 1 });
    QString question;
    test::AnswerNextMessageBox(QMessageBox::No, &question);
    QTest::keyClick(&table, Qt::Key_Delete);
    EXPECT_FALSE(question.isEmpty()) << "two rows go only after the question";
    EXPECT_EQ(list.Document().GetCount(), 3);

    frame->activateWindow(); // the question box had it
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    table.setFocus();
    QTest::keyClick(&table, Qt::Key_Tab);
    EXPECT_FALSE(table.hasFocus()) << "Tab leaves the table instead of walking its cells";
    list.Document().SetModifiedFlag(false);
    QTest::keyClick(frame.get(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_TRUE(test::RunEventsUntil([&] { return frame->Lists().empty(); }, 2000)) << "Ctrl+W closes the list";
}

// The offscreen platform has no desktop opener; this stand-in takes the URLs the desktop's browser
// would be given.
class CStandInBrowser : public QObject {
    Q_OBJECT

public:
    QList<QUrl> shown;

public Q_SLOTS:
    void Show(const QUrl& url) { shown.append(url); }
};

TEST_F(MainWindow, F1ShowsTheManualInTheDesktopsBrowserOrSaysWhyItCannot)
{
    {
        CStandInBrowser browser;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &browser, "Show");
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        QTest::keyClick(frame.get(), Qt::Key_F1);
        frame->Menus().archiveManual->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        ASSERT_EQ(browser.shown.size(), 2);
        const QString manual = browser.shown.front().toLocalFile();
        EXPECT_TRUE(manual.endsWith(QStringLiteral("/manual/index.html")) && QFileInfo(manual).isFile())
            << manual.toStdString();
        EXPECT_EQ(browser.shown.back().fragment(), QStringLiteral("archiving"));
        EXPECT_TRUE(test::ReadFileText(manual.toStdString()).find("id=\"archiving\"") != std::string::npos);
    }
    QString said; // no browser at all
    test::AnswerNextMessageBox(QMessageBox::Ok, &said);
    frame->Menus().manual->trigger();
    EXPECT_TRUE(said.contains(QStringLiteral("no web browser answered")) && said.contains(QStringLiteral("index.html")))
        << said.toStdString();
}

TEST_F(MainWindow, PanelsMenusAndWindowsStayInStepWithWhatTheUserDid)
{
    Call("a.qor", 3);
    samplegen::CSampleCall damaged;
    damaged.startTime = 0;
    calls.Write("calls/zero.qor", damaged);
    Singleton<CSettings>::Instance()->SetColumnWidth(kColumnComment, 5000);
    CListWindow& first = Compile(calls.File("calls"));
    EXPECT_FALSE(first.View().Table().horizontalScrollBar()->isVisible()) << "a wide saved comment width scrolls not";
    for (const auto& entry : first.Document().Entries()) {
        if (entry->GetPath().ends_with("zero.qor")) {
            EXPECT_EQ(entry->GetDateTimeText(), "") << "no start time, no date";
        }
    }

    first.View().SelectRows({ 0 });
    first.View().Play();
    auto playback = Singleton<CPlaybackManager>::Instance();
    ASSERT_TRUE(QTest::qWaitFor([&] { return playback->IsPlaying(); }, 2000));
    auto* player = frame->findChild<QDockWidget*>(QStringLiteral("PlayerPanel"));
    player->close(); // its own button
    EXPECT_FALSE(frame->Menus().playerPanel->isChecked());
    EXPECT_FALSE(playback->IsPlaying()) << "hidden, however, the player stops";
    frame->Menus().playerPanel->trigger();
    EXPECT_TRUE(player->isVisible());
    frame->findChild<QDockWidget*>(QStringLiteral("AccessPanel"))->close();
    EXPECT_FALSE(frame->Menus().accessPanel->isChecked());

    const QString saved = QString::fromStdString(calls.File("kept.reclist"));
    test::HandleNextDialog([&](QWidget& dialog) {
        test::ChooseFile(dynamic_cast<QFileDialog&>(dialog), saved);
        return true;
    });
    frame->Menus().saveAs->trigger();
    ASSERT_TRUE(QFileInfo::exists(saved));
    QMenu* recent = nullptr;
    for (QMenu* menu : frame->menuBar()->findChildren<QMenu*>())
        if (menu->title() == QStringLiteral("Recent File"))
            recent = menu;
    ASSERT_NE(recent, nullptr);
    ASSERT_FALSE(recent->actions().isEmpty());
    EXPECT_TRUE(recent->actions().front()->text().endsWith(QStringLiteral("kept.reclist")))
        << "listed right after Save";

    CListWindow& second = Compile(calls.File("calls"));
    auto* area = frame->findChild<QMdiArea*>();
    frame->Menus().tile->trigger();
    const QRect one = first.parentWidget()->geometry(), two = second.parentWidget()->geometry();
    EXPECT_EQ(one.width(), area->viewport()->width());
    EXPECT_EQ(one.width(), two.width());
    EXPECT_TRUE(one.bottom() < two.top() || two.bottom() < one.top()) << "one under the other";
    frame->Menus().cascade->trigger();
    frame->Menus().tabbed->trigger();
    EXPECT_EQ(area->viewMode(), QMdiArea::TabbedView) << "the tabs come back";
    first.Document().SetModifiedFlag(false);
    second.Document().SetModifiedFlag(false);
}

TEST_F(MainWindow, ScreenshotWithTheDemoLibrary)
{
    samplegen::WriteDemoLibrary(calls.File("demo"), 60);
    CListWindow& list = Compile(calls.File("demo"));
    list.View().SelectRows({ 2 });
    QApplication::processEvents();
    EXPECT_FALSE(test::SaveScreenshot(*frame, QStringLiteral("main-window")).isEmpty());

    frame->resize(1024, 600); // a small laptop's screen: every button of the list still shows whole
    QApplication::processEvents();
    EXPECT_EQ(frame->size(), QSize(1024, 600)) << "the window's parts ask for no more";
    const QRect inside = frame->rect();
    for (QToolButton* button : list.findChildren<QToolButton*>())
        EXPECT_TRUE(inside.contains(QRect(button->mapTo(frame.get(), QPoint(0, 0)), button->size())))
            << button->toolTip().toStdString();
    EXPECT_FALSE(test::SaveScreenshot(*frame, QStringLiteral("main-window-1024x600")).isEmpty());
}

} // namespace
} // namespace qor

#include "MainWindowTest.moc"

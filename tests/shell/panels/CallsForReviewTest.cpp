// "My Calls for Review" driven as a user drives it in the main window: its menu commands and
// their messages, calls dropped from a list and linked from the player, and what is dragged out.
#include "MainWindowFixture.h"
#include "playback/PlaybackManager.h"
#include "shell/common/CallPath.h"
#include "shell/lists/RecordingListView.h"
#include "shell/lists/RecordingTable.h"
#include "shell/panels/AccessPanel.h"
#include "shell/panels/StoreTreeView.h"
#include "shell/panels/TreeStoreModel.h"
#include "shell/panels/review/CallsForReviewPage.h"
#include "shell/player/OutputScope.h"
#include "shell/player/PlayerForm.h"
#include "shell/player/PlayerPanel.h"
#include "support/WidgetTesting.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QToolBox>
#include <QToolButton>
#include <QTreeView>
#include <filesystem>

namespace qor {
namespace {

class CallsForReview : public CMainWindowFixture {
protected:
    CallsForReview() { frame->AccessPanel().Pages().setCurrentWidget(&Page()); }

    CCallsForReviewPage& Page() { return frame->AccessPanel().CallsForReview(); }
    CTreeStoreModel& Model() { return Page().Model(); }
    CStoreTreeView& Tree() { return Page().Tree(); }
    CTreeStore& Store() { return Model().Store(); }

    std::int32_t AddLink(std::int32_t groupId, const std::string& name, const std::string& target)
    {
        std::int32_t id = 0;
        Model().Change([&](CTreeStore& store) {
            id = store.NewId();
            return store.Add({ id, groupId, name, target, false });
        });
        return id;
    }

    std::vector<std::string> ChildNames(std::int32_t groupId)
    {
        std::vector<std::string> names;
        for (const CTreeStoreEntry& child : Store().Children(groupId))
            names.push_back(child.name);
        return names;
    }

    // Runs a command and returns the text of the message box it shows.
    std::string MessageOf(const std::function<void()>& command)
    {
        QString text;
        test::AnswerNextMessageBox(QMessageBox::Ok, &text);
        command();
        return text.toStdString();
    }
};

TEST_F(CallsForReview, RemoveDuplicatesAndValidateSayWhatTheyRemoved)
{
    constexpr std::int32_t kImportant = 1;
    const std::string a = Call("a.qor", 2), b = Call("b.qor", 2), c = Call("c.qor", 2);
    for (const std::string& target : { a, b, a, c, a })
        AddLink(kImportant, LinkNameForFile(target), target);
    const QModelIndex important = Model().IndexOf(kImportant);
    Tree().MarkOnly(important);
    EXPECT_EQ(MessageOf([&] { Page().RemoveDuplicates(important); }), "2 entries removed as duplicates.");
    EXPECT_EQ(ChildNames(kImportant), (std::vector<std::string>{ "a.qor", "b.qor", "c.qor" }));
    EXPECT_EQ(MessageOf([&] { Page().RemoveDuplicates(important); }), "No duplicates found.");

    std::filesystem::remove(b);
    std::filesystem::remove(c);
    EXPECT_EQ(MessageOf([&] { Page().Validate(); }), "The 2 invalid links to calls ware removed from Hotlists tree.");
    EXPECT_EQ(ChildNames(kImportant), (std::vector<std::string>{ "a.qor" }));
    EXPECT_EQ(MessageOf([&] { Page().Validate(); }), "All links to calls are valid.");
    // A folder away for a moment (a share not mounted) takes no link with it.
    const std::string folder = std::filesystem::path(a).parent_path().string();
    std::filesystem::rename(folder, folder + "-away");
    const std::string kept = MessageOf([&] { Page().Validate(); });
    std::filesystem::rename(folder + "-away", folder);
    EXPECT_EQ(kept,
        "These links were kept, as their calls cannot be checked now:\n" + a
            + ": its folder is not there now (a disk or share not mounted?)");
    EXPECT_EQ(ChildNames(kImportant), (std::vector<std::string>{ "a.qor" }));
    AddLink(3, "lost order.qor", a);
    Tree().expandAll();
    test::SaveScreenshot(frame->AccessPanel(), QStringLiteral("access-panel-calls-for-review"));
}

TEST_F(CallsForReview, CallsDroppedFromAListAreLinkedOnceAndSurviveARestart)
{
    Call("one.qor", 2);
    Call("two.qor", 3);
    CListWindow& list = Compile(calls.File("calls"));
    list.View().SelectRows({ 0, 1 });
    CRecordingTable& table = list.View().Table();
    std::unique_ptr<QMimeData> dragged(table.model()->mimeData(table.selectionModel()->selectedRows()));
    constexpr std::int32_t kWonSales = 2;
    const QModelIndex group = Model().IndexOf(kWonSales);
    ASSERT_TRUE(Model().canDropMimeData(dragged.get(), Qt::CopyAction, -1, -1, group));
    EXPECT_TRUE(Model().dropMimeData(dragged.get(), Qt::CopyAction, -1, -1, group));
    EXPECT_FALSE(Model().dropMimeData(dragged.get(), Qt::CopyAction, -1, -1, group)) << "their names are taken";
    EXPECT_EQ(ChildNames(kWonSales), (std::vector<std::string>{ "one.qor", "two.qor" }));

    CHotLists restarted;
    restarted.Load();
    ASSERT_EQ(restarted.Children(kWonSales).size(), 2U);
    EXPECT_EQ(restarted.Children(kWonSales)[1].target, calls.File("calls/two.qor"));

    // Out again: a drag and a copy carry the recordings themselves; the top group is never deleted.
    Tree().MarkOnly(group);
    std::unique_ptr<QMimeData> out(Model().mimeData({ group }));
    EXPECT_EQ(out->urls().size(), 2);
    EXPECT_EQ(out->urls().front().toLocalFile().toStdString(), calls.File("calls/one.qor"));
    Tree().selectionModel()->select(Model().index(0, 0), QItemSelectionModel::Select);
    Page().Copy();
    EXPECT_EQ(QApplication::clipboard()->mimeData()->urls().size(), 2);
    Tree().RemoveMarked();
    EXPECT_TRUE(Store().Exists(0));
    EXPECT_FALSE(Store().Exists(kWonSales));
    Tree().MarkOnly(Model().IndexOf(1));
    Page().Paste(Model().IndexOf(1));
    EXPECT_EQ(ChildNames(1).size(), 2U) << "pasted into Important Calls";
}

TEST_F(CallsForReview, ANameThatIsNotUtf8KeepsItsBytesFromTheListToTheLinkAndBack)
{
    for (const std::string& bytes : { std::string("/a/Caf\xE9 \xFF\xFE.qor"), std::string("/b/\xE6\x9D\xB1\xE4.qor") })
        EXPECT_EQ(PathFromQString(PathToQString(bytes)), bytes);
    const std::string bad = Call("Bad\xFF-call.qor", 3);
    CListWindow& list = Compile(calls.File("calls"));
    list.View().SelectRows({ 0 });
    CRecordingTable& table = list.View().Table();
    std::unique_ptr<QMimeData> dragged(table.model()->mimeData(table.selectionModel()->selectedRows()));
    constexpr std::int32_t kWonSales = 2;
    const QModelIndex group = Model().IndexOf(kWonSales);
    ASSERT_TRUE(Model().dropMimeData(dragged.get(), Qt::CopyAction, -1, -1, group));
    CHotLists restarted;
    restarted.Load();
    ASSERT_EQ(restarted.Children(kWonSales).size(), 1U);
    EXPECT_EQ(restarted.Children(kWonSales)[0].target, bad) << "the exact bytes in hotlist.xml";
    EXPECT_EQ(MessageOf([&] { Page().Validate(); }), "All links to calls are valid.");

    CPlaybackManager& playback = *Singleton<CPlaybackManager>::Instance();
    Page().Play(Model().index(0, 0, group));
    ASSERT_TRUE(
        test::RunEventsUntil([&] { return playback.IsOpen() && !playback.GetRecording().IsDecoding(); }, 10'000));
    EXPECT_EQ(playback.GetRecording().GetPath(), bad);
    // A bookmark set in the panel shows in the list's BM column.
    CPlayerForm& form = *frame->findChild<CPlayerForm*>();
    QTest::mouseClick(form.findChild<QToolButton*>(QStringLiteral("Bookmark start")), Qt::LeftButton);
    Q_EMIT form.Scope().SeekRequested(2 * 8000);
    QTest::mouseClick(form.findChild<QToolButton*>(QStringLiteral("Bookmark end")), Qt::LeftButton);
    EXPECT_TRUE(list.Document().GetEntry(0)->HasBookmark());
}

TEST_F(CallsForReview, MarksMenusAndRenamingFollowTheTreesRules)
{
    const std::string call = Call("kept.qor", 2);
    const std::int32_t link = AddLink(1, "kept.qor", call);
    Tree().expandAll();
    const auto press = [&](std::int32_t id, Qt::KeyboardModifiers modifiers, Qt::MouseButton button = Qt::LeftButton) {
        const QRect rect = Tree().visualRect(Model().IndexOf(id));
        QTest::mouseClick(Tree().viewport(), button, modifiers, rect.center());
    };
    press(1, Qt::NoModifier);
    press(3, Qt::ControlModifier);
    EXPECT_EQ(Tree().MarkedIds(), (std::vector<std::int32_t>{ 1, 3 }));
    press(2, Qt::NoModifier);
    press(4, Qt::ShiftModifier);
    EXPECT_EQ(Tree().MarkedIds(), (std::vector<std::int32_t>{ 2, 3, 4 })) << "a run from the last clicked item";
    QTest::mousePress(
        Tree().viewport(), Qt::RightButton, Qt::NoModifier, Tree().visualRect(Model().IndexOf(link)).center());
    EXPECT_EQ(Tree().MarkedIds(), (std::vector<std::int32_t>{ link })) << "a right-press marks an unmarked item alone";
    QTest::mouseRelease(
        Tree().viewport(), Qt::RightButton, Qt::NoModifier, Tree().visualRect(Model().IndexOf(link)).center());

    const auto enabled = [&](std::int32_t id, const char* command) {
        std::unique_ptr<QMenu> menu(Page().MenuFor(Model().IndexOf(id)));
        for (QAction* action : menu->actions())
            if (action->text() == QString::fromLatin1(command))
                return action->isEnabled();
        ADD_FAILURE() << command;
        return false;
    };
    EXPECT_TRUE(enabled(link, "Play"));
    EXPECT_TRUE(enabled(link, "Explore"));
    EXPECT_FALSE(enabled(link, "New Calls for Review")) << "a link holds nothing";
    Tree().MarkOnly(Model().index(0, 0));
    EXPECT_FALSE(enabled(0, "Rename Calls for Review"));
    EXPECT_FALSE(enabled(0, "Delete"));
    EXPECT_FALSE(enabled(0, "Explore"));
    EXPECT_TRUE(enabled(0, "Remove Duplicates"));
    Tree().selectionModel()->select(Model().IndexOf(2), QItemSelectionModel::Select);
    EXPECT_FALSE(enabled(0, "Play")) << "two marked";
    EXPECT_TRUE(enabled(0, "Create Recording List..."));

    Tree().MarkOnly(Model().IndexOf(link));
    QTest::keyClick(&Tree(), Qt::Key_F2);
    EXPECT_FALSE(Tree().IsEditing()) << "the keys rename groups only";
    Tree().MarkOnly(Model().IndexOf(4));
    QTest::keyClick(&Tree(), Qt::Key_E, Qt::ControlModifier);
    ASSERT_TRUE(Tree().IsEditing());
    auto* editor = Tree().viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->accessibleName(), QStringLiteral("Name")) << "a screen reader says what is typed in";
    editor->setText(QStringLiteral("Callbacks"));
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(test::RunEventsUntil([&] { return !Tree().IsEditing(); }));
    EXPECT_EQ(Store().Find(4)->name, "Callbacks");

    Tree().MarkOnly(Model().IndexOf(1));
    QTest::keyClick(&Tree(), Qt::Key_Delete);
    EXPECT_FALSE(Store().Exists(link)) << "Delete went to the tree, not to a list";
    EXPECT_FALSE(Store().Exists(1));
    Tree().MarkOnly(Model().index(0, 0));
    QTest::keyClick(&Tree(), Qt::Key_Delete);
    EXPECT_TRUE(Store().Exists(0)) << "the top group stays";
}

TEST_F(CallsForReview, PlayerAndListLinkCallsThroughTheGroupPickerAndTheTreePlaysThem)
{
    const std::string call = Call("picked.qor", 3);
    CListWindow& list = Compile(calls.File("calls"));
    list.View().SelectRows({ 0 });
    list.View().Play();
    auto* add = frame->PlayerPanel().Form().findChild<QToolButton*>(QStringLiteral("Add to Calls for Review"));
    ASSERT_TRUE(test::RunEventsUntil([&] { return add->isEnabled(); }));
    test::HandleNextDialog([](QWidget& dialog) {
        auto* tree = dialog.findChild<QTreeView*>();
        EXPECT_TRUE(tree->isExpanded(tree->model()->index(0, 0))) << "every group shown open";
        EXPECT_EQ(tree->model()->rowCount(tree->model()->index(0, 0)), 4) << "groups only";
        tree->setCurrentIndex(tree->model()->index(3, 0, tree->model()->index(0, 0)));
        test::SaveScreenshot(dialog, QStringLiteral("calls-for-review-group-picker"));
        QMetaObject::invokeMethod(&dialog, "accept", Qt::QueuedConnection);
        return true;
    });
    add->click();
    constexpr std::int32_t kPersonal = 4;
    ASSERT_EQ(ChildNames(kPersonal), (std::vector<std::string>{ "picked.qor" }));

    test::HandleNextDialog([](QWidget& dialog) {
        QMetaObject::invokeMethod(&dialog, "accept", Qt::QueuedConnection);
        return true;
    });
    Q_EMIT list.View().AddToReviewRequested({ QString::fromStdString(call) });
    EXPECT_EQ(ChildNames(0).size(), 5U) << "OK links into the top group, chosen at the start";

    frame->PlayerPanel().Stop();
    Singleton<CPlaybackManager>::Instance()->CloseRecording();
    Tree().MarkOnly(Model().IndexOf(kPersonal));
    Page().Play(Model().IndexOf(kPersonal));
    EXPECT_TRUE(Singleton<CPlaybackManager>::Instance()->IsOpen()) << "a group plays its first call";
    EXPECT_EQ(MessageOf([&] { Page().Play(Model().IndexOf(3)); }), "No files have been selected to play.");

    Tree().MarkOnly(Model().IndexOf(kPersonal));
    const std::size_t listsBefore = frame->Lists().size();
    Page().CreateRecordingList();
    ASSERT_EQ(frame->Lists().size(), listsBefore + 1);
    EXPECT_EQ(frame->ActiveList()->Document().Entries().size(), 1U);
}

} // namespace
} // namespace qor

// "My Shortcuts" and "My Explorer" in the main window: shortcuts made from folders, moved by
// drag and compiled into lists, recordings copied into folders, and a folder vanishing under
// the explorer while it is open.
#include "MainWindowFixture.h"
#include "review/RecordingCopy.h"
#include "shell/lists/CreateListDialog.h"
#include "shell/panels/AccessPanel.h"
#include "shell/panels/StoreTreeView.h"
#include "shell/panels/TreeStoreModel.h"
#include "shell/panels/explorer/ExplorerPage.h"
#include "shell/panels/shortcuts/NewShortcutDialog.h"
#include "shell/panels/shortcuts/ShortcutsPage.h"
#include "support/SmallFileSystem.h"
#include "support/WidgetTesting.h"

#include <QDialogButtonBox>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QToolBox>
#include <QTreeView>
#include <algorithm>
#include <filesystem>
#include <memory>

namespace qor {
namespace {

namespace fs = std::filesystem;

class ShortcutsAndExplorer : public CMainWindowFixture {
protected:
    CShortcutsPage& Shortcuts() { return frame->AccessPanel().Shortcuts(); }
    CExplorerPage& Explorer() { return frame->AccessPanel().Explorer(); }
    CTreeStore& Store() { return Shortcuts().Model().Store(); }

    // The explorer's item for a folder once its background reader has it.
    QModelIndex Folder(const std::string& path)
    {
        QModelIndex item;
        EXPECT_TRUE(test::RunEventsUntil([&] {
            item = Explorer().Model().index(QString::fromStdString(path));
            return item.isValid() && !Explorer().FolderOf(item).isEmpty();
        }));
        return item;
    }

    // Opens the folders down to path one by one, as a user clicks through them.
    QModelIndex Reach(const fs::path& path)
    {
        fs::path reached;
        QModelIndex item;
        for (const fs::path& part : path) {
            reached /= part;
            item = Folder(reached.string());
            Explorer().Tree().expand(item);
            EXPECT_TRUE(test::RunEventsUntil([&] { return Explorer().Model().rowCount(item) > 0 || reached == path; }));
        }
        return item;
    }

    std::vector<std::string> Names(std::int32_t groupId)
    {
        std::vector<std::string> names;
        for (const CTreeStoreEntry& child : Store().Children(groupId))
            names.push_back(child.name);
        return names;
    }
};

TEST_F(ShortcutsAndExplorer, ShortcutListsAreMadeFromSubFoldersAndMovedByDrag)
{
    const fs::path office = calls.File("office");
    for (const char* sub : { "alice", "bob", "2015.01" })
        fs::create_directories(office / sub);
    calls.Write("office/one.qor");
    calls.Write("office/two.qor");
    calls.Write("office/alice/kept.qor");
    frame->AccessPanel().Pages().setCurrentWidget(&Explorer());
    test::HandleNextDialog([](QWidget& dialog) {
        auto& picker = dynamic_cast<CNewShortcutDialog&>(dialog);
        auto* ok = picker.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        EXPECT_TRUE(ok->isEnabled()) << "the top group is chosen at the start";
        EXPECT_FALSE(picker.findChild<QLineEdit*>()->isVisibleTo(&picker))
            << "each shortcut takes its sub-folder's name: none is asked for";
        test::SaveScreenshot(picker, QStringLiteral("new-shortcut-list-dialog"));
        picker.accept();
        return true;
    });
    Explorer().CreateShortcutList(Folder(office.string()));
    EXPECT_EQ(Names(0), (std::vector<std::string>{ "2015.01", "alice", "bob" }))
        << "one per sub-folder, files left out";
    test::HandleNextDialog([](QWidget& dialog) {
        auto& picker = dynamic_cast<CNewShortcutDialog&>(dialog);
        EXPECT_EQ(picker.Name(), QStringLiteral("alice"));
        picker.findChild<QLineEdit*>()->clear();
        EXPECT_FALSE(picker.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled())
            << "a shortcut of its own needs a name";
        test::SaveScreenshot(picker, QStringLiteral("new-shortcut-dialog"));
        picker.reject();
        return true;
    });
    Explorer().AddToShortcuts(Folder((office / "alice").string()));

    // A group into one of its own sub-groups stays; a shortcut onto another shortcut joins its group.
    CStoreTreeView& tree = Shortcuts().Tree();
    CTreeStoreModel& model = Shortcuts().Model();
    tree.AddGroup(model.index(0, 0), QStringLiteral("Branches"));
    tree.closePersistentEditor(tree.currentIndex());
    const std::int32_t branches = model.IdOf(tree.currentIndex());
    tree.AddGroup(tree.currentIndex(), QStringLiteral("North"));
    const std::int32_t north = model.IdOf(tree.currentIndex());
    tree.MarkOnly(model.IndexOf(branches));
    std::unique_ptr<QMimeData> group(model.mimeData({ model.IndexOf(branches) }));
    EXPECT_FALSE(model.dropMimeData(group.get(), Qt::MoveAction, -1, -1, model.IndexOf(north)));
    EXPECT_EQ(Store().Find(north)->parentId, branches);
    EXPECT_EQ(Store().Find(branches)->parentId, 0);
    const QModelIndex alice = model.index(1, 0, model.index(0, 0));
    ASSERT_EQ(alice.data().toString().toStdString(), "alice");
    const std::int32_t aliceId = model.IdOf(alice);
    std::unique_ptr<QMimeData> shortcut(model.mimeData({ alice }));
    EXPECT_EQ(shortcut->urls().front().toLocalFile().toStdString(), (office / "alice").string());
    model.dropMimeData(shortcut.get(), Qt::MoveAction, -1, -1, model.IndexOf(north));
    EXPECT_EQ(Store().Find(aliceId)->parentId, north);
    CShortCuts restarted;
    restarted.Load();
    EXPECT_EQ(restarted.Find(aliceId)->parentId, north) << "the move is in the file";

    // A name with a dot looks like a file: not explored; a group is compiled from what is below it.
    const auto enabled = [&](const QModelIndex& item, const char* command) {
        std::unique_ptr<QMenu> menu(Shortcuts().MenuFor(item));
        for (QAction* action : menu->actions())
            if (action->text() == QString::fromLatin1(command))
                return action->isEnabled();
        ADD_FAILURE() << command;
        return false;
    };
    const QModelIndex dotted = model.index(0, 0, model.index(0, 0));
    tree.MarkOnly(dotted);
    EXPECT_FALSE(enabled(dotted, "Explore"));
    EXPECT_TRUE(enabled(dotted, "Create Recording List..."));
    EXPECT_FALSE(enabled(dotted, "New Group"));
    tree.MarkOnly(model.IndexOf(north));
    EXPECT_TRUE(enabled(model.IndexOf(north), "Create Recording List..."));
    tree.MarkOnly(model.IndexOf(branches));
    tree.expandAll();
    frame->AccessPanel().Pages().setCurrentWidget(&Shortcuts());
    test::SaveScreenshot(frame->AccessPanel(), QStringLiteral("access-panel-shortcuts"));
    std::vector<std::string> sources;
    test::HandleNextDialog([&](QWidget& dialog) {
        sources = dynamic_cast<CCreateListDialog&>(dialog).Criteria().sources;
        QMetaObject::invokeMethod(&dialog, "reject", Qt::QueuedConnection);
        return true;
    });
    Shortcuts().CreateRecordingList();
    EXPECT_EQ(sources, (std::vector<std::string>{ (office / "alice").string() })) << "the shortcut moved into North";
}

TEST_F(ShortcutsAndExplorer, DroppedRecordingsAreCopiedOnlyWhenConfirmedAndNeverOverAnotherCall)
{
    const std::string one = Call("one.qor", 2);
    const std::string two = Call("two.QOR", 3);
    const fs::path target = calls.File("target");
    fs::create_directories(target);
    const QModelIndex folder = Folder(target.string());
    const QStringList dropped{ QString::fromStdString(one), QString::fromStdString(two) };

    QString question;
    test::AnswerNextMessageBox(QMessageBox::No, &question);
    Explorer().CopyRecordings(dropped, folder);
    EXPECT_EQ(question,
        QStringLiteral("Are you sure want to copy recordings(s) to %1?\n2 recordings")
            .arg(QString::fromStdString(target.string())));
    EXPECT_TRUE(fs::is_empty(target)) << "No copies nothing";

    test::WriteFileText((target / "two.qor").string(), "another call of that name");
    test::AnswerNextMessageBox(QMessageBox::Yes);
    test::AnswerNextMessageBox(QMessageBox::No, &question); // replace the other two.qor?
    Explorer().CopyRecordings(dropped, folder);
    EXPECT_TRUE(question.contains(QStringLiteral("already holds another call"))) << question.toStdString();
    EXPECT_EQ(test::ReadFileText((target / "two.qor").string()), "another call of that name");
    EXPECT_EQ(test::ReadFileText((target / "one.qor").string()), test::ReadFileText(one));
    EXPECT_EQ(CopyRecordingInto(one, calls.File("calls"), true), CRecordingCopy::AlreadyThere) << "onto itself";
    EXPECT_FALSE(test::ReadFileText(one).empty());

    // A copy that fails is said once and ends the copying (a folder has the name, even for root).
    fs::remove(target / "one.qor");
    fs::create_directory(target / "one.qor");
    QString failure;
    test::AnswerNextMessageBox(QMessageBox::Yes);
    test::AnswerNextMessageBox(QMessageBox::Yes); // replace what has the name
    test::AnswerNextMessageBox(QMessageBox::Ok, &failure);
    Explorer().CopyRecordings(dropped, folder);
    EXPECT_TRUE(failure.startsWith(
        QStringLiteral("Could not copy file %1 to %2\n\n")
            .arg(QString::fromStdString(one), QString::fromStdString((target / "one.qor").string()))))
        << failure.toStdString();
    EXPECT_TRUE(fs::is_directory(target / "one.qor"));
    EXPECT_EQ(test::ReadFileText((target / "two.qor").string()), "another call of that name")
        << "not asked about after the failure";

    // A full disk is named as the reason, and leaves no part of the copy that did not fit.
    const test::CSmallFileSystem disk(256 * 1024);
    if (!disk.Mounted())
        GTEST_SKIP() << "mounting a small file system needs root";
    disk.FillLeaving(8 * 1024);
    const QModelIndex full = Folder(disk.Path());
    test::AnswerNextMessageBox(QMessageBox::Yes);
    test::AnswerNextMessageBox(QMessageBox::Ok, &failure);
    Explorer().CopyRecordings(dropped, full);
    EXPECT_TRUE(failure.endsWith(QStringLiteral("\n\nNo space left on device"))) << failure.toStdString();
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(disk.Path()))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{ "filler", "one.qor" })) << "two.qor did not fit, and left nothing";
    EXPECT_EQ(test::ReadFileText(disk.File("one.qor")), test::ReadFileText(one));
}

TEST_F(ShortcutsAndExplorer, AFolderThatVanishesWhileOpenIsShownGone)
{
    const fs::path share = calls.File("share");
    fs::create_directories(share / "inner" / "deeper");
    frame->AccessPanel().Pages().setCurrentWidget(&Explorer());
    Reach(share / "inner");
    test::SaveScreenshot(frame->AccessPanel(), QStringLiteral("access-panel-explorer"));
    const QPersistentModelIndex folder = Explorer().Model().index(QString::fromStdString(share.string()));
    ASSERT_EQ(Explorer().Model().rowCount(folder), 1);
    fs::remove_all(share / "inner");
    // The background reader notices; the window goes on answering meanwhile.
    EXPECT_TRUE(test::RunEventsUntil([&] { return Explorer().Model().rowCount(folder) == 0; }, 10'000));
    fs::remove_all(share);
    EXPECT_TRUE(test::RunEventsUntil([&] { return !folder.isValid(); }, 10'000)) << "the folder itself gone";
}

} // namespace
} // namespace qor

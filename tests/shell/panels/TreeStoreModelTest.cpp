// The tree model over a calls-for-review store, checked by Qt's own model tester through every
// kind of change, and a view over it keeping what it expanded and marked when another program's
// save is taken in.
#include "shell/panels/TreeStoreModel.h"

#include "review/HotLists.h"
#include "support/TestFolders.h"

#include <QAbstractItemModelTester>
#include <QSortFilterProxyModel>
#include <QTreeView>
#include <gtest/gtest.h>
#include <memory>

namespace qor {
namespace {

class TreeStoreModel : public ::testing::Test {
protected:
    // 0 { 1 { 3, 4 { 5 } }, 2 }, 6
    void SetUp() override
    {
        const std::vector<CTreeStoreEntry> entries{ { 0, -1, "top", "", true }, { 1, 0, "one", "", true },
            { 2, 0, "b.qor", "/calls/b.qor", false }, { 3, 1, "a.qor", "/calls/a.qor", false },
            { 4, 1, "four", "", true }, { 5, 4, "c.qor", "/calls/c.qor", false }, { 6, -1, "six", "", true } };
        for (const CTreeStoreEntry& entry : entries)
            ASSERT_TRUE(store.Add(entry));
        ASSERT_TRUE(store.Save());
        modelOwner = std::make_unique<CTreeStoreModel>(store, CTreeStoreModel::CLook{});
        tester = std::make_unique<QAbstractItemModelTester>(
            modelOwner.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    }

    std::string Name(const QModelIndex& index) const { return index.data().toString().toStdString(); }

    test::CDataFolderSandbox sandbox;
    CHotLists store;
    std::unique_ptr<CTreeStoreModel> modelOwner;
    std::unique_ptr<QAbstractItemModelTester> tester;
    CTreeStoreModel& model() { return *modelOwner; }
};

TEST_F(TreeStoreModel, ShowsTheStoreAndFollowsEveryChange)
{
    ASSERT_EQ(model().rowCount(), 2);
    const QModelIndex one = model().index(0, 0, model().index(0, 0));
    EXPECT_EQ(Name(one), "one");
    EXPECT_EQ(Name(model().index(1, 0, one)), "four");
    EXPECT_EQ(model().parent(model().index(0, 0, model().index(1, 0, one))), model().index(1, 0, one));
    EXPECT_EQ(model().IdsInDisplayOrder(), (std::vector<std::int32_t>{ 0, 1, 3, 4, 5, 2, 6 }));
    EXPECT_FALSE(model().flags(model().index(0, 0)) & Qt::ItemIsEditable) << "the top group keeps its name";

    QSortFilterProxyModel groups;
    groups.setSourceModel(&model());
    groups.setFilterRole(CTreeStoreModel::kIsGroupRole);
    groups.setFilterFixedString(QStringLiteral("true"));
    QAbstractItemModelTester groupTester(&groups, QAbstractItemModelTester::FailureReportingMode::Fatal);

    // What a hand-made file may hold: groups in a loop, a group under itself, a link under nothing.
    for (const CTreeStoreEntry& entry :
        { CTreeStoreEntry{ 8, 9, "a", "", true }, CTreeStoreEntry{ 9, 8, "b", "", true },
            CTreeStoreEntry{ 10, 10, "self", "", true }, CTreeStoreEntry{ 11, 42, "x.qor", "/x.qor", false } })
        ASSERT_TRUE(store.Add(entry));
    model().Rebuild();
    EXPECT_EQ(model().IdsInDisplayOrder(), (std::vector<std::int32_t>{ 0, 1, 3, 4, 5, 2, 6 })) << "none has a way up";
    EXPECT_FALSE(model().IndexOf(10).isValid());

    EXPECT_TRUE(model().setData(model().IndexOf(4), QStringLiteral("renamed")));
    EXPECT_FALSE(model().setData(model().IndexOf(4), QStringLiteral("  "))) << "an emptied caption keeps the name";
    EXPECT_TRUE(model().Change([](CTreeStore& tree) { return tree.Add({ 7, 6, "d.qor", "/calls/d.qor", false }); }));
    EXPECT_TRUE(model().MoveEntries({ 1 }, model().IndexOf(7))) << "onto a link: into the link's group";
    EXPECT_EQ(model().parent(model().IndexOf(1)), model().IndexOf(6));
    EXPECT_FALSE(model().MoveEntries({ 1 }, model().IndexOf(4))) << "a group never goes below itself";
    EXPECT_FALSE(model().MoveEntries({ 0 }, model().IndexOf(6))) << "the top group stays where it is";
    EXPECT_TRUE(model().MoveEntries({ 4, 5 }, model().IndexOf(0))) << "5 moves with its group, not out of it";
    EXPECT_EQ(model().parent(model().IndexOf(5)), model().IndexOf(4));
    EXPECT_TRUE(model().Change([](CTreeStore& tree) { return tree.Remove(6); }));
    EXPECT_FALSE(model().IndexOf(1).isValid());

    CHotLists reader;
    ASSERT_TRUE(reader.Load());
    EXPECT_EQ(reader.Find(4)->name, "renamed") << "each change is saved at once";
    EXPECT_EQ(reader.Find(4)->parentId, 0);
    EXPECT_FALSE(reader.Exists(6));
}

TEST_F(TreeStoreModel, AViewKeepsItsExpandedItemsAndMarksThroughAnotherProgramsSave)
{
    QTreeView view;
    view.setModel(&model());
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.expand(model().IndexOf(0));
    view.expand(model().IndexOf(1));
    view.selectionModel()->select(model().IndexOf(3), QItemSelectionModel::Select);
    view.selectionModel()->select(model().IndexOf(2), QItemSelectionModel::Select);

    CHotLists other;
    ASSERT_TRUE(other.Load());
    ASSERT_TRUE(other.Add({ 7, 0, "first.qor", "/calls/first.qor", false }));
    ASSERT_TRUE(other.Move(2, 6));
    ASSERT_TRUE(other.Remove(4));
    ASSERT_TRUE(other.Save());
    ASSERT_TRUE(model().PickUpSavedChanges());

    EXPECT_TRUE(view.isExpanded(model().IndexOf(0)));
    EXPECT_TRUE(view.isExpanded(model().IndexOf(1)));
    EXPECT_TRUE(view.selectionModel()->isSelected(model().IndexOf(3)));
    EXPECT_TRUE(view.selectionModel()->isSelected(model().IndexOf(2))) << "a marked item moved elsewhere stays marked";
    EXPECT_EQ(model().parent(model().IndexOf(2)), model().IndexOf(6));
    EXPECT_FALSE(model().IndexOf(5).isValid()) << "gone with its group";
    EXPECT_EQ(view.selectionModel()->selectedRows().size(), 2);
    EXPECT_FALSE(model().PickUpSavedChanges()) << "nothing new since";
}

} // namespace
} // namespace qor

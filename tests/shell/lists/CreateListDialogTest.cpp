#include "shell/lists/CreateListDialog.h"

#include "support/WidgetTesting.h"

#include <QAbstractButton>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QSpinBox>
#include <QTest>
#include <cstdlib>
#include <gtest/gtest.h>
#include <time.h>
#include <utility>

namespace qor {
namespace {

using Sources = std::vector<std::string>;

Sources ShownSources(CCreateListDialog& dialog)
{
    const QAbstractItemModel& model = *dialog.findChild<QListView*>()->model();
    Sources shown;
    for (int row = 0; row < model.rowCount(); ++row)
        shown.push_back(model.index(row, 0).data().toString().toStdString());
    return shown;
}

class CreateListDialog : public ::testing::Test {
protected:
    CreateListDialog()
    {
        dialog.SetFolderChooser([this] { return std::exchange(nextFolder, QString()); });
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }

    QAbstractButton* Button(const char* text) { return test::FindButton(dialog, QString::fromUtf8(text)); }
    void Click(const char* text) { QTest::mouseClick(Button(text), Qt::LeftButton); }
    // Check boxes and radio buttons are switched with the space bar, as from the keyboard.
    void Press(const char* text) { QTest::keyClick(Button(text), Qt::Key_Space); }
    void Add(const char* folder)
    {
        nextFolder = QString::fromUtf8(folder);
        Click("Add...");
    }
    QDateEdit* Date(const char* label) { return test::FindField<QDateEdit>(dialog, QString::fromUtf8(label)); }
    Sources Shown() { return ShownSources(dialog); }

    QString nextFolder; // what the folder chooser answers next; empty as if closed

    CCreateListDialog dialog{ nullptr };
};

TEST_F(CreateListDialog, SourcesFollowTheSubDirectoriesSwitch)
{
    ASSERT_TRUE(Button("Include Sub-directories")->isChecked()) << "ticked at opening";
    Add("/calls/2016");
    Add("/calls/2016/jan");
    EXPECT_EQ(Shown(), Sources{ "/calls/2016" });

    Press("Include Sub-directories");
    Add("/calls/2016/jan");
    Add("/calls/\u00FCbersee");
    EXPECT_EQ(Shown(), (Sources{ "/calls/2016", "/calls/2016/jan", "/calls/\u00FCbersee" }));

    Press("Include Sub-directories");
    EXPECT_EQ(Shown(), (Sources{ "/calls/2016", "/calls/\u00FCbersee" }));
    EXPECT_EQ(dialog.Criteria().sources, Shown());
    EXPECT_TRUE(dialog.Criteria().includeSubFolders);

    CCreateListDialog prefilled(nullptr, { "/calls/2016/jan", "/backup", "/calls/2016" });
    EXPECT_EQ(ShownSources(prefilled), (Sources{ "/calls/2016", "/backup" })) << "given folders follow the rules";
}

TEST_F(CreateListDialog, CompileAndRemoveNeedASource)
{
    EXPECT_FALSE(Button("Compile")->isEnabled());
    EXPECT_FALSE(Button("Remove")->isEnabled());
    Click("Add...");
    EXPECT_TRUE(Shown().empty()) << "a chooser closed without a folder adds nothing";

    Add("/calls/a");
    Add("/calls/b");
    auto* view = dialog.findChild<QListView*>();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(0, 0)).center());
    Click("Remove");
    EXPECT_EQ(Shown(), Sources{ "/calls/b" });
    Click("Remove");
    EXPECT_FALSE(Button("Compile")->isEnabled());
    EXPECT_FALSE(Button("Remove")->isEnabled());
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible()) << "nothing to compile yet";

    Add("/calls/z");
    Add("/calls/y");
    Click("Compile");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Criteria().sources, (Sources{ "/calls/z", "/calls/y" })) << "in list order";
}

TEST_F(CreateListDialog, PatternsAndDateRangesComeFromTheControls)
{
    EXPECT_EQ(dialog.Criteria().fileNamePattern, "*");
    EXPECT_EQ(dialog.Criteria().dateRange, kDateRangeWithin30Days);
    EXPECT_FALSE(Date("After this date")->isEnabled());
    auto* fileName = test::FindField<QLineEdit>(dialog, QStringLiteral("Limit by Filename"));
    fileName->selectAll();
    test::TypeText(fileName, QStringLiteral("M\u00FCller"));
    QTest::keyClicks(test::FindField<QLineEdit>(dialog, QStringLiteral("Limit by Caller ID")), QStringLiteral("0123"));
    EXPECT_EQ(dialog.Criteria().fileNamePattern, "M\u00FCller");
    EXPECT_EQ(dialog.Criteria().callerIdPattern, "*0123");

    const std::pair<const char*, int> choices[] = { { "All dates", kDateRangeAll },
        { "Yesterday and today", kDateRangeYesterdayAndToday }, { "Within 7 days", kDateRangeWithin7Days },
        { "Within 30 days", kDateRangeWithin30Days }, { "Specific date range", kDateRangeSpecific } };
    for (const auto& [text, range] : choices) {
        Press(text);
        EXPECT_EQ(dialog.Criteria().dateRange, range) << text;
    }
    EXPECT_TRUE(Date("After this date")->isEnabled());
}

TEST_F(CreateListDialog, SpecificRangeRunsFromLocalMidnightToTheDaysLastSecond)
{
    const char* savedZone = std::getenv("TZ");
    const std::string saved = savedZone ? savedZone : "";
    setenv("TZ", "EST5", 1);
    tzset();
    Press("Specific date range");
    Date("After this date")->setDate(QDate(2016, 1, 29));
    Date("Before this date")->setDate(QDate(2016, 2, 3));
    EXPECT_EQ(dialog.Criteria().rangeStart, 1'454'043'600) << "2016-01-29 05:00:00 UTC";
    EXPECT_EQ(dialog.Criteria().rangeEnd, 1'454'561'999) << "2016-02-04 04:59:59 UTC";

    // Days picked the wrong way round would otherwise switch the date filter off.
    Date("After this date")->setDate(QDate(2016, 2, 3));
    Date("Before this date")->setDate(QDate(2016, 1, 29));
    EXPECT_EQ(dialog.Criteria().rangeStart, 1'454'043'600);
    EXPECT_EQ(dialog.Criteria().rangeEnd, 1'454'561'999);
    savedZone ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
    tzset();
}

TEST_F(CreateListDialog, LengthLimitTakesWholeMinutesUpTo300)
{
    auto* minutes = dialog.findChild<QSpinBox*>();
    EXPECT_FALSE(minutes->isEnabled());
    Press("Only calls larger than");
    EXPECT_TRUE(dialog.Criteria().lengthLimit);
    minutes->selectAll();
    QTest::keyClicks(minutes, QStringLiteral("299"));
    QTest::keyClick(minutes, Qt::Key_Up);
    QTest::keyClick(minutes, Qt::Key_Up);
    EXPECT_EQ(dialog.Criteria().minimumMinutes, 300);

    Press("All calls");
    EXPECT_FALSE(dialog.Criteria().lengthLimit);
    EXPECT_EQ(dialog.Criteria().minimumMinutes, 0);
    Press("Only calls larger than");
    EXPECT_EQ(dialog.Criteria().minimumMinutes, 0) << "choosing the limit starts from 0 again";
}

TEST(CreateListDialogChooser, AddOpensTheFolderWindowWithItsCaption)
{
    CCreateListDialog dialog(nullptr);
    dialog.show();
    QString caption;
    test::HandleNextDialog([&](QWidget& window) {
        caption = window.windowTitle();
        auto* chooser = qobject_cast<QFileDialog*>(&window);
        if (chooser) {
            chooser->setDirectory(QDir::tempPath());
            static_cast<QDialog*>(chooser)->accept();
        }
        return chooser != nullptr;
    });
    QTest::mouseClick(test::FindButton(dialog, QStringLiteral("Add...")), Qt::LeftButton);
    EXPECT_EQ(caption, QStringLiteral("Select directory to add to this recordings list"));
    EXPECT_EQ(dialog.Criteria().sources, Sources{ QDir::tempPath().toStdString() });
}

TEST_F(CreateListDialog, Screenshot)
{
    Add("/home/reception/Recordings/2016");
    Add("/srv/recordings/sales team");
    Press("Specific date range");
    Press("Only calls larger than");
    QTest::keyClick(dialog.findChild<QSpinBox*>(), Qt::Key_Up);
    EXPECT_FALSE(test::SaveScreenshot(dialog, QStringLiteral("create-recording-list")).isEmpty());
}

} // namespace
} // namespace qor

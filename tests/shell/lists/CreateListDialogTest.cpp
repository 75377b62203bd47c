#include "shell/lists/CreateListDialog.h"

#include "support/WidgetTesting.h"

#include <QAbstractItemModel>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <cstdlib>
#include <deque>
#include <gtest/gtest.h>
#include <optional>
#include <time.h>

namespace qor {
namespace {

using Sources = std::vector<std::string>;

// Runs the test in a time zone of its own, so local midnights differ from UTC ones.
class CTimeZone {
public:
    explicit CTimeZone(const char* zone)
    {
        if (const char* saved = std::getenv("TZ"))
            m_saved = saved;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~CTimeZone()
    {
        m_saved ? setenv("TZ", m_saved->c_str(), 1) : unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> m_saved;
};

class CreateListDialog : public ::testing::Test {
protected:
    explicit CreateListDialog(const Sources& folders = {})
        : dialog(nullptr, folders)
    {
        dialog.SetFolderChooser([this] {
            if (chosen.empty())
                return QString();
            QString folder = chosen.front();
            chosen.pop_front();
            return folder;
        });
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }

    QAbstractButton* Button(const char* text)
    {
        for (auto* button : dialog.findChildren<QAbstractButton*>())
            if (button->text() == QString::fromUtf8(text))
                return button;
        ADD_FAILURE() << "no button " << text;
        return nullptr;
    }
    // The field a label names, the way a reader of the dialog pairs them.
    template <typename Widget> Widget* Field(const char* label)
    {
        for (auto* candidate : dialog.findChildren<QLabel*>())
            if (candidate->text() == QString::fromUtf8(label))
                return qobject_cast<Widget*>(candidate->buddy());
        ADD_FAILURE() << "no field " << label;
        return nullptr;
    }
    void Click(const char* text) { QTest::mouseClick(Button(text), Qt::LeftButton); }
    void Add(const char* folder)
    {
        chosen.push_back(QString::fromUtf8(folder));
        Click("Add...");
    }
    // Check boxes and radio buttons are switched with the space bar, as from the keyboard.
    void Press(const char* text) { QTest::keyClick(Button(text), Qt::Key_Space); }
    Sources Shown()
    {
        const QAbstractItemModel& model = *dialog.findChild<QListView*>()->model();
        Sources shown;
        for (int row = 0; row < model.rowCount(); ++row)
            shown.push_back(model.index(row, 0).data().toString().toStdString());
        return shown;
    }

    std::deque<QString> chosen;
    CCreateListDialog dialog;
};

class PrefilledCreateListDialog : public CreateListDialog {
protected:
    PrefilledCreateListDialog()
        : CreateListDialog({ "/calls/2016/jan", "/backup", "/calls/2016" })
    {
    }
};

TEST_F(CreateListDialog, SourcesFollowTheSubDirectoriesSwitch)
{
    ASSERT_TRUE(Button("Include Sub-directories")->isChecked()) << "ticked at opening";
    Add("/calls/2016");
    Add("/calls/2016/jan");
    EXPECT_EQ(Shown(), Sources{ "/calls/2016" }) << "a folder inside a listed one adds nothing";
    Add("/calls/2016-old");
    Add("/calls");
    EXPECT_EQ(Shown(), Sources{ "/calls" }) << "a folder holding listed ones takes their place";

    Press("Include Sub-directories");
    Add("/calls/2016/jan");
    Add("/backup/calls");
    Add("/calls/\u00FCbersee");
    EXPECT_EQ(Shown(), (Sources{ "/calls", "/calls/2016/jan", "/backup/calls", "/calls/\u00FCbersee" }));

    Press("Include Sub-directories");
    EXPECT_EQ(Shown(), (Sources{ "/calls", "/backup/calls" }))
        << "ticking drops the folders another source holds, not those that only contain its text";
    EXPECT_EQ(dialog.Criteria().sources, (Sources{ "/calls", "/backup/calls" }));
    EXPECT_TRUE(dialog.Criteria().includeSubFolders);
}

TEST_F(PrefilledCreateListDialog, GivenFoldersFollowTheSameRules)
{
    EXPECT_EQ(Shown(), (Sources{ "/calls/2016", "/backup" })) << "the holding folder takes the first one's place";
}

TEST_F(CreateListDialog, CompileAndRemoveNeedASource)
{
    EXPECT_FALSE(Button("Compile")->isEnabled());
    EXPECT_FALSE(Button("Remove")->isEnabled());
    Click("Add...");
    EXPECT_TRUE(Shown().empty()) << "a chooser closed without a folder adds nothing";
    EXPECT_FALSE(Button("Compile")->isEnabled());

    Add("/calls/a");
    Add("/calls/b");
    Add("/calls/c");
    EXPECT_TRUE(Button("Compile")->isEnabled());
    auto* view = dialog.findChild<QListView*>();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(1, 0)).center());
    Click("Remove");
    EXPECT_EQ(Shown(), (Sources{ "/calls/a", "/calls/c" }));
    Click("Remove");
    Click("Remove");
    EXPECT_TRUE(Shown().empty());
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
    SearchCriteria criteria = dialog.Criteria();
    EXPECT_EQ(criteria.fileNamePattern, "*");
    EXPECT_EQ(criteria.callerIdPattern, "*");
    EXPECT_EQ(criteria.dateRange, kDateRangeWithin30Days);
    EXPECT_FALSE(Field<QDateEdit>("After this date")->isEnabled());

    QTest::keyClick(Field<QLineEdit>("Limit by Filename"), Qt::Key_Backspace);
    test::TypeText(Field<QLineEdit>("Limit by Filename"), QStringLiteral("M\u00FCller"));
    QTest::keyClicks(Field<QLineEdit>("Limit by Caller ID"), QStringLiteral("0123"));
    criteria = dialog.Criteria();
    EXPECT_EQ(criteria.fileNamePattern, "M\u00FCller");
    EXPECT_EQ(criteria.callerIdPattern, "*0123");

    const std::pair<const char*, int> choices[] = { { "All dates", kDateRangeAll },
        { "Yesterday and today", kDateRangeYesterdayAndToday }, { "Within 7 days", kDateRangeWithin7Days },
        { "Within 30 days", kDateRangeWithin30Days }, { "Specific date range", kDateRangeSpecific } };
    for (const auto& [text, range] : choices) {
        Press(text);
        EXPECT_EQ(dialog.Criteria().dateRange, range) << text;
    }
    EXPECT_TRUE(Field<QDateEdit>("After this date")->isEnabled());
    EXPECT_TRUE(Field<QDateEdit>("Before this date")->isEnabled());
}

TEST_F(CreateListDialog, SpecificRangeRunsFromLocalMidnightToTheDaysLastSecond)
{
    Press("Specific date range");
    Field<QDateEdit>("After this date")->setDate(QDate(2016, 1, 29));
    Field<QDateEdit>("Before this date")->setDate(QDate(2016, 2, 3));
    {
        CTimeZone zone("EST5");
        const SearchCriteria criteria = dialog.Criteria();
        EXPECT_EQ(criteria.rangeStart, 1'454'043'600) << "2016-01-29 05:00:00 UTC";
        EXPECT_EQ(criteria.rangeEnd, 1'454'561'999) << "2016-02-04 04:59:59 UTC";
    }
    {
        CTimeZone zone("XYZ-10");
        EXPECT_EQ(dialog.Criteria().rangeStart, 1'453'989'600) << "2016-01-28 14:00:00 UTC";
        EXPECT_EQ(dialog.Criteria().rangeEnd, 1'454'507'999) << "2016-02-03 13:59:59 UTC";

        // Days picked the wrong way round would otherwise switch the date filter off.
        Field<QDateEdit>("After this date")->setDate(QDate(2016, 2, 3));
        Field<QDateEdit>("Before this date")->setDate(QDate(2016, 1, 29));
        EXPECT_EQ(dialog.Criteria().rangeStart, 1'453'989'600);
        EXPECT_EQ(dialog.Criteria().rangeEnd, 1'454'507'999);
    }
    EXPECT_EQ(Field<QDateEdit>("Before this date")->maximumDate(), QDate(2038, 1, 18))
        << "later days do not fit the criteria's seconds";
}

TEST_F(CreateListDialog, LengthLimitTakesWholeMinutesUpTo300)
{
    auto* minutes = dialog.findChild<QSpinBox*>();
    EXPECT_FALSE(dialog.Criteria().lengthLimit);
    EXPECT_FALSE(minutes->isEnabled());

    Press("Only calls larger than");
    EXPECT_TRUE(minutes->isEnabled());
    QTest::keyClick(minutes, Qt::Key_Up);
    QTest::keyClick(minutes, Qt::Key_Up);
    EXPECT_TRUE(dialog.Criteria().lengthLimit);
    EXPECT_EQ(dialog.Criteria().minimumMinutes, 2);
    minutes->selectAll();
    QTest::keyClicks(minutes, QStringLiteral("299"));
    QTest::keyClick(minutes, Qt::Key_Up);
    QTest::keyClick(minutes, Qt::Key_Up);
    EXPECT_EQ(dialog.Criteria().minimumMinutes, 300);

    Press("All calls");
    EXPECT_FALSE(dialog.Criteria().lengthLimit);
    EXPECT_EQ(dialog.Criteria().minimumMinutes, 0);
    EXPECT_FALSE(minutes->isEnabled());
    Press("Only calls larger than");
    EXPECT_EQ(dialog.Criteria().minimumMinutes, 0) << "choosing the limit starts from 0 again";
}

TEST(CreateListDialogChooser, AddOpensTheFolderWindowWithItsCaption)
{
    CCreateListDialog dialog(nullptr);
    dialog.show();
    QString caption;
    test::HandleNextDialog([&](QWidget& window) {
        auto* chooser = qobject_cast<QFileDialog*>(&window);
        caption = window.windowTitle();
        if (!chooser)
            return false;
        chooser->setDirectory(QDir::tempPath());
        static_cast<QDialog*>(chooser)->accept();
        return true;
    });
    for (auto* button : dialog.findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("Add..."))
            QTest::mouseClick(button, Qt::LeftButton);
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

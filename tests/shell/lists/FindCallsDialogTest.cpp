#include "shell/lists/FindCallsDialog.h"

#include "support/WidgetTesting.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace qor {
namespace {

class FindCallsDialog : public ::testing::Test {
protected:
    FindCallsDialog()
    {
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
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
    QPushButton* Button(const char* text)
    {
        for (auto* button : dialog.findChildren<QPushButton*>())
            if (button->text() == QString::fromUtf8(text))
                return button;
        ADD_FAILURE() << "no button " << text;
        return nullptr;
    }
    // Picks an item from the keyboard, as a user steps through a closed drop-down list.
    void Choose(const char* label, const char* item)
    {
        auto* box = Field<QComboBox>(label);
        QTest::keyClick(box, Qt::Key_Home);
        while (box->currentText() != QString::fromUtf8(item) && box->currentIndex() + 1 < box->count())
            QTest::keyClick(box, Qt::Key_Down);
        EXPECT_EQ(box->currentText().toStdString(), item);
    }

    CFindCallsDialog dialog{ nullptr };
};

TEST_F(FindCallsDialog, OpensSearchingEverywhereInBothDirections)
{
    EXPECT_EQ(dialog.Field(), FindField::All);
    EXPECT_EQ(dialog.Direction(), FindDirection::Both);
    EXPECT_EQ(dialog.Text(), "");
    EXPECT_TRUE(Field<QLineEdit>("For:")->hasFocus()) << "the text can be typed at once";
    EXPECT_EQ(Field<QComboBox>("Search in:")->count(), 4);
    EXPECT_EQ(Field<QComboBox>("Direction:")->count(), 3);
}

TEST_F(FindCallsDialog, AnswersWhatWasChosen)
{
    const std::pair<const char*, FindField> fields[] = { { "User ID", FindField::UserId },
        { "Caller ID", FindField::CallerId }, { "Comment", FindField::Comment }, { "All", FindField::All } };
    for (const auto& [item, field] : fields) {
        Choose("Search in:", item);
        EXPECT_EQ(dialog.Field(), field) << item;
    }
    const std::pair<const char*, FindDirection> directions[] = { { "Both", FindDirection::Both },
        { "Incoming Only", FindDirection::IncomingOnly }, { "Outgoing Only", FindDirection::OutgoingOnly } };
    for (const auto& [item, direction] : directions) {
        Choose("Direction:", item);
        EXPECT_EQ(dialog.Direction(), direction) << item;
    }

    QTest::keyClicks(Field<QLineEdit>("For:"), QStringLiteral("0123*"));
    test::TypeText(Field<QLineEdit>("For:"), QStringLiteral("\u00E9"));
    EXPECT_EQ(dialog.Text(), "0123*\u00E9") << "as UTF-8";
    QTest::mouseClick(Button("OK"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(FindCallsDialog, TextStopsAt1024Characters)
{
    QTest::keyClicks(Field<QLineEdit>("For:"), QString(1030, QLatin1Char('7')));
    EXPECT_EQ(dialog.Text(), std::string(1024, '7'));
    QTest::mouseClick(Button("Cancel"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(FindCallsDialog, Screenshot)
{
    Choose("Search in:", "Caller ID");
    QTest::keyClicks(Field<QLineEdit>("For:"), QStringLiteral("0123"));
    Choose("Direction:", "Incoming Only");
    EXPECT_FALSE(test::SaveScreenshot(dialog, QStringLiteral("search-for-specific-calls")).isEmpty());
}

} // namespace
} // namespace qor

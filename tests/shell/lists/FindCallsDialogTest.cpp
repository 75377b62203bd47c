#include "shell/lists/FindCallsDialog.h"

#include "support/WidgetTesting.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
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

    QLineEdit* Text() { return test::FindField<QLineEdit>(dialog, QStringLiteral("For:")); }
    // Steps through the closed drop-down list from the keyboard until the item shows.
    void Choose(const char* label, const char* item)
    {
        auto* box = test::FindField<QComboBox>(dialog, QString::fromUtf8(label));
        QTest::keyClick(box, Qt::Key_Home);
        while (box->currentText() != QString::fromUtf8(item) && box->currentIndex() + 1 < box->count())
            QTest::keyClick(box, Qt::Key_Down);
    }

    CFindCallsDialog dialog{ nullptr };
};

TEST_F(FindCallsDialog, AnswersWhatWasChosen)
{
    EXPECT_EQ(dialog.Field(), FindField::All);
    EXPECT_EQ(dialog.Direction(), FindDirection::Both);
    EXPECT_TRUE(Text()->hasFocus()) << "the text can be typed at once";

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

    test::TypeText(Text(), QStringLiteral("0123*\u00E9"));
    EXPECT_EQ(dialog.Text(), "0123*\u00E9") << "as UTF-8";
    Text()->selectAll();
    QTest::keyClicks(Text(), QString(1030, QLatin1Char('7')));
    EXPECT_EQ(dialog.Text(), std::string(1024, '7'));
    QTest::mouseClick(test::FindButton(dialog, QStringLiteral("OK")), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(FindCallsDialog, Screenshot)
{
    Choose("Search in:", "Caller ID");
    QTest::keyClicks(Text(), QStringLiteral("0123"));
    Choose("Direction:", "Incoming Only");
    EXPECT_FALSE(test::SaveScreenshot(dialog, QStringLiteral("search-for-specific-calls")).isEmpty());
}

} // namespace
} // namespace qor

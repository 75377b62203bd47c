#include "shell/dialogs/DecryptionDialog.h"

#include "foundation/Settings.h"
#include "support/TestFolders.h"
#include "support/WidgetTesting.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace qor {
namespace {

class DecryptionDialog : public ::testing::Test {
protected:
    DecryptionDialog()
    {
        settings.SetPassphrase("  open sesame\t");
        settings.SetSavePassphrase(true);
    }

    void Open()
    {
        dialog = std::make_unique<CDecryptionDialog>(nullptr, settings);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    QLineEdit* Passphrase() { return test::FindField<QLineEdit>(*dialog, QStringLiteral("Passphrase:")); }
    QAbstractButton* Button(const char* text) { return test::FindButton(*dialog, QString::fromUtf8(text)); }
    QAbstractButton* Remember() { return Button("Remember this Passphrase on my PC."); }
    void Retype(const QString& passphrase)
    {
        Passphrase()->selectAll();
        test::TypeText(Passphrase(), passphrase);
    }

    test::CDataFolderSandbox sandbox;
    CSettings settings;
    std::unique_ptr<CDecryptionDialog> dialog;
};

TEST_F(DecryptionDialog, OkStoresTheTrimmedPassphraseAndTheChoice)
{
    Open();
    Retype(QStringLiteral("typo"));
    QTest::keyClick(Remember(), Qt::Key_Space);
    QTest::mouseClick(Button("Cancel"), Qt::LeftButton);
    EXPECT_EQ(settings.GetPassphrase(), "open sesame") << "Cancel keeps both";
    EXPECT_TRUE(settings.GetSavePassphrase());

    Open();
    EXPECT_EQ(Passphrase()->text(), QStringLiteral("open sesame"));
    EXPECT_EQ(Passphrase()->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(Remember()->isChecked());
    Retype(QStringLiteral("  caf\u00E9 cr\u00E8me \t"));
    QTest::keyClick(Remember(), Qt::Key_Space);
    QTest::mouseClick(Button("OK"), Qt::LeftButton);
    EXPECT_EQ(settings.GetPassphrase(), "caf\u00E9 cr\u00E8me");
    EXPECT_FALSE(settings.GetSavePassphrase());

    Open();
    EXPECT_FALSE(Remember()->isChecked());
    QTest::keyClick(Remember(), Qt::Key_Space);
    QTest::keyClick(Passphrase(), Qt::Key_Return);
    EXPECT_EQ(dialog->result(), QDialog::Accepted) << "Return presses OK";
    EXPECT_TRUE(settings.GetSavePassphrase());
}

TEST_F(DecryptionDialog, Screenshot)
{
    Open();
    EXPECT_FALSE(test::SaveScreenshot(*dialog, QStringLiteral("decryption")).isEmpty());
}

} // namespace
} // namespace qor

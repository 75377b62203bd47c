#include "shell/dialogs/DecryptionDialog.h"

#include "foundation/Settings.h"
#include "support/TestFolders.h"
#include "support/WidgetTesting.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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
    QLineEdit* Passphrase()
    {
        for (auto* label : dialog->findChildren<QLabel*>())
            if (label->text() == QStringLiteral("Passphrase:"))
                return qobject_cast<QLineEdit*>(label->buddy());
        ADD_FAILURE() << "no passphrase field";
        return nullptr;
    }
    QAbstractButton* Button(const QString& text)
    {
        for (auto* button : dialog->findChildren<QAbstractButton*>())
            if (button->text() == text)
                return button;
        ADD_FAILURE() << "no button " << text.toStdString();
        return nullptr;
    }
    QAbstractButton* Remember() { return Button(QStringLiteral("Remember this Passphrase on my PC.")); }
    void Retype(const QString& passphrase)
    {
        Passphrase()->selectAll();
        test::TypeText(Passphrase(), passphrase);
    }

    test::CDataFolderSandbox sandbox;
    CSettings settings;
    std::unique_ptr<CDecryptionDialog> dialog;
};

TEST_F(DecryptionDialog, ShowsTheStoredPassphraseHidden)
{
    Open();
    EXPECT_EQ(Passphrase()->text(), QStringLiteral("open sesame"));
    EXPECT_EQ(Passphrase()->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(Passphrase()->hasFocus());
    EXPECT_TRUE(Remember()->isChecked());

    dialog.reset();
    settings.SetSavePassphrase(false);
    Open();
    EXPECT_FALSE(Remember()->isChecked());
}

TEST_F(DecryptionDialog, OkStoresTheTrimmedPassphraseAndTheChoice)
{
    Open();
    Retype(QStringLiteral("  new phrase \t"));
    QTest::keyClick(Remember(), Qt::Key_Space);
    QTest::mouseClick(Button(QStringLiteral("OK")), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(settings.GetPassphrase(), "new phrase");
    EXPECT_FALSE(settings.GetSavePassphrase());

    Open();
    QTest::keyClick(Remember(), Qt::Key_Space);
    Retype(QStringLiteral("caf\u00E9"));
    QTest::keyClick(Passphrase(), Qt::Key_Return);
    EXPECT_EQ(dialog->result(), QDialog::Accepted) << "Return presses OK";
    EXPECT_EQ(settings.GetPassphrase(), "caf\u00E9");
    EXPECT_TRUE(settings.GetSavePassphrase());
}

TEST_F(DecryptionDialog, CancelKeepsThePassphrase)
{
    Open();
    Retype(QStringLiteral("typo"));
    QTest::keyClick(Remember(), Qt::Key_Space);
    QTest::mouseClick(Button(QStringLiteral("Cancel")), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(settings.GetPassphrase(), "open sesame");
    EXPECT_TRUE(settings.GetSavePassphrase());
}

TEST_F(DecryptionDialog, Screenshot)
{
    Open();
    EXPECT_FALSE(test::SaveScreenshot(*dialog, QStringLiteral("decryption")).isEmpty());
}

} // namespace
} // namespace qor

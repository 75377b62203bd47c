#include "shell/dialogs/DecryptionDialog.h"

#include "foundation/Settings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qor {
namespace {

constexpr int kVisiblePassphraseLength = 32;

} // namespace

CDecryptionDialog::CDecryptionDialog(QWidget* parent, CSettings& settings)
    : QDialog(parent)
    , m_settings(settings)
{
    setWindowTitle(QStringLiteral("Decryption"));
    auto* details = new QGroupBox(QStringLiteral("Decryption Details"), this);
    m_passphrase = new QLineEdit(QString::fromStdString(settings.GetPassphrase()), details);
    m_passphrase->setEchoMode(QLineEdit::Password);
    m_passphrase->setMinimumWidth(fontMetrics().averageCharWidth() * kVisiblePassphraseLength);
    m_remember = new QCheckBox(QStringLiteral("Remember this Passphrase on my PC."), details);
    m_remember->setChecked(settings.GetSavePassphrase());
    auto* fields = new QFormLayout(details);
    fields->addRow(QStringLiteral("Passphrase:"), m_passphrase);
    fields->addRow(m_remember);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDecryptionDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDecryptionDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(details);
    layout->addWidget(buttons);
    m_passphrase->setFocus();
}

void CDecryptionDialog::accept()
{
    m_settings.SetPassphrase(m_passphrase->text().toStdString());
    m_settings.SetSavePassphrase(m_remember->isChecked());
    QDialog::accept();
}

} // namespace qor

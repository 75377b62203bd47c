// The "Decryption" dialog of the Encryption command: the passphrase that opens encrypted recordings
// and whether it is remembered on this computer. It edits the settings it is given; recordings
// read afterwards use the new passphrase.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace qor {

class CSettings;

class CDecryptionDialog : public QDialog {
    Q_OBJECT

public:
    CDecryptionDialog(QWidget* parent, CSettings& settings);

    // Stores the passphrase, without surrounding blanks, and the remember choice.
    void accept() override;

private:
    CSettings& m_settings;
    QLineEdit* m_passphrase = nullptr;
    QCheckBox* m_remember = nullptr;
};

} // namespace qor

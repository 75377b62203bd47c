// "Annotate the call": the user's words of one call's comment, typed or picked from the
// predefined comments ("Comments.txt" in the configuration folder, or the program's own). The
// bookmark, which lives inside the comment, is never shown here and never changed; the words take
// at most the room the field has beside it, and the dialog says how much is left as the user
// types. Nothing reaches the recording before OK.
#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPlainTextEdit;

namespace qor {

class CAnnotateDialog : public QDialog {
    Q_OBJECT

public:
    // words: the comment's own words; room: the bytes they may take in the recording.
    CAnnotateDialog(const QString& words, int room, QWidget* parent = nullptr);

    // The words with their lines ending in CR LF, as comments are stored.
    QString Comment() const;
    QComboBox& Predefined() { return *m_predefined; }

private:
    void KeepWithinLimit();
    void Pick(int index);

    QPlainTextEdit* m_edit;
    QComboBox* m_predefined;
    QLabel* m_roomLeft;
    int m_room;
};

} // namespace qor

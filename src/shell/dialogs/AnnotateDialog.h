// "Annotate the call": the comment of one call, typed or picked from the predefined comments
// ("Comments.txt" in the configuration folder, or the program's own). A pick replaces the text
// and keeps the call's bookmark, which lives inside the comment; nothing reaches the recording
// before OK.
#pragma once

#include <QDialog>

class QComboBox;
class QPlainTextEdit;

namespace qor {

class CAnnotateDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMaxCharacters = 1024;

    CAnnotateDialog(const QString& comment, QWidget* parent = nullptr);

    // The comment with its lines ending in CR LF, as comments are stored.
    QString Comment() const;
    QComboBox& Predefined() { return *m_predefined; }

private:
    void KeepWithinLimit();
    void Pick(int index);

    QPlainTextEdit* m_edit;
    QComboBox* m_predefined;
    QString m_original; // the stored comment, whose bookmark a pick keeps
};

} // namespace qor

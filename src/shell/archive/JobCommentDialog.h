// "Archive Job Comments": edits the comment an archive job carries in the archive log.
#pragma once

#include <QDialog>
#include <optional>

class QLineEdit;

namespace qor {

class CJobCommentDialog : public QDialog {
    Q_OBJECT

public:
    CJobCommentDialog(const QString& comment, QWidget* parent = nullptr);
    QString Comment() const;

    // The edited comment, or nothing when the user cancelled.
    static std::optional<QString> Edit(const QString& comment, QWidget* parent);

private:
    QLineEdit* m_comment;
};

} // namespace qor

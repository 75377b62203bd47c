#include "shell/archive/JobCommentDialog.h"

#include "archive/JobArchListEntry.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qor {

CJobCommentDialog::CJobCommentDialog(const QString& comment, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Archive Job Comments"));
    auto* label = new QLabel(QStringLiteral("Enter &Comment for this archive job:"), this);
    m_comment = new QLineEdit(comment, this);
    // The log keeps a comment of this many bytes; the field stops at as many characters.
    m_comment->setMaxLength(static_cast<int>(CJobArchListEntry::kCommentCapacity) - 1);
    m_comment->setMinimumWidth(fontMetrics().averageCharWidth() * 60);
    label->setBuddy(m_comment);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_comment);
    layout->addWidget(buttons);
    m_comment->selectAll();
}

QString CJobCommentDialog::Comment() const
{
    return m_comment->text();
}

std::optional<QString> CJobCommentDialog::Edit(const QString& comment, QWidget* parent)
{
    CJobCommentDialog dialog(comment, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Comment();
}

} // namespace qor

#include "shell/lists/FindCallsDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qor {
namespace {

constexpr int kMaximumTextLength = 1024;
constexpr int kVisibleTextLength = 56;

} // namespace

CFindCallsDialog::CFindCallsDialog(QWidget* parent)
    : QDialog(parent)
    , m_field(new QComboBox(this))
    , m_text(new QLineEdit(this))
    , m_direction(new QComboBox(this))
{
    setWindowTitle(QStringLiteral("Search for specific calls"));
    m_field->addItem(QStringLiteral("User ID"), static_cast<int>(FindField::UserId));
    m_field->addItem(QStringLiteral("Caller ID"), static_cast<int>(FindField::CallerId));
    m_field->addItem(QStringLiteral("Comment"), static_cast<int>(FindField::Comment));
    m_field->addItem(QStringLiteral("All"), static_cast<int>(FindField::All));
    m_field->setCurrentIndex(m_field->findData(static_cast<int>(FindField::All)));
    m_text->setMaxLength(kMaximumTextLength);
    // Wide enough for a comment phrase, and for the note below to read in two lines.
    m_text->setMinimumWidth(fontMetrics().averageCharWidth() * kVisibleTextLength);
    m_direction->addItem(QStringLiteral("Both"), static_cast<int>(FindDirection::Both));
    m_direction->addItem(QStringLiteral("Incoming Only"), static_cast<int>(FindDirection::IncomingOnly));
    m_direction->addItem(QStringLiteral("Outgoing Only"), static_cast<int>(FindDirection::OutgoingOnly));

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Search in:"), m_field);
    fields->addRow(QStringLiteral("For:"), m_text);
    fields->addRow(QStringLiteral("Direction:"), m_direction);

    auto* note = new QLabel(QStringLiteral("Please note that the chevrons '<' and '>' are not required to be entered "
                                           "when searching for incoming or outgoing calls."),
        this);
    note->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CFindCallsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CFindCallsDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addWidget(note);
    layout->addWidget(buttons);
    m_text->setFocus();
}

FindField CFindCallsDialog::Field() const
{
    return static_cast<FindField>(m_field->currentData().toInt());
}

std::string CFindCallsDialog::Text() const
{
    return m_text->text().toStdString();
}

FindDirection CFindCallsDialog::Direction() const
{
    return static_cast<FindDirection>(m_direction->currentData().toInt());
}

} // namespace qor

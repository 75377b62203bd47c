#include "shell/dialogs/ProgressDialog.h"

#include "foundation/ResourceStrings.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace qor {

CProgressDialog::CProgressDialog(QWidget* owner)
    : QDialog(owner)
    , m_text(new QLabel(this))
    , m_bar(new QProgressBar(this))
{
    setWindowTitle(QString::fromStdString(LoadResourceString(IDS_TASK_IN_PROGRESS)));
    // Shown, not run: the task goes on in the caller's loop while no other window takes input.
    setWindowModality(Qt::ApplicationModal);
    m_text->setMinimumWidth(320);
    m_text->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &CProgressDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_bar);
    layout->addWidget(buttons);
}

CProgressDialog::~CProgressDialog()
{
    Finish();
}

void CProgressDialog::SetText(const QString& text)
{
    m_text->setText(text);
}

void CProgressDialog::SetRange(int minimum, int maximum)
{
    m_bar->setRange(minimum, maximum);
}

void CProgressDialog::SetValue(int value)
{
    m_bar->setValue(value);
}

void CProgressDialog::Begin()
{
    m_cancelled = false;
    show();
    raise();
}

void CProgressDialog::Finish()
{
    hide();
}

void CProgressDialog::reject()
{
    m_cancelled = true;
}

} // namespace qor

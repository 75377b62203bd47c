#include "shell/archive/WizardStatusPanel.h"

#include "shell/archive/ArchiveTexts.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace qor {
namespace {

constexpr std::array<const char*, CWizardStatusPanel::kFieldCount> kFieldCaptions
    = { "Call Count:", "Required Space:", "Write Method:", "Original Calls Modification:", "Structure:" };
constexpr std::array<const char*, CWizardStatusPanel::kStepCount> kStepNames
    = { "Set calls to archive", "Define job settings", "Archive calls", "Confirm call modifications", "Job complete" };

} // namespace

CWizardStatusPanel::CWizardStatusPanel(QWidget* parent)
    : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    setAccessibleName(QStringLiteral("Archive Job Info"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeCaption(QStringLiteral("Archive Job Info")));
    auto* fields = new QFormLayout;
    for (int field = 0; field < kFieldCount; ++field) {
        m_values[field] = new QLabel(this);
        m_values[field]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        auto* caption = new QLabel(QString::fromLatin1(kFieldCaptions[field]), this);
        caption->setBuddy(m_values[field]);
        fields->addRow(caption, m_values[field]);
    }
    layout->addLayout(fields);
    layout->addSpacing(12);
    auto* steps = new QGridLayout;
    for (int step = 0; step < kStepCount; ++step) {
        m_marks[step] = new QLabel(this);
        m_marks[step]->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("MM")));
        m_steps[step] = new QLabel(QString::fromLatin1(kStepNames[step]), this);
        steps->addWidget(m_marks[step], step, 0);
        steps->addWidget(m_steps[step], step, 1);
    }
    layout->addLayout(steps);
    layout->addStretch();
    SetCurrentStep(0);
}

void CWizardStatusPanel::SetText(Field field, const QString& text)
{
    // Read as its caption (the label it is the buddy of) and then its text, each once.
    m_values[field]->setText(text);
}

QString CWizardStatusPanel::Text(Field field) const
{
    return m_values[field]->text();
}

void CWizardStatusPanel::SetCurrentStep(int current)
{
    for (int step = 0; step < kStepCount; ++step) {
        const bool done = step < current;
        const bool now = step == current;
        // A tick, an arrow or a dot, and the step in bold while it is the current one.
        m_marks[step]->setText(done ? QStringLiteral("\u2714")
                : now               ? QStringLiteral("\u25B6")
                                    : QStringLiteral("\u2022"));
        QFont font = m_steps[step]->font();
        font.setBold(now);
        m_steps[step]->setFont(font);
        m_steps[step]->setEnabled(done || now);
        const QString state = done ? QStringLiteral("done")
            : now                  ? QStringLiteral("current")
                                   : QStringLiteral("pending");
        // Read in order as "done, Set calls to archive": the mark says the state, the step its name.
        m_marks[step]->setAccessibleName(state);
        m_steps[step]->setAccessibleName(QString::fromLatin1(kStepNames[step]));
    }
}

} // namespace qor

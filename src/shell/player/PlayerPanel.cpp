#include "shell/player/PlayerPanel.h"

#include "shell/player/PlayerForm.h"

namespace qor {

CPlayerPanel::CPlayerPanel(QWidget* parent)
    : QDockWidget(QStringLiteral("Player Panel"), parent)
    , m_form(new CPlayerForm(this))
{
    setObjectName(QStringLiteral("PlayerPanel"));
    setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    setWidget(m_form);
}

void CPlayerPanel::ShowLoadedCall(const QString& problem)
{
    m_form->Refresh(problem);
}

void CPlayerPanel::Stop()
{
    m_form->StopStep();
}

} // namespace qor

#include "shell/player/PlayerPanel.h"

#include "foundation/Singleton.h"
#include "playback/PlaybackManager.h"

#include <QFileInfo>
#include <QLabel>

namespace qor {

CPlayerPanel::CPlayerPanel(QWidget* parent)
    : QDockWidget(QStringLiteral("Player Panel"), parent)
    , m_call(new QLabel(this))
{
    setObjectName(QStringLiteral("PlayerPanel"));
    setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    m_call->setObjectName(QStringLiteral("LoadedCall"));
    m_call->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    m_call->setFocusPolicy(Qt::StrongFocus); // F6 reaches the panel, and a screen reader reads the call
    m_call->setMargin(8);
    m_call->setMinimumHeight(48);
    setWidget(m_call);
    ShowLoadedCall();
}

void CPlayerPanel::ShowLoadedCall(const QString& problem)
{
    auto playback = Singleton<CPlaybackManager>::Instance();
    if (!playback->IsOpen()) {
        m_call->setText(problem.isEmpty() ? QStringLiteral("No call loaded.") : problem);
        return;
    }
    const CRvRecordFileHdr& header = playback->GetRecording().GetHeader();
    m_call->setText(QFileInfo(QString::fromStdString(playback->GetRecording().GetPath())).fileName()
        + QStringLiteral("  -  ") + QString::fromStdString(header.FormatStartTime()) + QStringLiteral("  -  ")
        + QString::fromStdString(header.FormatDuration()));
}

void CPlayerPanel::Stop()
{
    Singleton<CPlaybackManager>::Instance()->Play(false, true);
}

} // namespace qor

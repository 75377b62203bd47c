// The "Player Panel" docked at the bottom. The player's controls and its waveform come with the
// player's own window; until then the panel names the call loaded for playing and whether it plays.
#pragma once

#include <QDockWidget>

class QLabel;

namespace qor {

class CPlayerPanel : public QDockWidget {
    Q_OBJECT

public:
    explicit CPlayerPanel(QWidget* parent = nullptr);

    // Shows what the playback manager holds now, or why the selected call could not be loaded.
    void ShowLoadedCall(const QString& problem = {});
    // Stops playback and goes back to the start (the panel's Stop).
    void Stop();

private:
    QLabel* m_call;
};

} // namespace qor

// The "Player Panel" docked at the bottom: the player form (the loaded call, its waveform and the
// buttons that play it) in a dock the user can hide, float or move.
#pragma once

#include <QDockWidget>

namespace qor {

class CPlayerForm;

class CPlayerPanel : public QDockWidget {
    Q_OBJECT

public:
    explicit CPlayerPanel(QWidget* parent = nullptr);

    // Shows what the playback manager holds now, or why the selected call could not be loaded.
    void ShowLoadedCall(const QString& problem = {});
    // Stops playback and goes back to the start (the panel's Stop).
    void Stop();
    CPlayerForm& Form() { return *m_form; }

private:
    CPlayerForm* m_form;
};

} // namespace qor

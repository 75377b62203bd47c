// The player's listening tools: the playback speed, from half to twice as fast in quarter steps,
// and the "Skip silence" toggle. They only show and offer the choice; the player applies it.
#pragma once

#include <QWidget>
#include <array>

class QComboBox;
class QToolButton;

namespace qor {

class CListeningControls : public QWidget {
    Q_OBJECT

public:
    static constexpr std::array<double, 7> kSpeeds{ 0.5, 0.75, 1.0, 1.25, 1.5, 1.75, 2.0 };

    explicit CListeningControls(QWidget* parent = nullptr);

    double Speed() const;
    // The next speed up or down, as the keys choose it; nothing past either end.
    void Faster();
    void Slower();
    bool SkipsSilence() const;
    void ToggleSkipSilence();

Q_SIGNALS:
    void SpeedChosen(double speed);
    void SkipSilenceChosen(bool skip);

private:
    QComboBox* m_speed;
    QToolButton* m_skipSilence;
};

} // namespace qor

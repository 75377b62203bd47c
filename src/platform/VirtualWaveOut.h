// A sound device without sound: it plays buffers on a clock, in real time or faster for tests, so
// the program works on machines without a sound server. Like a real device it reads every sample
// it plays; the count and sum of what it played let tests check the sound that went out.
#pragma once

#include "platform/QueuedWaveOut.h"

#include <QElapsedTimer>
#include <QTimer>

namespace qor {

class CVirtualWaveOut : public CQueuedWaveOut {
public:
    // speed: how many seconds of sound pass in one second (1 for real time).
    explicit CVirtualWaveOut(double speed = 1.0);

    int Open(IWaveOutListener* listener) override;
    int GetPosition(std::uint64_t& bytes) override;
    int Close() override;

    std::uint64_t PlayedSamples() const { return m_playedSamples; }
    std::int64_t PlayedSum() const { return m_playedSum; }

private:
    void Advance();

    double m_speed;
    QTimer m_clock;
    QElapsedTimer m_elapsed;
    double m_budget = 0.0; // bytes the clock allows beyond what has been played
    std::uint64_t m_playedBytes = 0;
    std::uint64_t m_playedSamples = 0;
    std::int64_t m_playedSum = 0;
};

} // namespace qor

// A 10 ms timer in the event loop that notes the longest it had to wait: a stall a user would feel.
// A step run straight from the benchmark blocks the loop, so its stall is the time it took.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <algorithm>

namespace {

constexpr int kTickMs = 10;

// The longest wait between two ticks beyond the tick itself, since the last Reset.
class CStallMeter {
public:
    CStallMeter()
    {
        m_timer.setInterval(kTickMs);
        QObject::connect(
            &m_timer, &QTimer::timeout, [this] { m_longest = std::max(m_longest, m_sinceTick.restart() - kTickMs); });
        m_timer.start();
        m_sinceTick.start();
    }
    void Reset()
    {
        QApplication::processEvents();
        m_longest = 0;
        m_sinceTick.restart();
    }
    qint64 Longest()
    {
        // The stall at the end of a step shows at the next tick.
        QTest::qWait(3 * kTickMs);
        return m_longest;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    qint64 m_longest = 0;
};

} // namespace

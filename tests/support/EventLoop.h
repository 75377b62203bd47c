// Runs the Qt event loop from a test until a condition holds or time runs out.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

namespace qor::test {

// True when the condition came true within the time.
inline bool RunEventsUntil(const std::function<bool()>& condition, int milliseconds = 10'000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

inline void RunEventsFor(int milliseconds)
{
    RunEventsUntil([] { return false; }, milliseconds);
}

} // namespace qor::test

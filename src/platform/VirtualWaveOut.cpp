#include "platform/VirtualWaveOut.h"

#include <algorithm>

namespace qor {

CVirtualWaveOut::CVirtualWaveOut(double speed)
    : m_speed(speed)
{
    m_clock.setInterval(2);
    QObject::connect(&m_clock, &QTimer::timeout, [this] { Advance(); });
}

int CVirtualWaveOut::Open(IWaveOutListener* listener)
{
    BeginSession(listener);
    m_playedBytes = 0;
    m_budget = 0.0;
    m_elapsed.start();
    m_clock.start();
    return kOk;
}

int CVirtualWaveOut::GetPosition(std::uint64_t& bytes)
{
    if (!IsOpen())
        return kError;
    Advance();
    bytes = m_playedBytes;
    return kOk;
}

int CVirtualWaveOut::Close()
{
    EndSession();
    m_clock.stop();
    return kOk;
}

void CVirtualWaveOut::Advance()
{
    const double seconds = static_cast<double>(m_elapsed.nsecsElapsed()) / 1e9;
    m_elapsed.restart();
    // Time with nothing queued is silence: it does not count towards later buffers.
    if (m_queue.empty())
        return;
    m_budget += seconds * m_speed * kBytesPerSecond;
    while (!m_queue.empty() && m_budget >= 2.0) {
        CQueued& front = m_queue.front();
        const auto take = std::min(front.header->bytes - front.consumed, static_cast<std::size_t>(m_budget)) / 2 * 2;
        const std::int16_t* samples = front.header->data + front.consumed / 2;
        for (std::size_t i = 0; i < take / 2; ++i)
            m_playedSum += samples[i];
        m_playedSamples += take / 2;
        front.consumed += take;
        m_playedBytes += take;
        m_budget -= static_cast<double>(take);
        if (front.consumed >= front.header->bytes)
            FinishFront();
    }
    if (m_queue.empty())
        m_budget = 0.0;
}

} // namespace qor

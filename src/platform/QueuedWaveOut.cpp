#include "platform/QueuedWaveOut.h"

#include <QMetaObject>
#include <algorithm>

namespace qor {

CQueuedWaveOut::CQueuedWaveOut() = default;

CQueuedWaveOut::~CQueuedWaveOut() = default;

void CQueuedWaveOut::BeginSession(IWaveOutListener* listener)
{
    m_listener = listener;
    m_open = true;
}

void CQueuedWaveOut::EndSession()
{
    m_open = false;
}

int CQueuedWaveOut::Prepare(CWaveHeader& header)
{
    if (!m_open)
        return kError;
    header.prepared = true;
    return kOk;
}

int CQueuedWaveOut::Write(CWaveHeader& header)
{
    if (!m_open || !header.prepared)
        return kError;
    m_queue.push_back({ &header, 0 });
    OnWritten();
    return kOk;
}

int CQueuedWaveOut::Unprepare(CWaveHeader& header)
{
    const bool queued
        = std::any_of(m_queue.begin(), m_queue.end(), [&](const CQueued& item) { return item.header == &header; });
    if (queued)
        return kStillPlaying;
    header.prepared = false;
    return kOk;
}

int CQueuedWaveOut::Reset()
{
    if (!m_open)
        return kError;
    while (!m_queue.empty())
        FinishFront();
    OnReset();
    return kOk;
}

void CQueuedWaveOut::FinishFront()
{
    m_queue.pop_front();
    IWaveOutListener* listener = m_listener;
    if (listener)
        QMetaObject::invokeMethod(
            &m_notifier, [listener] { listener->OnBufferDone(); }, Qt::QueuedConnection);
}

} // namespace qor

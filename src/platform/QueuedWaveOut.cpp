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
    ++m_session;
}

void CQueuedWaveOut::EndSession()
{
    m_open = false;
    ++m_session;
    m_queue.clear();
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
    // Every buffer comes back at once; whoever reset the device takes them back itself, so the
    // notices of this session are void from here on.
    m_queue.clear();
    ++m_session;
    OnReset();
    return kOk;
}

void CQueuedWaveOut::FinishFront()
{
    m_queue.pop_front();
    if (!m_listener)
        return;
    // The notifier is a member: when the device goes, Qt drops the notices still pending.
    QMetaObject::invokeMethod(
        &m_notifier,
        [this, session = m_session] {
            if (m_open && session == m_session && m_listener)
                m_listener->OnBufferDone();
        },
        Qt::QueuedConnection);
}

} // namespace qor

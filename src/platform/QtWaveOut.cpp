#include "platform/QtWaveOut.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QMediaDevices>
#include <algorithm>

namespace qor {

CQtWaveOut::CQtWaveOut()
{
    m_pump.setInterval(10);
    QObject::connect(&m_pump, &QTimer::timeout, [this] { Push(); });
}

CQtWaveOut::~CQtWaveOut()
{
    EndSession();
    m_pump.stop();
    m_output = nullptr;
    // No event loop may come after this: the last sink goes now, with nothing half-stopped left.
    if (m_sink)
        m_sink->stop();
    m_sink.reset();
}

int CQtWaveOut::Open(IWaveOutListener* listener)
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return kNoDevice;
    QAudioFormat format;
    format.setSampleRate(kSampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format))
        return kError;
    DiscardSink();
    m_sink = std::make_unique<QAudioSink>(device, format);
    // Half a second ahead: the server's default (about 145 ms) runs dry whenever the event loop,
    // which refills it, is held up that long by a busy machine, and a call then stutters.
    m_sink->setBufferSize(kBytesPerSecond / 2);
    m_output = m_sink->start();
    m_bufferBytes = static_cast<int>(m_sink->bufferSize());
    if (!m_output || m_sink->error() != QAudio::NoError) {
        const int result = m_sink->error() == QAudio::OpenError ? kDeviceBusy : kError;
        DiscardSink();
        m_output = nullptr;
        return result;
    }
    BeginSession(listener);
    m_pump.start();
    return kOk;
}

int CQtWaveOut::GetPosition(std::uint64_t& bytes)
{
    if (!IsOpen() || !m_sink)
        return kError;
    bytes = static_cast<std::uint64_t>(m_sink->processedUSecs()) * kBytesPerSecond / 1'000'000 / 2 * 2;
    return kOk;
}

int CQtWaveOut::Close()
{
    // Ended before the sink stops, so nothing is written to it on its way out and no notice of
    // this session reaches the listener any more.
    EndSession();
    m_pump.stop();
    m_output = nullptr;
    DiscardSink();
    return kOk;
}

void CQtWaveOut::DiscardSink()
{
    // Deleted from the event loop itself, where running it again inside Qt harms nobody.
    if (m_sink) {
        m_sink->stop();
        m_sink.release()->deleteLater();
    }
}

void CQtWaveOut::OnReset()
{
    if (m_sink)
        m_sink->reset();
    m_output = nullptr;
}

void CQtWaveOut::Push()
{
    if (!m_sink || !m_output)
        return;
    qint64 room = m_sink->bytesFree();
    while (!m_queue.empty() && room > 0) {
        CQueued& front = m_queue.front();
        const auto* bytes = reinterpret_cast<const char*>(front.header->data) + front.consumed;
        const qint64 wanted = std::min<qint64>(room, static_cast<qint64>(front.header->bytes - front.consumed));
        const qint64 written = m_output->write(bytes, wanted);
        if (written <= 0)
            break;
        front.consumed += static_cast<std::size_t>(written);
        room -= written;
        if (front.consumed >= front.header->bytes)
            FinishFront();
    }
}

} // namespace qor

// The real sound device: Qt Multimedia's audio sink on PulseAudio or PipeWire, fed from the
// queued buffers on the user-interface thread as the sink makes room. A buffer counts as done
// once the sink has taken all of it; the position is what the sink reports as played.
#pragma once

#include "platform/QueuedWaveOut.h"

#include <QAudioSink>
#include <QIODevice>
#include <QTimer>
#include <memory>

namespace qor {

class CQtWaveOut : public CQueuedWaveOut {
public:
    CQtWaveOut();
    ~CQtWaveOut() override;

    // kNoDevice when no sound server answers, kDeviceBusy when the sink cannot be started.
    int Open(IWaveOutListener* listener) override;
    int GetPosition(std::uint64_t& bytes) override;
    int Close() override;
    // The buffer the sound server granted the session now open (or last open), in bytes.
    int BufferBytes() const { return m_bufferBytes; }

private:
    void OnWritten() override { Push(); }
    void OnReset() override;
    void Push();
    void DiscardSink();

    // A new sink for each session: a sink started again asks the server for the buffer it was
    // granted last time, and is granted less each time, until the sound breaks up. The old one is
    // deleted from the event loop, never inside a stop: destroying a sink runs the event loop
    // inside Qt, and nothing may run there while the player is half-way through stopping.
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice* m_output = nullptr; // owned by the sink
    int m_bufferBytes = 0;
    QTimer m_pump;
};

} // namespace qor

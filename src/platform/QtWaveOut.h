// The real sound device: Qt Multimedia's audio sink on PulseAudio or PipeWire, fed from the
// queued buffers on the user-interface thread as the sink makes room. A buffer counts as done
// once the sink has taken all of it; the position is what the sink reports as played.
#pragma once

#include "platform/QueuedWaveOut.h"

#include <QAudioDevice>
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

private:
    void OnWritten() override { Push(); }
    void OnReset() override;
    void Push();
    void DiscardSink();

    // Kept from one session to the next: destroying a sink runs the event loop inside Qt, and
    // nothing may run there while the player is half-way through stopping.
    std::unique_ptr<QAudioSink> m_sink;
    QAudioDevice m_sinkDevice;
    QIODevice* m_output = nullptr; // owned by the sink
    QTimer m_pump;
};

} // namespace qor

// What the sound-output backends share: the queue of written buffers, the rule that a buffer
// can be given back only once played, and done notices posted to the user-interface thread
// through the Qt event loop, one per buffer, in order.
#pragma once

#include "playback/WaveOut.h"

#include <QObject>
#include <deque>

namespace qor {

class CQueuedWaveOut : public IWaveOut {
public:
    CQueuedWaveOut();
    ~CQueuedWaveOut() override;

    bool IsOpen() const override { return m_open; }
    int Prepare(CWaveHeader& header) override;
    int Write(CWaveHeader& header) override;
    int Unprepare(CWaveHeader& header) override;
    int Reset() override;

protected:
    struct CQueued {
        CWaveHeader* header;
        std::size_t consumed; // bytes already handed on or played
    };

    // A buffer joined the queue; backends start moving data.
    virtual void OnWritten() { }
    // Every buffer was given back; backends drop what they still hold.
    virtual void OnReset() { }

    // The oldest buffer is finished: it leaves the queue and its done notice is posted.
    void FinishFront();
    void BeginSession(IWaveOutListener* listener);
    void EndSession();

    std::deque<CQueued> m_queue;

private:
    bool m_open = false;
    IWaveOutListener* m_listener = nullptr;
    // Notices are posted to this object; when the device goes, Qt drops the ones still pending.
    QObject m_notifier;
};

} // namespace qor

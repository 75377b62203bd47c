// What the sound-output backends share: the queue of written buffers, the rule that a buffer
// can be given back only once played, and done notices posted to the user-interface thread
// through the Qt event loop, one per buffer, in order. A notice belongs to the session (open to
// reset or close) that posted it and is dropped when it arrives after that session ended.
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
    // Called first when closing, so nothing is written to a device on its way out and notices
    // still pending, even ones delivered while the backend shuts down, are dropped.
    void EndSession();

    std::deque<CQueued> m_queue;

private:
    bool m_open = false;
    std::uint64_t m_session = 0; // changes whenever buffers are given back without notice
    IWaveOutListener* m_listener = nullptr;
    // Notices are posted to this object; when the device goes, Qt drops the ones still pending.
    QObject m_notifier;
};

} // namespace qor

// The one audio output engine: holds the current recording, plays it through the sound device as
// one-second slices that point straight into its decoded samples, refills one slice per finished
// buffer, and reports the play position. At another speed, or with silence skipped, each slice is
// made from the call instead, and the position is still told in call time. Everything runs on
// the user-interface thread; the device delivers its done notices there.
#pragma once

#include "foundation/LoggedSemaphore.h"
#include "playback/ListeningPlan.h"
#include "playback/TempoStretcher.h"
#include "playback/WaveOut.h"
#include "recording/RecordFile.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>

namespace qor {

class CPlaybackManager : public IWaveOutListener {
public:
    static constexpr std::int32_t kSliceSamples = 8000;
    static constexpr int kSlicesAtStart = 4;
    static constexpr double kSlowest = 0.5;
    static constexpr double kFastest = 2.0;

    CPlaybackManager();
    ~CPlaybackManager() override;

    CPlaybackManager(const CPlaybackManager&) = delete;
    CPlaybackManager& operator=(const CPlaybackManager&) = delete;

    // The device to play through; its done notices come back to OnBufferDone.
    void SetWaveOut(std::unique_ptr<IWaveOut> device);
    // Where the device's error messages go (a message box in the desktop program).
    void SetErrorReporter(std::function<void(const std::string& message)> reporter);

    // Opens a recording with the settings' passphrase; a failed open leaves the manager closed.
    // An empty path closes. Stop playback before opening another recording.
    int OpenRecording(const std::string& path);
    void CloseRecording();
    void Play(bool start, bool rewind);
    void TogglePause();
    // Moves the position of a stopped manager; ignored while playing.
    void Seek(std::int32_t sample);
    // The play position in samples of the call, never past the header's duration.
    std::int32_t GetPosition();

    // How fast the call plays (0.5 to 2.0, the pitch kept) and whether long quiet stretches are
    // cut short; both take effect when playing next starts.
    void SetSpeed(double speed);
    double GetSpeed() const { return m_speed; }
    void SetSkipSilence(bool skip) { m_skipSilence = skip; }
    bool GetSkipSilence() const { return m_skipSilence; }
    // The stretches skipping silence cuts short; none until the call is decoded.
    const std::vector<CCallStretch>& GetQuietStretches();

    bool IsPlaying() const { return m_playing; }
    bool IsPaused() const { return m_paused; }
    bool IsOpen() const { return m_opened; }
    bool CanPlay() const;
    CRvRecordFile& GetRecording() { return m_recording; }

    void OnBufferDone() override;

    // Buffers with the device and not given back; the next sample to hand over.
    int GetQueuedCount() const { return m_queued; }
    std::int32_t GetReadPosition() const { return m_readPosition; }

private:
    int OpenDevice();
    std::int64_t EndSample() const;
    void CloseDevice();
    std::int32_t FeedOne();
    std::int32_t FeedMade();
    struct CQueuedSlice;
    std::int32_t Queue(std::unique_ptr<CQueuedSlice> slice);
    void StartPlaying();
    void Stop();
    bool DeviceOpen() const { return m_device && m_device->IsOpen(); }

    bool m_playing = false;
    bool m_paused = false;
    std::unique_ptr<IWaveOut> m_device;
    bool m_opened = false;
    std::int32_t m_readPosition = 0;
    int m_queued = 0;
    std::int32_t m_startPosition = 0;
    double m_speed = 1.0;
    bool m_skipSilence = false;
    bool m_quietFound = false;
    std::vector<CCallStretch> m_quiet;
    CListeningPlan m_plan;
    CPlayedTimeline m_timeline; // what this run of the device was given
    std::unique_ptr<CTempoStretcher> m_stretcher; // at a speed other than 1.0
    bool m_flushed = false; // the stretcher has given out the end of the call
    std::int64_t m_queuedSamples = 0; // handed to the device in this run
    CRvLoggedSemaphore m_lock{ "PLAYBACK_MANAGER" };
    // A queued buffer, with the samples it owns when they were made rather than decoded.
    struct CQueuedSlice {
        CWaveHeader header;
        std::vector<std::int16_t> made;
    };
    std::deque<std::unique_ptr<CQueuedSlice>> m_buffers; // oldest first; addresses stay put
    CRvRecordFile m_recording;
    std::function<void(const std::string&)> m_reportError;
};

} // namespace qor

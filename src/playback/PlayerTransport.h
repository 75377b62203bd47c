// What the player's buttons do to the playback manager: play, pause, stop, the steps with their
// rules at the ends of the call, seeking, and the stop at the end of the call. The window only
// shows the result; the rules live here so that they hold whatever drives them.
#pragma once

#include <cstdint>
#include <functional>

namespace qor {

class CPlaybackManager;

class CPlayerTransport {
public:
    static constexpr std::int32_t kSamplesPerSecond = 8000;

    explicit CPlayerTransport(CPlaybackManager& playback);

    // Resumes a paused call, else starts the loaded one from its position. False when nothing
    // could start (no call, or one still decoding its first minute).
    bool Play();
    void Pause();
    // Stops a playing or paused call and goes back to its start.
    void Stop();
    // Moves by samples (negative: back). A step past either end stops and goes back to the
    // start; a playing call goes on playing from the new position.
    void Step(std::int32_t samples);
    // Moves to a sample (a click on the scope); false when it lies outside the call.
    bool SeekTo(std::int32_t sample);
    // The periodic check: stops the call once it has played to its end (the header's duration,
    // or the last sample when the sound is shorter). True when it stopped it.
    bool StopAtEnd();
    // How fast the call plays, and whether long quiet stretches are cut short; a playing call
    // goes on from where it was heard.
    void SetSpeed(double speed);
    void SetSkipSilence(bool skip);

    bool IsPlaying() const;
    bool IsPaused() const;
    // The position, in call time.
    std::int32_t Position() const;
    std::int32_t SampleCount() const;

private:
    // Pauses a playing call around a change and resumes it from the position it had.
    void WhilePaused(const std::function<void()>& change);

    CPlaybackManager& m_playback;
};

} // namespace qor

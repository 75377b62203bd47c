#include "playback/PlayerTransport.h"

#include "playback/PlaybackManager.h"

#include <algorithm>

namespace qor {

CPlayerTransport::CPlayerTransport(CPlaybackManager& playback)
    : m_playback(playback)
{
}

bool CPlayerTransport::Play()
{
    if (!m_playback.IsOpen())
        return false;
    if (m_playback.IsPaused()) {
        m_playback.TogglePause();
        return true;
    }
    if (!m_playback.CanPlay())
        return m_playback.IsPlaying();
    m_playback.Play(true, false);
    return m_playback.IsPlaying();
}

void CPlayerTransport::Pause()
{
    if (m_playback.IsPlaying() && !m_playback.IsPaused())
        m_playback.TogglePause();
}

void CPlayerTransport::Stop()
{
    if (m_playback.IsOpen() && (m_playback.IsPlaying() || m_playback.IsPaused()))
        m_playback.Play(false, true);
    else if (m_playback.IsOpen())
        m_playback.Seek(0);
}

void CPlayerTransport::Step(std::int32_t samples)
{
    if (!m_playback.IsOpen())
        return;
    const bool wasPlaying = m_playback.IsPlaying() && !m_playback.IsPaused();
    Pause();
    const std::int64_t target = static_cast<std::int64_t>(m_playback.GetPosition()) + samples;
    if (target < 0 || target > SampleCount()) {
        Stop();
        return;
    }
    m_playback.Seek(static_cast<std::int32_t>(target));
    if (wasPlaying)
        m_playback.TogglePause();
}

bool CPlayerTransport::SeekTo(std::int32_t sample)
{
    if (!m_playback.IsOpen() || sample < 0 || sample >= SampleCount())
        return false;
    WhilePaused([&] { m_playback.Seek(sample); });
    return true;
}

void CPlayerTransport::SetSpeed(double speed)
{
    WhilePaused([&] { m_playback.SetSpeed(speed); });
}

void CPlayerTransport::SetSkipSilence(bool skip)
{
    WhilePaused([&] { m_playback.SetSkipSilence(skip); });
}

void CPlayerTransport::WhilePaused(const std::function<void()>& change)
{
    const bool wasPlaying = m_playback.IsPlaying() && !m_playback.IsPaused();
    Pause();
    change();
    if (wasPlaying)
        m_playback.TogglePause();
}

bool CPlayerTransport::StopAtEnd()
{
    if (!m_playback.IsOpen() || !m_playback.IsPlaying() || m_playback.IsPaused())
        return false;
    const std::int64_t duration
        = static_cast<std::int64_t>(m_playback.GetRecording().GetHeader().Duration()) * kSamplesPerSecond;
    // A header that claims more than the sound holds ends with the sound, once the device has
    // played every buffer.
    const bool pastDuration = duration > 0 && m_playback.GetPosition() >= duration;
    const bool soundOver = m_playback.GetReadPosition() >= SampleCount() && m_playback.GetQueuedCount() == 0;
    if (!pastDuration && !soundOver)
        return false;
    Stop();
    return true;
}

bool CPlayerTransport::IsPlaying() const
{
    return m_playback.IsPlaying() && !m_playback.IsPaused();
}

bool CPlayerTransport::IsPaused() const
{
    return m_playback.IsPaused();
}

std::int32_t CPlayerTransport::Position() const
{
    return m_playback.IsOpen() ? m_playback.GetPosition() : 0;
}

std::int32_t CPlayerTransport::SampleCount() const
{
    return m_playback.IsOpen() ? m_playback.GetRecording().GetSampleCount() : 0;
}

} // namespace qor

#include "playback/PlaybackManager.h"

#include "foundation/ResourceStrings.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"

#include <algorithm>

namespace qor {

CPlaybackManager::CPlaybackManager() = default;

CPlaybackManager::~CPlaybackManager()
{
    CloseRecording();
}

void CPlaybackManager::SetWaveOut(std::unique_ptr<IWaveOut> device)
{
    CloseDevice();
    m_device = std::move(device);
}

void CPlaybackManager::SetErrorReporter(std::function<void(const std::string& message)> reporter)
{
    m_reportError = std::move(reporter);
}

int CPlaybackManager::OpenDevice()
{
    if (DeviceOpen())
        return IWaveOut::kOk;
    const int result = m_device ? m_device->Open(this) : IWaveOut::kNoDevice;
    if (result == IWaveOut::kOk || !m_reportError)
        return result;
    if (result == IWaveOut::kDeviceBusy) {
        m_reportError(LoadResourceString(IDS_PLAYBACK_DEVICE_BUSY));
    } else if (result == IWaveOut::kNoDevice) {
        m_reportError(LoadResourceString(IDS_PLAYBACK_NO_DEVICE));
    } else {
        m_reportError(FormatResourceString(IDS_PLAYBACK_DEVICE_ERROR, result));
    }
    return result;
}

void CPlaybackManager::CloseDevice()
{
    if (m_device && m_device->IsOpen() && m_device->Reset() == IWaveOut::kOk)
        m_device->Close();
}

int CPlaybackManager::OpenRecording(const std::string& path)
{
    if (path.empty()) {
        CloseRecording();
        return 0;
    }
    m_opened = m_recording.Open(path, Singleton<CSettings>::Instance()->GetPassphrase()) != 0;
    if (m_opened) {
        m_readPosition = 0;
        m_startPosition = 0;
    } else if (m_recording.GetSampleCount() < kSliceSamples) {
        CloseRecording();
    }
    return m_opened ? 1 : 0;
}

void CPlaybackManager::CloseRecording()
{
    Stop();
    m_readPosition = 0;
    m_startPosition = 0;
    m_recording.Close();
    m_opened = false;
}

void CPlaybackManager::Play(bool start, bool rewind)
{
    if (rewind) {
        m_readPosition = 0;
        m_startPosition = 0;
    }
    m_paused = false;
    if (start) {
        m_playing = true;
        StartPlaying();
    } else {
        Stop();
    }
}

void CPlaybackManager::TogglePause()
{
    if (!m_paused) {
        m_paused = true;
        m_startPosition = GetPosition();
        Stop();
        return;
    }
    // Resume from where the device had got to, not from the read-ahead.
    m_readPosition = std::max(m_startPosition, 0);
    m_startPosition = m_readPosition;
    m_paused = false;
    StartPlaying();
}

void CPlaybackManager::Seek(std::int32_t sample)
{
    if (m_playing)
        return;
    m_readPosition = std::clamp(sample, 0, m_recording.GetSampleCount());
    m_startPosition = m_readPosition;
}

std::int32_t CPlaybackManager::GetPosition()
{
    std::int64_t position = m_startPosition;
    std::uint64_t bytes = 0;
    if (DeviceOpen() && m_device->GetPosition(bytes) == IWaveOut::kOk)
        position += static_cast<std::int64_t>(bytes / 2);
    const std::int64_t end = static_cast<std::int64_t>(m_recording.GetHeader().Duration()) * kSliceSamples;
    return static_cast<std::int32_t>(std::min(position, end));
}

bool CPlaybackManager::CanPlay() const
{
    return m_opened && !m_playing && m_recording.IsReady();
}

std::int32_t CPlaybackManager::FeedOne()
{
    const auto samples = m_recording.GetSamples(m_readPosition, kSliceSamples);
    if (samples.empty())
        return 0;
    QOR_SEMAPHORE_GUARD(m_lock);
    auto header = std::make_unique<CWaveHeader>();
    header->data = samples.data();
    header->bytes = samples.size() * 2;
    header->userData = m_queued;
    m_buffers.push_back(std::move(header));
    m_readPosition += static_cast<std::int32_t>(samples.size());
    if (DeviceOpen() && static_cast<std::size_t>(m_queued) < m_buffers.size()) {
        CWaveHeader& next = *m_buffers[static_cast<std::size_t>(m_queued)];
        if (m_device->Prepare(next) == IWaveOut::kOk && DeviceOpen() && m_device->Write(next) == IWaveOut::kOk)
            ++m_queued;
    }
    return static_cast<std::int32_t>(samples.size());
}

void CPlaybackManager::StartPlaying()
{
    if (OpenDevice() != IWaveOut::kOk)
        return;
    if (m_queued != 0)
        return;
    m_playing = true;
    const std::int64_t duration = m_recording.GetHeader().Duration();
    std::int64_t secondsLeft = duration - static_cast<std::int64_t>(GetPosition() / static_cast<double>(kSliceSamples));
    if (secondsLeft == 0)
        secondsLeft = 1;
    for (int i = 0; i < kSlicesAtStart && i < secondsLeft; ++i) {
        if (FeedOne() == 0) {
            // Nothing at all to play: back to a stopped manager rather than a run without sound.
            if (m_buffers.empty())
                Stop();
            return;
        }
    }
}

void CPlaybackManager::OnBufferDone()
{
    // A notice from a device that is closed or closing belongs to a run that is over.
    if (!DeviceOpen())
        return;
    {
        QOR_SEMAPHORE_GUARD(m_lock);
        if (!m_buffers.empty() && DeviceOpen() && m_device->Unprepare(*m_buffers.front()) == IWaveOut::kOk) {
            m_buffers.pop_front();
            m_queued = std::max(m_queued - 1, 0);
        }
        if (m_buffers.empty()) {
            m_queued = 0;
            return;
        }
    }
    if (m_playing)
        FeedOne();
}

void CPlaybackManager::Stop()
{
    if (!m_playing)
        return;
    if (m_readPosition <= 0) {
        m_readPosition = 0;
        m_startPosition = 0;
    }
    CloseDevice();
    QOR_SEMAPHORE_GUARD(m_lock);
    m_buffers.clear();
    m_playing = false;
    m_queued = 0;
}

} // namespace qor

#include "playback/PlaybackManager.h"

#include "foundation/ResourceStrings.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"

#include <algorithm>
#include <cmath>

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
    m_quietFound = false;
    m_quiet.clear();
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
    m_quietFound = false;
    m_quiet.clear();
}

void CPlaybackManager::Play(bool start, bool rewind)
{
    m_paused = false;
    if (!start)
        Stop();
    if (rewind) {
        m_readPosition = 0;
        m_startPosition = 0;
    }
    if (start) {
        m_playing = true;
        StartPlaying();
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
    if (!m_timeline.Empty()) {
        std::uint64_t bytes = 0;
        if (DeviceOpen() && m_device->GetPosition(bytes) == IWaveOut::kOk) {
            std::int64_t played = static_cast<std::int64_t>(bytes / 2);
            // Stretched sound stands for the call's samples in proportion to the tempo; once the
            // last of it has played, for all of them, however the stretcher rounded.
            if (m_stretcher)
                played = m_flushed && played >= m_queuedSamples
                    ? m_timeline.PlayedTotal()
                    : std::llround(static_cast<double>(played) * m_stretcher->Tempo());
            position = m_timeline.CallTimeAt(std::min(played, m_timeline.PlayedTotal()));
        }
    }
    const std::int64_t end = EndSample();
    return static_cast<std::int32_t>(std::min(position, end));
}

void CPlaybackManager::SetSpeed(double speed)
{
    m_speed = std::isfinite(speed) ? std::clamp(speed, kSlowest, kFastest) : 1.0;
}

const std::vector<CCallStretch>& CPlaybackManager::GetQuietStretches()
{
    if (!m_quietFound && m_opened) {
        if (const CWaveSummary* summary = m_recording.GetSummary()) {
            m_quiet = FindQuietStretches(*summary);
            m_quietFound = true;
        }
    }
    return m_quiet;
}

std::int64_t CPlaybackManager::EndSample() const
{
    // A header without a believable length (none, or a negative one) ends with the sound.
    const std::int64_t duration = m_recording.GetHeader().Duration();
    return duration > 0 ? duration * kSliceSamples : m_recording.GetSampleCount();
}

bool CPlaybackManager::CanPlay() const
{
    return m_opened && !m_playing && m_recording.IsReady();
}

std::int32_t CPlaybackManager::FeedOne()
{
    // A call that finished decoding while it played starts skipping from here.
    if (m_skipSilence && m_plan.Skipped().empty() && !m_quietFound)
        m_plan.SetSkipped(GetQuietStretches());
    if (m_stretcher || !m_plan.Skipped().empty())
        return FeedMade();
    const auto samples = m_recording.GetSamples(m_readPosition, kSliceSamples);
    if (samples.empty())
        return 0;
    const auto count = static_cast<std::int32_t>(samples.size());
    m_timeline.Add({ m_readPosition, m_readPosition + count, count }, count);
    auto slice = std::make_unique<CQueuedSlice>();
    slice->header.data = samples.data();
    slice->header.bytes = samples.size() * 2;
    m_readPosition += count;
    return Queue(std::move(slice));
}

std::int32_t CPlaybackManager::FeedMade()
{
    auto slice = std::make_unique<CQueuedSlice>();
    std::vector<std::int16_t>& made = slice->made;
    while (made.size() < static_cast<std::size_t>(kSliceSamples)) {
        CPlayPiece piece = m_plan.NextPiece(m_readPosition, kSliceSamples, m_recording.GetSampleCount());
        const auto samples = m_recording.GetSamples(piece.callStart, piece.sampleCount);
        if (samples.empty()) {
            if (m_stretcher && !m_flushed) {
                m_stretcher->Flush(made);
                m_flushed = true;
            }
            break;
        }
        // While the call still decodes, less may be there than the piece asked for.
        if (static_cast<std::int32_t>(samples.size()) < piece.sampleCount)
            piece.callEnd = piece.callStart + static_cast<std::int32_t>(samples.size());
        m_timeline.Add(piece, static_cast<std::int64_t>(samples.size()));
        m_readPosition = piece.callEnd;
        if (m_stretcher)
            m_stretcher->Put(samples, made);
        else
            made.insert(made.end(), samples.begin(), samples.end());
    }
    if (made.empty())
        return 0;
    slice->header.data = made.data();
    slice->header.bytes = made.size() * 2;
    return Queue(std::move(slice));
}

std::int32_t CPlaybackManager::Queue(std::unique_ptr<CQueuedSlice> slice)
{
    const auto count = static_cast<std::int32_t>(slice->header.bytes / 2);
    m_queuedSamples += count;
    QOR_SEMAPHORE_GUARD(m_lock);
    slice->header.userData = m_queued;
    m_buffers.push_back(std::move(slice));
    if (DeviceOpen() && static_cast<std::size_t>(m_queued) < m_buffers.size()) {
        CWaveHeader& next = m_buffers[static_cast<std::size_t>(m_queued)]->header;
        if (m_device->Prepare(next) == IWaveOut::kOk && DeviceOpen() && m_device->Write(next) == IWaveOut::kOk)
            ++m_queued;
    }
    return count;
}

void CPlaybackManager::StartPlaying()
{
    if (OpenDevice() != IWaveOut::kOk)
        return;
    if (m_queued != 0)
        return;
    m_playing = true;
    m_startPosition = m_readPosition;
    m_timeline.Clear();
    m_queuedSamples = 0;
    m_stretcher = m_speed != 1.0 ? std::make_unique<CTempoStretcher>(m_speed) : nullptr;
    m_flushed = false;
    m_plan.SetSkipped(m_skipSilence ? GetQuietStretches() : std::vector<CCallStretch>());
    const std::int64_t secondsLeft = std::max<std::int64_t>((EndSample() - GetPosition()) / kSliceSamples, 1);
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
        if (!m_buffers.empty() && DeviceOpen() && m_device->Unprepare(m_buffers.front()->header) == IWaveOut::kOk) {
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
    // What was heard, not what was read ahead, is where a stopped call stands.
    const std::int32_t heard = std::max(GetPosition(), 0);
    CloseDevice();
    QOR_SEMAPHORE_GUARD(m_lock);
    m_buffers.clear();
    m_playing = false;
    m_queued = 0;
    m_timeline.Clear();
    m_stretcher.reset();
    m_readPosition = heard;
    m_startPosition = heard;
}

} // namespace qor

#include "playback/PlaybackManager.h"

#include "platform/VirtualWaveOut.h"
#include "samplegen/SampleRecording.h"
#include "support/EventLoop.h"
#include "support/RecordingFolder.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>

namespace qor {
namespace {

using test::RunEventsFor;
using test::RunEventsUntil;

// A device that refuses to open with a given code: a busy or missing sound card cannot be
// arranged on a test machine, so this stands in for one.
class CRefusingWaveOut : public IWaveOut {
public:
    explicit CRefusingWaveOut(int result)
        : m_result(result)
    {
    }
    int Open(IWaveOutListener*) override { return m_result; }
    bool IsOpen() const override { return false; }
    int Prepare(CWaveHeader&) override { return kError; }
    int Write(CWaveHeader&) override { return kError; }
    int Unprepare(CWaveHeader&) override { return kOk; }
    int GetPosition(std::uint64_t&) override { return kError; }
    int Reset() override { return kError; }
    int Close() override { return kOk; }

private:
    int m_result;
};

class PlaybackManager : public ::testing::Test {
protected:
    // A call whose header claims headerSeconds while its sound lasts soundSeconds.
    std::string WriteCall(int headerSeconds, int soundSeconds, std::int32_t codec = kCodecALaw)
    {
        samplegen::CSampleCall call;
        call.codecTag = codec;
        call.durationSeconds = soundSeconds;
        std::vector<std::uint8_t> bytes = samplegen::MakeRecording(call);
        const std::int32_t stored = headerSeconds;
        std::memcpy(bytes.data() + 1172, &stored, 4);
        const std::string path = folder.File("call" + std::to_string(++m_calls) + ".qor");
        test::WriteFileText(path, std::string(bytes.begin(), bytes.end()));
        return path;
    }

    // A long IMA ADPCM call made of one 63-second call's sound over and over, quick to write. (Our
    // own decoder, so the sanitizers see its writes; libgsm's are out of their sight.) 63 seconds
    // are exactly 1,000 blocks, so the sound ends where the header says.
    std::string WriteLongCall(int pieces)
    {
        samplegen::CSampleCall call;
        call.codecTag = kCodecImaAdpcm;
        call.durationSeconds = 63;
        const std::vector<std::uint8_t> piece = samplegen::MakeRecording(call);
        const auto bodyStart = piece.begin() + CRvRecordFileHdr::kImageSize;
        std::string bytes(piece.begin(), bodyStart);
        for (int part = 0; part < pieces; ++part)
            bytes.append(bodyStart, piece.end());
        const std::int32_t seconds = 63 * pieces;
        bytes.replace(1172, 4, reinterpret_cast<const char*>(&seconds), 4);
        const std::string path = folder.File("long.qor");
        test::WriteFileText(path, bytes);
        return path;
    }

    CVirtualWaveOut& UseVirtualDevice(double speed)
    {
        auto device = std::make_unique<CVirtualWaveOut>(speed);
        CVirtualWaveOut& reference = *device;
        manager.SetWaveOut(std::move(device));
        return reference;
    }

    test::CDataFolderSandbox sandbox;
    test::CRecordingFolder folder;
    CPlaybackManager manager;
    int m_calls = 0;
};

TEST_F(PlaybackManager, PlaysACallToItsEndAndDrainsTheQueue)
{
    CVirtualWaveOut& device = UseVirtualDevice(40.0);
    const std::string path = WriteCall(6, 6);
    ASSERT_EQ(manager.OpenRecording(path), 1);
    ASSERT_TRUE(manager.CanPlay());
    manager.Play(true, false);
    EXPECT_TRUE(manager.IsPlaying());
    EXPECT_EQ(manager.GetQueuedCount(), 4) << "four seconds go to the device at the start";
    EXPECT_EQ(manager.GetReadPosition(), 32'000);

    ASSERT_TRUE(RunEventsUntil([&] { return device.PlayedSamples() == 48'000 && manager.GetQueuedCount() == 0; }));
    EXPECT_EQ(manager.GetPosition(), 48'000);
    EXPECT_TRUE(manager.IsPlaying()) << "the manager never ends a run by itself";
    std::int64_t sum = 0;
    for (const std::int16_t sample : manager.GetRecording().GetSamples(0, 48'000))
        sum += sample;
    EXPECT_EQ(device.PlayedSum(), sum) << "every sample went out once, in order";

    manager.Play(false, true);
    EXPECT_FALSE(manager.IsPlaying());
    EXPECT_EQ(manager.GetPosition(), 0);
}

TEST_F(PlaybackManager, PositionNeverPassesTheHeadersDuration)
{
    CVirtualWaveOut& device = UseVirtualDevice(40.0);
    ASSERT_EQ(manager.OpenRecording(WriteCall(2, 5)), 1);
    manager.Play(true, false);
    ASSERT_TRUE(RunEventsUntil([&] { return device.PlayedSamples() > 16'000; }));
    EXPECT_EQ(manager.GetPosition(), 16'000);
}

TEST_F(PlaybackManager, AHeaderWithoutABelievableLengthPlaysToTheEndOfTheSound)
{
    for (const int stored : { 0, -5 }) {
        CVirtualWaveOut& device = UseVirtualDevice(40.0);
        ASSERT_EQ(manager.OpenRecording(WriteCall(stored, 6)), 1);
        manager.Play(true, false);
        EXPECT_TRUE(RunEventsUntil([&] { return device.PlayedSamples() == 48'000 && manager.GetQueuedCount() == 0; }))
            << stored;
        EXPECT_EQ(manager.GetPosition(), 48'000) << stored;
        manager.Play(false, true);
    }
}

TEST_F(PlaybackManager, WithNoWholeSecondLeftOneSliceIsStillQueued)
{
    UseVirtualDevice(0.001);
    ASSERT_EQ(manager.OpenRecording(WriteCall(3, 5)), 1);
    manager.Seek(24'000);
    ASSERT_EQ(manager.GetPosition(), 24'000);
    manager.Play(true, false);
    EXPECT_EQ(manager.GetQueuedCount(), 1);
    EXPECT_EQ(manager.GetReadPosition(), 32'000);
}

TEST_F(PlaybackManager, StartingAtTheEndQueuesNothingAndStaysLoaded)
{
    UseVirtualDevice(1.0);
    ASSERT_EQ(manager.OpenRecording(WriteCall(3, 3)), 1);
    manager.Seek(24'000);
    manager.Play(true, false);
    EXPECT_FALSE(manager.IsPlaying());
    EXPECT_EQ(manager.GetQueuedCount(), 0);
    EXPECT_TRUE(manager.IsOpen());
    EXPECT_TRUE(manager.CanPlay());
}

TEST_F(PlaybackManager, SeekingIsClampedAndIgnoredWhilePlaying)
{
    UseVirtualDevice(0.001);
    ASSERT_EQ(manager.OpenRecording(WriteCall(5, 5)), 1);
    manager.Seek(-100);
    EXPECT_EQ(manager.GetPosition(), 0);
    manager.Seek(1'000'000);
    EXPECT_EQ(manager.GetReadPosition(), 40'000);
    manager.Seek(8'000);
    manager.Play(true, false);
    manager.Seek(0);
    EXPECT_EQ(manager.GetReadPosition(), 40'000) << "8,000 plus four slices read ahead";
    manager.Play(true, false);
    EXPECT_EQ(manager.GetQueuedCount(), 4) << "a second start while buffers are queued does nothing";
    EXPECT_EQ(manager.GetReadPosition(), 40'000);
}

TEST_F(PlaybackManager, ResumeContinuesFromWhereTheDeviceWasNotFromTheReadAhead)
{
    CVirtualWaveOut& device = UseVirtualDevice(4.0);
    ASSERT_EQ(manager.OpenRecording(WriteCall(20, 20)), 1);
    manager.Play(true, false);
    ASSERT_TRUE(RunEventsUntil([&] { return device.PlayedSamples() >= 12'000; }));
    manager.TogglePause();
    EXPECT_TRUE(manager.IsPaused());
    EXPECT_FALSE(manager.IsPlaying());
    const std::int32_t pausedAt = manager.GetPosition();
    EXPECT_GE(pausedAt, 12'000);
    EXPECT_EQ(manager.GetReadPosition(), pausedAt) << "the read-ahead is dropped, not kept as the position";

    manager.TogglePause();
    EXPECT_FALSE(manager.IsPaused());
    EXPECT_TRUE(manager.IsPlaying());
    EXPECT_EQ(manager.GetReadPosition(), pausedAt + 32'000);
    EXPECT_GE(manager.GetPosition(), pausedAt);
}

TEST_F(PlaybackManager, LateDoneNoticesReleaseNothingOfANewRun)
{
    UseVirtualDevice(0.001); // so slow that no buffer of the new run finishes during the test
    ASSERT_EQ(manager.OpenRecording(WriteCall(20, 20)), 1);

    manager.Play(true, false);
    manager.Play(false, true); // the reset hands four buffers back; their notices are still coming
    RunEventsFor(50);
    EXPECT_FALSE(manager.IsPlaying());
    EXPECT_EQ(manager.GetQueuedCount(), 0);

    manager.Play(true, false);
    manager.Play(false, true);
    manager.Play(true, false);
    ASSERT_EQ(manager.GetQueuedCount(), 4);
    RunEventsFor(50);
    EXPECT_EQ(manager.GetQueuedCount(), 4) << "late notices of the stopped runs neither release nor feed";
    EXPECT_EQ(manager.GetReadPosition(), 32'000);
    EXPECT_TRUE(manager.IsPlaying());
}

TEST_F(PlaybackManager, DeviceErrorsAreReportedAndNothingIsQueued)
{
    const std::pair<int, std::string> cases[]
        = { { IWaveOut::kDeviceBusy, "ERROR! Unable to open audio playback device\n\nPlayback device already in use" },
              { IWaveOut::kNoDevice, "ERROR! Unable to open audio playback device\n\nNo playback device available" },
              { 11, "ERROR! There was an error opening your audio device.\n\nError Code = 11" } };
    const std::string path = WriteCall(3, 3);
    for (const auto& [code, message] : cases) {
        std::vector<std::string> reported;
        manager.SetErrorReporter([&](const std::string& text) { reported.push_back(text); });
        manager.SetWaveOut(std::make_unique<CRefusingWaveOut>(code));
        ASSERT_EQ(manager.OpenRecording(path), 1);
        manager.Play(true, false);
        EXPECT_EQ(reported, std::vector<std::string>{ message });
        EXPECT_EQ(manager.GetQueuedCount(), 0);
        EXPECT_EQ(manager.GetReadPosition(), 0);
    }
}

TEST_F(PlaybackManager, AFailedOpenLeavesTheManagerClosed)
{
    UseVirtualDevice(1.0);
    ASSERT_EQ(manager.OpenRecording(WriteCall(3, 3)), 1);
    EXPECT_EQ(manager.OpenRecording(folder.File("missing.qor")), 0);
    EXPECT_FALSE(manager.IsOpen());
    EXPECT_FALSE(manager.CanPlay());
    EXPECT_FALSE(manager.GetRecording().IsOpen());
    EXPECT_EQ(manager.OpenRecording(""), 0);
}

TEST_F(PlaybackManager, PlaysAGsmCallWhileItIsStillDecoding)
{
    // Long enough that the decoder is still at work when the first 70 seconds allow playing.
    CVirtualWaveOut& device = UseVirtualDevice(1000.0);
    ASSERT_EQ(manager.OpenRecording(WriteCall(900, 900, kCodecGsm)), 1);
    ASSERT_TRUE(RunEventsUntil([&] { return manager.CanPlay(); }));
    manager.Play(true, false);
    EXPECT_TRUE(manager.GetRecording().IsDecoding());
    ASSERT_TRUE(RunEventsUntil([&] { return device.PlayedSamples() >= 8000u * 200; }, 60'000));
    manager.CloseRecording(); // stops the decoder if it is still at work
    EXPECT_FALSE(manager.IsOpen());
}

TEST_F(PlaybackManager, PlayingPastTheDecodedPartPlaysSilenceWithoutTouchingTheDecoder)
{
    CVirtualWaveOut& device = UseVirtualDevice(200.0);
    ASSERT_EQ(manager.OpenRecording(WriteLongCall(60)), 1);
    const CRvRecordFile& recording = manager.GetRecording();
    ASSERT_EQ(recording.GetSampleCount(), 63 * 60 * 8000);
    const std::int32_t nearTheEnd = recording.GetSampleCount() - 24'000;
    manager.Seek(nearTheEnd);
    manager.Play(true, false);
    ASSERT_TRUE(recording.IsDecoding()) << "the decoder was to be still at work";
    EXPECT_EQ(manager.GetQueuedCount(), 3);
    const auto ahead = recording.GetSamples(nearTheEnd, 8000);
    EXPECT_TRUE(std::all_of(ahead.begin(), ahead.end(), [](std::int16_t s) { return s == 0; }));
    ASSERT_TRUE(RunEventsUntil([&] { return device.PlayedSamples() == 24'000u; }));
    EXPECT_EQ(device.PlayedSum(), 0) << "what was not decoded when it was queued plays as silence";

    manager.Play(false, true);
    manager.GetRecording().WaitForDecoding();
    manager.Seek(nearTheEnd);
    manager.Play(true, false);
    ASSERT_TRUE(RunEventsUntil([&] { return device.PlayedSamples() == 48'000u; }));
    EXPECT_NE(device.PlayedSum(), 0) << "once decoded, the same part plays its sound";
}

} // namespace
} // namespace qor

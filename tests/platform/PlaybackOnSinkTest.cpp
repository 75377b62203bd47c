// The playback manager on the real sound device, heard through the PulseAudio null sink's monitor:
// what reached the sink is lined up with the decoded call, so pauses, steps and restarts are
// checked by ear, and the reported positions against what was heard. with-pulseaudio.sh starts
// the server with an 8 kHz mono null sink named "calls", which passes the samples unchanged.
#include "platform/QtWaveOut.h"
#include "playback/PlaybackManager.h"
#include "recording/Bookmark.h"
#include "samplegen/SampleRecording.h"
#include "samplegen/SpeechSignal.h"
#include "support/EventLoop.h"
#include "support/PlayedStretches.h"
#include "support/RecordingFolder.h"
#include "support/SinkCapture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cmath>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <numbers>

namespace qor {
namespace {

using test::RunEventsFor;
using test::RunEventsUntil;

constexpr std::int64_t kTolerance = 800; // 100 ms

struct CExpectedStretch {
    std::int64_t callStart;
    std::int64_t callEnd;
};

class PlaybackOnSink : public ::testing::Test {
protected:
    void Open(int seconds)
    {
        samplegen::CSampleCall call;
        call.durationSeconds = seconds;
        ASSERT_EQ(manager.OpenRecording(folder.Write("call.qor", call)), 1);
        StartCapture();
    }

    void OpenSound(const std::vector<std::int16_t>& sound)
    {
        ASSERT_EQ(manager.OpenRecording(folder.WriteSound("sound.qor", sound)), 1);
        StartCapture();
    }

    void StartCapture()
    {
        manager.GetRecording().WaitForDecoding();
        manager.SetErrorReporter([](const std::string& message) { ADD_FAILURE() << message; });
        capture = std::make_unique<test::CSinkCapture>("calls", folder.Path());
        ASSERT_TRUE(capture->Started()) << "parec could not record the null sink";
    }

    std::int32_t PlayUntil(std::int32_t position)
    {
        EXPECT_TRUE(RunEventsUntil([&] { return manager.GetPosition() >= position; }, 30'000))
            << "stuck at " << manager.GetPosition();
        return manager.GetPosition();
    }

    // Pauses, moves by the given samples and resumes, as the player's step buttons do; returns the
    // position at the pause.
    std::int32_t Step(std::int32_t samples)
    {
        ExpectNoEventLoopDuring([&] { manager.TogglePause(); });
        const std::int32_t pausedAt = manager.GetPosition();
        manager.Seek(pausedAt + samples);
        manager.TogglePause();
        return pausedAt;
    }

    // A stop that ran the event loop inside would let timers and notices act on a half-stopped
    // player; a notice posted before must still be waiting afterwards.
    static void ExpectNoEventLoopDuring(const std::function<void()>& action)
    {
        bool ran = false;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [&ran] { ran = true; }, Qt::QueuedConnection);
        action();
        EXPECT_FALSE(ran) << "the event loop ran inside";
        RunEventsUntil([&ran] { return ran; }, 1000);
    }

    void PlayToTheEnd()
    {
        const std::int32_t end = manager.GetRecording().GetSampleCount();
        EXPECT_TRUE(
            RunEventsUntil([&] { return manager.GetPosition() >= end && manager.GetQueuedCount() == 0; }, 30'000));
        RunEventsFor(300); // the sink's own latency
    }

    void ExpectHeard(const std::vector<CExpectedStretch>& expected)
    {
        manager.Play(false, true);
        RunEventsFor(200);
        const std::vector<std::int16_t> played = capture->Stop();
        const CRvRecordFile& call = manager.GetRecording();
        const test::CPlayedSound heard = test::LineUpPlayedSound(played, call.GetSamples(0, call.GetSampleCount()));
        EXPECT_EQ(heard.strangeSamples, 0) << "sound that is no part of the call";
        ASSERT_EQ(heard.stretches.size(), expected.size()) << Describe(heard);
        std::printf("heard against reported (ms):");
        for (std::size_t i = 0; i < expected.size(); ++i)
            std::printf(" start %+lld end %+lld;",
                static_cast<long long>(heard.stretches[i].callStart - expected[i].callStart) / 8,
                static_cast<long long>(heard.stretches[i].CallEnd() - expected[i].callEnd) / 8);
        std::printf("\n");
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_LE(std::abs(heard.stretches[i].callStart - expected[i].callStart), kTolerance)
                << i << Describe(heard);
            EXPECT_LE(std::abs(heard.stretches[i].CallEnd() - expected[i].callEnd), kTolerance) << i << Describe(heard);
        }
    }

    static std::string Describe(const test::CPlayedSound& heard)
    {
        std::string text = "\nheard:";
        for (const test::CPlayedStretch& stretch : heard.stretches)
            text += " [" + std::to_string(stretch.callStart) + ", " + std::to_string(stretch.CallEnd()) + ")";
        return text;
    }

    test::CDataFolderSandbox sandbox;
    test::CRecordingFolder folder;
    CPlaybackManager manager;
    std::unique_ptr<test::CSinkCapture> capture;
    CQtWaveOut* device = nullptr;

    void SetUp() override
    {
        auto made = std::make_unique<CQtWaveOut>();
        device = made.get();
        manager.SetWaveOut(std::move(made));
    }
};

TEST_F(PlaybackOnSink, PauseAndResumeContinueWhereTheSoundStopped)
{
    Open(8);
    manager.Play(true, false);
    PlayUntil(24'000);
    manager.TogglePause();
    const std::int32_t pausedAt = manager.GetPosition();
    RunEventsFor(1500);
    EXPECT_EQ(manager.GetPosition(), pausedAt);
    manager.TogglePause();
    PlayToTheEnd();
    EXPECT_EQ(manager.GetPosition(), 64'000);
    ExpectHeard({ { 0, pausedAt }, { pausedAt, 64'000 } });
}

TEST_F(PlaybackOnSink, StepsPlayTheSoughtPartsAndNothingElse)
{
    Open(24);
    manager.Play(true, false);
    PlayUntil(16'000);
    const std::int32_t first = Step(80'000); // +10 s
    PlayUntil(first + 80'000 + 16'000);
    const std::int32_t second = Step(-80'000); // -10 s
    PlayUntil(second - 80'000 + 12'000);
    const std::int32_t third = Step(240'000); // +30 s: the end of the call
    RunEventsFor(500);
    ExpectHeard({ { 0, first }, { first + 80'000, second }, { second - 80'000, third } });
}

TEST_F(PlaybackOnSink, StopThenPlayAgainMidCall)
{
    Open(8);
    manager.Play(true, false);
    const std::int32_t stoppedAt = PlayUntil(24'000);
    ExpectNoEventLoopDuring([&] { manager.Play(false, true); });
    EXPECT_EQ(manager.GetPosition(), 0);
    manager.Play(true, false);
    const std::int32_t stoppedAgainAt = PlayUntil(8'000);
    manager.Play(false, false);
    manager.Seek(40'000);
    manager.Play(true, false);
    PlayToTheEnd();
    ExpectHeard({ { 0, stoppedAt }, { 0, stoppedAgainAt }, { 40'000, 64'000 } });
}

TEST_F(PlaybackOnSink, ThirtySessionsOfPausesStepsAndStopsAllSoundWhole)
{
    // One device for the whole run, as in the program: every pause, step and stop of any call ends
    // a session on it, and each must sound as the first did.
    Open(60);
    std::vector<CExpectedStretch> expected;
    std::vector<int> buffers;
    std::int32_t start = 0;
    manager.Play(true, false);
    for (int session = 0; session < 30; ++session) {
        buffers.push_back(device->BufferBytes());
        const std::int32_t heardTo = PlayUntil(start + (session == 0 ? 16'000 : 3'200));
        switch (session % 3) {
        case 0: { // pause, wait, resume
            ExpectNoEventLoopDuring([&] { manager.TogglePause(); });
            const std::int32_t pausedAt = manager.GetPosition();
            expected.push_back({ start, pausedAt });
            RunEventsFor(300);
            manager.TogglePause();
            start = pausedAt;
            break;
        }
        case 1: { // a step of one second forward
            const std::int32_t pausedAt = Step(8'000);
            expected.push_back({ start, pausedAt });
            start = pausedAt + 8'000;
            break;
        }
        default: { // stop, move on half a second, play
            ExpectNoEventLoopDuring([&] { manager.Play(false, false); });
            const std::int32_t stoppedAt = std::max(manager.GetPosition(), heardTo);
            expected.push_back({ start, stoppedAt });
            manager.Seek(stoppedAt + 4'000);
            manager.Play(true, false);
            start = stoppedAt + 4'000;
            break;
        }
        }
    }
    const std::int32_t last = PlayUntil(start + 3'200);
    expected.push_back({ start, last });
    for (std::size_t session = 1; session < buffers.size(); ++session)
        EXPECT_EQ(buffers[session], buffers.front()) << "the buffer granted in session " << session + 1;
    ExpectHeard(expected);
}

// Where the captured sound is louder than a whisper: its first and one past its last sample.
std::pair<std::size_t, std::size_t> LoudPart(const std::vector<std::int16_t>& sound)
{
    const auto loud = [](std::int16_t sample) { return std::abs(sample) > 2000; };
    const auto first = std::find_if(sound.begin(), sound.end(), loud);
    const auto last = std::find_if(sound.rbegin(), sound.rend(), loud);
    if (first == sound.end())
        return { 0, 0 };
    return { static_cast<std::size_t>(first - sound.begin()), static_cast<std::size_t>(sound.rend() - last) };
}

TEST_F(PlaybackOnSink, AtTwiceTheSpeedAToneTakesHalfItsLengthAtItsOwnPitch)
{
    std::vector<std::int16_t> tone(80'000);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<std::int16_t>(
            8000.0 * std::sin(2.0 * std::numbers::pi * 440.0 * static_cast<double>(i) / 8000.0));
    OpenSound(tone);
    manager.SetSpeed(2.0);
    manager.Play(true, false);
    PlayToTheEnd();
    EXPECT_EQ(manager.GetPosition(), 80'000) << "the position is told in call time";
    const std::vector<std::int16_t> heard = capture->Stop();
    const auto [first, end] = LoudPart(heard);
    EXPECT_NEAR(static_cast<double>(end - first), 40'000.0, 2'000.0) << "half of ten seconds, within 5 %";
    // The pitch from the rising zero crossings of the middle of what was heard.
    int crossings = 0;
    const std::size_t from = first + 8'000, to = end - 8'000;
    for (std::size_t i = from + 1; i < to; ++i)
        crossings += heard[i - 1] < 0 && heard[i] >= 0 ? 1 : 0;
    const double frequency = crossings * 8000.0 / static_cast<double>(to - from);
    std::printf("heard %.2f s at %.1f Hz\n", static_cast<double>(end - first) / 8000.0, frequency);
    EXPECT_NEAR(frequency, 440.0, 440.0 * 0.03);
}

TEST_F(PlaybackOnSink, BackAtNormalSpeedTheSinkHearsTheDecodedCallItself)
{
    Open(6);
    manager.SetSpeed(2.0);
    manager.SetSpeed(1.0);
    manager.Play(true, false);
    PlayToTheEnd();
    ExpectHeard({ { 0, 48'000 } });
}

TEST_F(PlaybackOnSink, SkippingSilencePlaysTwentyQuietSecondsAsATenthsAndTellsCallTime)
{
    std::vector<std::int16_t> sound = samplegen::MakeSpeechLikeSignal(80'000, 7);
    sound.resize(240'000, 0);
    const std::vector<std::int16_t> more = samplegen::MakeSpeechLikeSignal(80'000, 8);
    sound.insert(sound.end(), more.begin(), more.end());
    OpenSound(sound);
    manager.SetSkipSilence(true);
    QElapsedTimer clock;
    clock.start();
    manager.Play(true, false);
    EXPECT_TRUE(RunEventsUntil([&] { return manager.GetPosition() >= 320'000; }, 40'000));
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    std::printf("played in %.2f s\n", seconds);
    EXPECT_NEAR(seconds, 20.3, 0.6);
    EXPECT_EQ(FormatHhMmSs(manager.GetPosition() / 8000), "00:00:40");
    PlayToTheEnd();
    const std::vector<std::int16_t> heard = capture->Stop();
    const auto [first, end] = LoudPart(heard);
    EXPECT_NEAR(static_cast<double>(end - first), 162'400.0, 4'000.0) << "the two speeches and 0.3 s between";
}

} // namespace
} // namespace qor

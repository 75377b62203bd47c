// Listening at another speed and with silence skipped: the quiet stretches found from the
// summary, the pieces that cut them short, and the playback manager playing them through a
// virtual device while it keeps telling the position in call time.
#include "platform/VirtualWaveOut.h"
#include "playback/ListeningPlan.h"
#include "playback/PlaybackManager.h"
#include "samplegen/SpeechSignal.h"
#include "support/EventLoop.h"
#include "support/RecordingFolder.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <numeric>

namespace qor {
namespace {

using test::RunEventsUntil;

// Seconds of a 440 Hz tone (every 32 ms block of it is loud) or of silence, one after another.
std::vector<std::int16_t> ToneAndSilence(std::initializer_list<std::pair<bool, std::int32_t>> parts)
{
    std::vector<std::int16_t> sound;
    for (const auto& [tone, samples] : parts) {
        for (std::int32_t i = 0; i < samples; ++i) {
            const double phase = 2.0 * std::numbers::pi * 440.0 * static_cast<double>(sound.size()) / 8000.0;
            sound.push_back(tone ? static_cast<std::int16_t>(8000.0 * std::sin(phase)) : 0);
        }
    }
    return sound;
}

TEST(ListeningPlan, QuietStretchesOverASecondArePlayedAsTheirFirstTenthsAndTimedInCallTime)
{
    // Tone 1 s, silence 2 s, tone 0.5 s, silence 0.5 s (too short), tone 1 s, silence 1.5 s to the end.
    const std::vector<std::int16_t> sound = ToneAndSilence(
        { { true, 8000 }, { false, 16000 }, { true, 4000 }, { false, 4000 }, { true, 8000 }, { false, 12000 } });
    const CWaveSummary summary(sound);
    const std::vector<CCallStretch> quiet = FindQuietStretches(summary);
    // Whole blocks only: a block that holds the tone's edge is not quiet.
    ASSERT_EQ(quiet, (std::vector<CCallStretch>{ { 8192, 23808 }, { 40192, 52000 } }));

    CListeningPlan plan;
    const auto piece = [&](std::int32_t at) {
        const CPlayPiece next = plan.NextPiece(at, 8000, 52000);
        return std::vector<std::int32_t>{ next.callStart, next.callEnd, next.sampleCount };
    };
    EXPECT_EQ(piece(8000), (std::vector<std::int32_t>{ 8000, 16000, 8000 })) << "nothing skipped";
    plan.SetSkipped(quiet);
    EXPECT_EQ(piece(0), (std::vector<std::int32_t>{ 0, 8000, 8000 }));
    EXPECT_EQ(piece(8000), (std::vector<std::int32_t>{ 8000, 8192, 192 })) << "up to the quiet stretch";
    EXPECT_EQ(piece(8192), (std::vector<std::int32_t>{ 8192, 23808, 2400 })) << "0.3 s stand for the stretch";
    EXPECT_EQ(piece(20000), (std::vector<std::int32_t>{ 20000, 23808, 2400 })) << "from inside it";
    EXPECT_EQ(piece(22000), (std::vector<std::int32_t>{ 22000, 30000, 8000 })) << "less than 0.3 s left plays";
    EXPECT_EQ(piece(36000), (std::vector<std::int32_t>{ 36000, 40192, 4192 }));
    EXPECT_EQ(piece(40192), (std::vector<std::int32_t>{ 40192, 52000, 2400 })) << "a stretch to the end";
    EXPECT_EQ(piece(52000)[2], 0) << "the end";

    CPlayedTimeline timeline;
    EXPECT_EQ(timeline.CallTimeAt(100), 0);
    std::int32_t at = 8000;
    for (int i = 0; i < 3; ++i) {
        const CPlayPiece next = plan.NextPiece(at, 8000, 52000);
        timeline.Add(next, next.sampleCount);
        at = next.callEnd;
    }
    EXPECT_EQ(timeline.PlayedTotal(), 192 + 2400 + 8000);
    EXPECT_EQ(timeline.CallTimeAt(0), 8000);
    EXPECT_EQ(timeline.CallTimeAt(192), 8192);
    EXPECT_EQ(timeline.CallTimeAt(192 + 1200), 16000) << "halfway through the skipped stretch";
    EXPECT_EQ(timeline.CallTimeAt(192 + 2400), 23808);
    EXPECT_EQ(timeline.CallTimeAt(1'000'000), 31808) << "past everything played: where it ends";
}

class Listening : public ::testing::Test {
protected:
    void Open(const std::vector<std::int16_t>& sound)
    {
        ASSERT_EQ(manager.OpenRecording(folder.WriteSound("call.qor", sound)), 1);
        manager.GetRecording().WaitForDecoding();
        auto made = std::make_unique<CVirtualWaveOut>(40.0);
        device = made.get();
        manager.SetWaveOut(std::move(made));
    }

    // Plays from the start to the end of the sound; the positions seen on the way never go back.
    void PlayThrough()
    {
        manager.Play(true, true);
        std::int32_t last = 0;
        bool forward = true;
        ASSERT_TRUE(RunEventsUntil([&] {
            const std::int32_t now = manager.GetPosition();
            forward = forward && now >= last;
            last = now;
            return manager.GetReadPosition() >= manager.GetRecording().GetSampleCount()
                && manager.GetQueuedCount() == 0;
        }));
        EXPECT_TRUE(forward) << "the position went back";
    }

    std::int64_t SumOf(std::int32_t first, std::int32_t end)
    {
        const auto samples = manager.GetRecording().GetSamples(first, end - first);
        return std::accumulate(samples.begin(), samples.end(), std::int64_t{ 0 });
    }

    test::CDataFolderSandbox sandbox;
    test::CRecordingFolder folder;
    CPlaybackManager manager;
    CVirtualWaveOut* device = nullptr;
};

TEST_F(Listening, FasterAndSlowerPlayInProportionAndEndAtTheCallsEnd)
{
    Open(samplegen::MakeSpeechLikeSignal(80000, 5));
    manager.SetSpeed(9.0);
    EXPECT_EQ(manager.GetSpeed(), 2.0);
    manager.SetSpeed(0.1);
    EXPECT_EQ(manager.GetSpeed(), 0.5);
    for (const double speed : { 2.0, 1.75, 0.5, 1.0 }) {
        SCOPED_TRACE(speed);
        manager.SetSpeed(speed);
        const std::uint64_t before = device->PlayedSamples();
        PlayThrough();
        const double played = static_cast<double>(device->PlayedSamples() - before);
        EXPECT_NEAR(played, 80000 / speed, 80000 / speed * 0.03);
        EXPECT_EQ(manager.GetPosition(), 80000);
    }
}

TEST_F(Listening, SkippedSilencePlaysItsFirstTenthsAndTheRestWhole)
{
    // Tone 2 s, silence 5 s, tone 2 s.
    Open(ToneAndSilence({ { true, 16000 }, { false, 40000 }, { true, 16000 } }));
    EXPECT_EQ(manager.GetQuietStretches(), (std::vector<CCallStretch>{ { 16128, 55808 } }));
    manager.SetSkipSilence(true);
    PlayThrough();
    EXPECT_EQ(device->PlayedSamples(), 16128u + 2400u + (72000u - 55808u));
    EXPECT_EQ(device->PlayedSum(), SumOf(0, 16128 + 2400) + SumOf(55808, 72000)) << "exactly those samples";
    EXPECT_EQ(manager.GetPosition(), 72000) << "the elapsed time is the call's";

    // Resuming inside the stretch still skips what is left of it; at 2.0x, half of it all.
    manager.Play(false, false);
    manager.SetSpeed(2.0);
    manager.Seek(30000);
    const std::uint64_t before = device->PlayedSamples();
    manager.Play(true, false);
    ASSERT_TRUE(RunEventsUntil([&] { return manager.GetReadPosition() >= 72000 && manager.GetQueuedCount() == 0; }));
    EXPECT_NEAR(static_cast<double>(device->PlayedSamples() - before), (2400 + 16192) / 2.0, 400);
    EXPECT_EQ(manager.GetPosition(), 72000);

    // However the stretcher rounds its last samples, the end of the sound is the end of the call.
    for (const double speed : { 1.25, 1.75 }) {
        for (const std::int32_t from : { 4000, 40000 }) {
            manager.Play(false, false);
            manager.SetSpeed(speed);
            manager.Seek(from);
            manager.Play(true, false);
            ASSERT_TRUE(
                RunEventsUntil([&] { return manager.GetReadPosition() >= 72000 && manager.GetQueuedCount() == 0; }));
            EXPECT_EQ(manager.GetPosition(), 72000) << speed << " from " << from;
        }
    }
}

} // namespace
} // namespace qor

// The real sound device against a real PulseAudio server with a null sink. with-pulseaudio.sh
// starts the server for the "WithServer" tests and runs the "WithoutServer" tests with none.
#include "platform/QtWaveOut.h"

#include "playback/PlaybackManager.h"
#include "samplegen/SampleRecording.h"
#include "support/EventLoop.h"
#include "support/RecordingFolder.h"

#include <gtest/gtest.h>

namespace qor {
namespace {

class CCountingListener : public IWaveOutListener {
public:
    void OnBufferDone() override { ++done; }
    int done = 0;
};

TEST(QtWaveOutWithServer, PlaysAWholeCallIntoTheNullSink)
{
    test::CDataFolderSandbox sandbox;
    test::CRecordingFolder folder;
    samplegen::CSampleCall call;
    call.durationSeconds = 5;
    const std::string path = folder.Write("five.qor", call);

    CPlaybackManager manager;
    std::vector<std::string> errors;
    manager.SetErrorReporter([&](const std::string& message) { errors.push_back(message); });
    manager.SetWaveOut(std::make_unique<CQtWaveOut>());
    ASSERT_EQ(manager.OpenRecording(path), 1);
    manager.Play(true, false);
    ASSERT_TRUE(errors.empty()) << errors.front();
    ASSERT_TRUE(manager.IsPlaying());

    EXPECT_TRUE(test::RunEventsUntil([&] { return manager.GetPosition() >= 40'000; }, 20'000))
        << "position reached " << manager.GetPosition();
    EXPECT_EQ(manager.GetPosition(), 40'000);
    EXPECT_TRUE(test::RunEventsUntil([&] { return manager.GetQueuedCount() == 0; }, 5'000));
    EXPECT_EQ(manager.GetReadPosition(), 40'000);
    manager.Play(false, true);
}

TEST(QtWaveOutWithServer, BuffersComeBackInOrderAndOnlyWhenPlayed)
{
    std::vector<std::int16_t> silence(8000);
    CWaveHeader first{ silence.data(), 16'000 }, second{ silence.data(), 16'000 };
    CCountingListener listener;
    CQtWaveOut device;
    ASSERT_EQ(device.Open(&listener), IWaveOut::kOk);
    ASSERT_EQ(device.Prepare(first), IWaveOut::kOk);
    ASSERT_EQ(device.Prepare(second), IWaveOut::kOk);
    ASSERT_EQ(device.Write(first), IWaveOut::kOk);
    ASSERT_EQ(device.Write(second), IWaveOut::kOk);
    EXPECT_EQ(device.Unprepare(second), IWaveOut::kStillPlaying);
    ASSERT_TRUE(test::RunEventsUntil([&] { return listener.done == 2; }, 10'000));
    EXPECT_EQ(device.Unprepare(first), IWaveOut::kOk);
    EXPECT_EQ(device.Unprepare(second), IWaveOut::kOk);
    EXPECT_EQ(device.Reset(), IWaveOut::kOk);
    EXPECT_EQ(device.Close(), IWaveOut::kOk);
    EXPECT_FALSE(device.IsOpen());
}

TEST(QtWaveOutWithoutServer, OpeningReportsNoDevice)
{
    CCountingListener listener;
    CQtWaveOut device;
    EXPECT_EQ(device.Open(&listener), IWaveOut::kNoDevice);
    EXPECT_FALSE(device.IsOpen());
}

} // namespace
} // namespace qor

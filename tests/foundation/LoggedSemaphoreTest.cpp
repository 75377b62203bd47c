#include "foundation/LoggedSemaphore.h"

#include "foundation/Logger.h"
#include "support/TestFolders.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

namespace qor {
namespace {

using namespace std::chrono_literals;

std::string Hex(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%X", value);
    return text;
}

class LoggedSemaphore : public ::testing::Test {
protected:
    LoggedSemaphore() { CRvLoggedSemaphore::SetWaitRound(kRound); }
    ~LoggedSemaphore() override { CRvLoggedSemaphore::SetWaitRound(30s); }

    static constexpr std::chrono::milliseconds kRound = 200ms;
    test::CDataFolderSandbox sandbox;
    CRvLoggedSemaphore semaphore{ "TEST" };
};

TEST_F(LoggedSemaphore, WaiterLogsEachTimedOutRoundAndThenGetsTheLock)
{
    // Held for a little over two rounds (65 seconds with rounds of 30): the waiter logs two
    // time-outs, then obtains the lock. The holder lets go once the second line is there, so a
    // slow machine cannot make the waiter miss a round.
    semaphore.Lock(10, "/src/lists/Holder.cpp");
    const std::uint32_t holder = CurrentThreadId();
    std::atomic<bool> obtained{ false };
    std::thread waiter([&] {
        semaphore.Lock(20, "/src/lists/Waiter.cpp");
        obtained = true;
        semaphore.Unlock("/src/lists/Waiter.cpp", 21);
    });
    const auto giveUp = std::chrono::steady_clock::now() + 20s;
    auto completeTimeOutLines = [] {
        const std::string log = test::ReadFileText(Singleton<CRvLogger>::Instance()->CurrentFile());
        std::size_t count = 0;
        for (auto at = log.find("has it\n"); at != std::string::npos; at = log.find("has it\n", at + 1))
            ++count;
        return count;
    };
    while (completeTimeOutLines() < 2 && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(kRound / 20);
    std::this_thread::sleep_for(kRound / 6);
    EXPECT_FALSE(obtained);
    semaphore.Unlock("/src/lists/Holder.cpp", 11);
    waiter.join();
    EXPECT_TRUE(obtained);

    const std::string timeout
        = "Semaphore <TEST> timeout from [Waiter.cpp(20)] as thread " + Hex(holder) + " [Holder.cpp(10)] has it";
    EXPECT_EQ(test::LogEntries(), (std::vector<std::string>{ timeout, timeout }));
}

TEST_F(LoggedSemaphore, UnlockFromAnotherThreadIsLoggedAndFreesTheLock)
{
    std::uint32_t locker = 0;
    std::thread([&] {
        semaphore.Lock(30, "./Settings.cpp");
        locker = CurrentThreadId();
    }).join();
    semaphore.Unlock("/home/build/src/playback/PlaybackManager.cpp", 40);

    const std::vector<std::string> expected
        = { "Unlocking semaphore <TEST> from [PlaybackManager.cpp(40)], locked by thread " + Hex(locker)
              + " [Settings.cpp(30)]" };
    EXPECT_EQ(test::LogEntries(), expected);

    auto relock = std::async(std::launch::async, [&] {
        semaphore.Lock(50, __FILE__);
        semaphore.Unlock(__FILE__, 51);
    });
    EXPECT_EQ(relock.wait_for(kRound / 2), std::future_status::ready) << "the lock is free again";
}

TEST_F(LoggedSemaphore, ReleasingAFreeLockDoesNotLetTwoHoldersIn)
{
    semaphore.Lock(__LINE__, __FILE__);
    semaphore.Unlock(__FILE__, __LINE__);
    semaphore.Unlock(__FILE__, __LINE__); // logged as an unlock by a non-holder, and ignored
    semaphore.Lock(__LINE__, __FILE__);
    auto second = std::async(std::launch::async, [&] {
        semaphore.Lock(__LINE__, __FILE__);
        semaphore.Unlock(__FILE__, __LINE__);
    });
    EXPECT_EQ(second.wait_for(kRound / 2), std::future_status::timeout);
    semaphore.Unlock(__FILE__, __LINE__);
    second.get();
}

TEST_F(LoggedSemaphore, GuardsSharedStateAcrossThreads)
{
    long counter = 0; // deliberately unsynchronised but for the lock, so ThreadSanitizer checks it
    auto work = [&] {
        for (int i = 0; i < 2000; ++i) {
            QOR_SEMAPHORE_GUARD(semaphore);
            ++counter;
        }
    };
    std::thread first(work), second(work);
    first.join();
    second.join();
    EXPECT_EQ(counter, 4000);
    EXPECT_TRUE(test::LogEntries().empty());
}

TEST_F(LoggedSemaphore, NamedLocksWithTheSameNameAreOneLock)
{
    const std::string name = "TEST_NAMED_" + std::to_string(getpid());
    CRvLoggedSemaphore first(name, true), second(name, true);
    first.Lock(__LINE__, __FILE__);
    auto other = std::async(std::launch::async, [&] {
        second.Lock(__LINE__, __FILE__);
        second.Unlock(__FILE__, __LINE__);
    });
    EXPECT_EQ(other.wait_for(kRound / 2), std::future_status::timeout);
    first.Unlock(__FILE__, __LINE__);
    other.get();
    sem_unlink(("/QorTolvane." + name).c_str());
}

TEST(SourceFileName, ShowsThePartAfterTheLastSlash)
{
    EXPECT_STREQ(SourceFileName("/a/b/Settings.cpp"), "Settings.cpp");
    EXPECT_STREQ(SourceFileName("Settings.cpp"), "Settings.cpp");
    EXPECT_STREQ(SourceFileName("dir/"), "");
    EXPECT_STREQ(SourceFileName(nullptr), "");
}

} // namespace
} // namespace qor

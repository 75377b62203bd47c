#include "foundation/Thread.h"

#include "foundation/LoggedSemaphore.h"
#include "foundation/Logger.h"
#include "support/TestFolders.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace qor {
namespace {

using namespace std::chrono_literals;

std::string Format(const char* format, auto... arguments)
{
    char text[256];
    std::snprintf(text, sizeof text, format, arguments...);
    return text;
}

// A worker whose run is given by the test.
class CTestWorker : public CRvThread {
public:
    explicit CTestWorker(std::function<int(CTestWorker&)> work)
        : CRvThread("Test Worker")
        , m_work(std::move(work))
    {
    }
    ~CTestWorker() override { Wait(); }

protected:
    int Run() override { return m_work(*this); }

private:
    std::function<int(CTestWorker&)> m_work;
};

class Thread : public ::testing::Test {
protected:
    // Lets the run end by itself, so its lines come before the waiting lines of the join.
    static void AwaitEnd(const CRvThread& worker)
    {
        while (!worker.ExitCode())
            std::this_thread::sleep_for(1ms);
    }
    std::string Waiting(std::uint32_t worker) const
    {
        return Format("Thread: Thread 0x%04X is waiting for thread 'Test Worker' (0x%04X)", CurrentThreadId(), worker);
    }
    std::string DoneWaiting(std::uint32_t worker) const
    {
        return Format(
            "Thread: Thread 0x%04X is done waiting for thread 'Test Worker' (0x%04X)", CurrentThreadId(), worker);
    }

    test::CDataFolderSandbox sandbox;
};

TEST_F(Thread, RunResultIsLoggedAndBecomesTheExitCode)
{
    CTestWorker worker([](CTestWorker&) { return 3; });
    EXPECT_EQ(worker.ThreadId(), 0u);
    EXPECT_FALSE(worker.IsRunning());
    ASSERT_TRUE(worker.Start());
    const std::uint32_t id = worker.ThreadId();
    EXPECT_NE(id, 0u);
    AwaitEnd(worker);
    worker.Wait();
    EXPECT_EQ(worker.ExitCode(), 3);
    EXPECT_FALSE(worker.IsRunning());

    const std::vector<std::string> expected = {
        Format("Thread: Entered thread:Test Worker id:0x%04x.", id),
        Format("Thread: Exiting thread: Test Worker id:0x%04x. result:3", id),
        Waiting(id),
        DoneWaiting(id),
    };
    EXPECT_EQ(test::LogEntries(), expected);
}

TEST_F(Thread, WaitOnANeverStartedThreadLogsOnlyTheWaitingLines)
{
    CTestWorker worker([](CTestWorker&) { return 0; });
    worker.Wait();
    EXPECT_EQ(test::LogEntries(), (std::vector<std::string>{ Waiting(0), DoneWaiting(0) }));
    EXPECT_FALSE(worker.ExitCode().has_value());
}

TEST_F(Thread, StartAfterAFinishedRunJoinsItBeforeTheNewRunEnters)
{
    CTestWorker worker([](CTestWorker&) { return 1; });
    ASSERT_TRUE(worker.Start());
    const std::uint32_t first = worker.ThreadId();
    AwaitEnd(worker);
    EXPECT_FALSE(worker.IsRunning()) << "a finished run counts as stopped before anyone joins it";

    ASSERT_TRUE(worker.Start());
    const std::uint32_t second = worker.ThreadId();
    AwaitEnd(worker);
    worker.Wait();
    const std::vector<std::string> expected = {
        Format("Thread: Entered thread:Test Worker id:0x%04x.", first),
        Format("Thread: Exiting thread: Test Worker id:0x%04x. result:1", first),
        Waiting(first),
        DoneWaiting(first),
        Format("Thread: Entered thread:Test Worker id:0x%04x.", second),
        Format("Thread: Exiting thread: Test Worker id:0x%04x. result:1", second),
        Waiting(second),
        DoneWaiting(second),
    };
    EXPECT_EQ(test::LogEntries(), expected);
}

TEST_F(Thread, WaitStopsARunThatPollsIsRunning)
{
    std::atomic<int> rounds{ 0 };
    CTestWorker worker([&](CTestWorker& self) {
        while (self.IsRunning()) {
            ++rounds;
            std::this_thread::sleep_for(1ms);
        }
        return 7;
    });
    ASSERT_TRUE(worker.Start());
    while (rounds < 3)
        std::this_thread::sleep_for(1ms);
    EXPECT_TRUE(worker.IsRunning());
    worker.Wait();
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(worker.ExitCode(), 7);
}

TEST_F(Thread, WaitOrStartFromTheWorkerItselfNeitherJoinsNorRestarts)
{
    CTestWorker worker([](CTestWorker& self) {
        if (self.Start())
            return 2; // a second run beside this one
        self.Wait(); // must not join itself
        return self.IsRunning() ? 1 : 0;
    });
    ASSERT_TRUE(worker.Start());
    worker.Wait();
    EXPECT_EQ(worker.ExitCode(), 0);
    const auto entries = test::LogEntries();
    EXPECT_NE(std::find(entries.begin(), entries.end(),
                  "Thread: Thread 'Test Worker' cannot be started again from its own run"),
        entries.end());
}

TEST_F(Thread, BelowNormalPriorityRaisesTheNiceValue)
{
    const int base = getpriority(PRIO_PROCESS, 0);
    std::atomic<int> observed{ -100 };
    CTestWorker worker([&](CTestWorker&) {
        observed = getpriority(PRIO_PROCESS, static_cast<id_t>(CurrentThreadId()));
        return 0;
    });
    ASSERT_TRUE(worker.Start(kPriorityBelowNormal));
    worker.Wait();
    EXPECT_EQ(observed, std::min(19, base + 5));
}

TEST_F(Thread, DestructorStopsARunningThread)
{
    std::atomic<bool> ended{ false };
    {
        CTestWorker worker([&](CTestWorker& self) {
            while (self.IsRunning())
                std::this_thread::sleep_for(1ms);
            ended = true;
            return 0;
        });
        ASSERT_TRUE(worker.Start());
    }
    EXPECT_TRUE(ended);
}

} // namespace
} // namespace qor

#include "lists/ParallelReads.h"

#include "foundation/ThreadPriority.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <system_error>
#include <thread>
#include <vector>

namespace qor {
namespace {

using Clock = std::chrono::steady_clock;

// A read that takes longer than this waited on the storage rather than on the processor.
constexpr auto kSlowRead = std::chrono::microseconds(250);

class CReaderPool {
public:
    CReaderPool(const TakeNext& take, const ReadIndex& read)
        : m_take(take)
        , m_read(read)
    {
    }

    // Runs the reads with a fixed number of readers, or adapting when readers is 0.
    void Run(int readers)
    {
        const bool adaptive = readers == kAdaptiveReaders;
        const int processors = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
        AddHelpers(std::clamp(adaptive ? processors : readers, 1, kMaxReaders) - 1);
        // The calling thread reads too, and between its reads it adds readers while most reads
        // wait on the storage: a cold disk or a share then gets many requests at once.
        while (ReadNext()) {
            const int active = static_cast<int>(m_helpers.size()) + 1;
            if (adaptive && active < kMaxReaders && m_slowReads.load(std::memory_order_relaxed) >= active) {
                m_slowReads = 0;
                AddHelpers(std::min(active, kMaxReaders - active));
            }
        }
        for (std::thread& helper : m_helpers)
            helper.join();
    }

private:
    // Reads one more item; false once there is none left or the caller wants no more.
    bool ReadNext()
    {
        if (m_finished.load(std::memory_order_relaxed))
            return false;
        // Waiting for the next index is not reading: only the read is timed.
        const std::optional<std::size_t> index = m_take();
        if (!index) {
            m_finished = true;
            return false;
        }
        const Clock::time_point start = Clock::now();
        m_read(*index);
        if (Clock::now() - start > kSlowRead)
            m_slowReads.fetch_add(1, std::memory_order_relaxed);
        return true;
    }

    void AddHelpers(int helpers)
    {
        for (int i = 0; i < helpers && !m_finished.load(std::memory_order_relaxed); ++i) {
            try {
                m_helpers.emplace_back([this] {
                    // The readers work for a search that runs below normal priority; so do they.
                    LowerCurrentThreadPriority(kPriorityBelowNormal);
                    while (ReadNext()) { }
                });
            } catch (const std::system_error&) {
                return; // fewer readers than wished for still read everything
            }
        }
    }

    const TakeNext& m_take;
    const ReadIndex& m_read;
    std::atomic<bool> m_finished{ false };
    std::atomic<int> m_slowReads{ 0 };
    std::vector<std::thread> m_helpers; // touched by the calling thread only
};

} // namespace

int ConfiguredReaders()
{
    if (const char* chosen = std::getenv("QOR_SEARCH_READERS")) {
        const int readers = std::atoi(chosen);
        if (readers >= 1 && readers <= kMaxReaders)
            return readers;
    }
    return kAdaptiveReaders;
}

void ReadAsTaken(int readers, const TakeNext& take, const ReadIndex& read)
{
    CReaderPool(take, read).Run(readers);
}

void ReadInParallel(std::size_t count, int readers, const std::function<bool()>& keepGoing, const ReadIndex& read)
{
    std::atomic<std::size_t> next{ 0 };
    ReadAsTaken(
        readers,
        [&]() -> std::optional<std::size_t> {
            if (!keepGoing())
                return std::nullopt;
            const std::size_t index = next.fetch_add(1, std::memory_order_relaxed);
            return index < count ? std::optional(index) : std::nullopt;
        },
        read);
}

} // namespace qor

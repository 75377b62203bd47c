#include "foundation/Thread.h"

#include "foundation/LoggedSemaphore.h"
#include "foundation/Logger.h"
#include "foundation/ThreadPriority.h"

#include <future>
#include <memory>
#include <system_error>

namespace qor {
CRvThread::CRvThread(std::string name)
    : m_name(std::move(name))
{
}

CRvThread::~CRvThread()
{
    SignalStop();
    Wait();
}

bool CRvThread::IsRunning() const
{
    return !m_stopSignalled.load();
}

void CRvThread::SignalStop()
{
    m_stopSignalled = true;
}

std::optional<int> CRvThread::ExitCode() const
{
    if (!m_finished)
        return std::nullopt;
    return m_exitCode.load();
}

bool CRvThread::Start(int priority)
{
    // A run cannot wait for itself to end, and a second run beside it would share the object.
    if (m_thread.joinable() && m_thread.get_id() == std::this_thread::get_id()) {
        Singleton<CRvLogger>::Instance()->Write(
            "Thread: Thread '%s' cannot be started again from its own run\n", m_name.c_str());
        return false;
    }
    if (m_thread.joinable())
        Wait();
    m_stopSignalled = false;
    m_finished = false;

    // Like a thread created suspended: the id is recorded and the handle stored before the run
    // begins, so the run may call Wait() on itself and callers see the id once Start returns.
    auto resume = std::make_shared<std::promise<void>>();
    std::shared_future<void> resumed = resume->get_future().share();
    auto started = std::make_shared<std::promise<std::uint32_t>>();
    std::future<std::uint32_t> startedId = started->get_future();
    try {
        m_thread = std::thread([this, priority, started, resumed] {
            const std::uint32_t id = CurrentThreadId();
            LowerCurrentThreadPriority(priority);
            started->set_value(id);
            resumed.wait();
            Entry();
        });
    } catch (const std::system_error& error) {
        // Nothing will ever end this run, so it must not look as if it were going on.
        Singleton<CRvLogger>::Instance()->Write(
            "Thread: Could not create thread '%s': %s\n", m_name.c_str(), error.what());
        m_stopSignalled = true;
        return false;
    }
    m_threadId = startedId.get();
    resume->set_value();
    return true;
}

void CRvThread::Entry()
{
    const std::uint32_t id = m_threadId;
    CRvLogger& log = *Singleton<CRvLogger>::Instance();
    log.Write("Thread: Entered thread:%s id:0x%04x.\n", m_name.c_str(), id);
    const int result = Run();
    log.Write("Thread: Exiting thread: %s id:0x%04x. result:%d\n", m_name.c_str(), id, result);
    m_exitCode = result;
    SignalStop();
    m_finished = true;
}

void CRvThread::Wait()
{
    CRvLogger& log = *Singleton<CRvLogger>::Instance();
    const std::uint32_t caller = CurrentThreadId();
    log.Write("Thread: Thread 0x%04X is waiting for thread '%s' (0x%04X)\n", caller, m_name.c_str(), m_threadId.load());
    if (m_thread.joinable()) {
        SignalStop();
        if (m_thread.get_id() != std::this_thread::get_id()) {
            try {
                m_thread.join();
            } catch (const std::system_error&) {
                log.Write("Thread: Close handle failed, thread '%s' (0x%04X) handle:0x%lX", m_name.c_str(),
                    m_threadId.load(), static_cast<unsigned long>(m_thread.native_handle()));
                if (m_thread.joinable())
                    m_thread.detach();
            }
        }
    }
    log.Write(
        "Thread: Thread 0x%04X is done waiting for thread '%s' (0x%04X)\n", caller, m_name.c_str(), m_threadId.load());
}

} // namespace qor

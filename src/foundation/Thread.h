// Base of the managers that work in the background: one operating-system thread per run, a stop
// signal that the work polls, and a log line at every start, end and join.
//
// A derived class must call Wait() in its own destructor: once it is destroyed, the thread may no
// longer run its Run().
#pragma once

#include "foundation/ThreadPriority.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>

namespace qor {

class CRvThread {
public:
    explicit CRvThread(std::string name);
    virtual ~CRvThread();

    CRvThread(const CRvThread&) = delete;
    CRvThread& operator=(const CRvThread&) = delete;

    // Asks the thread to stop and joins it. From the worker itself it only asks.
    virtual void Wait();
    // True from Start until the run ends or is asked to stop.
    virtual bool IsRunning() const;
    virtual void SignalStop();

    // Starts a new run of Run() on a new thread, joining a previous run first. Negative priorities
    // lower the thread's scheduling priority. Returns false when no thread could be created (the
    // object then counts as stopped) and when called from the running Run() itself, which goes on.
    bool Start(int priority = kPriorityNormal);

    const std::string& Name() const { return m_name; }
    // The kernel id of the running or last thread; 0 before the first start.
    std::uint32_t ThreadId() const { return m_threadId; }
    // What the last finished run returned; empty while a run is going on or before the first.
    std::optional<int> ExitCode() const;

protected:
    // The derived class's work; returns the thread's exit code. Polls IsRunning between units of work.
    virtual int Run() = 0;

private:
    void Entry();

    std::string m_name;
    std::atomic<std::uint32_t> m_threadId{ 0 };
    std::thread m_thread;
    std::atomic<bool> m_stopSignalled{ true };
    std::atomic<bool> m_finished{ false };
    std::atomic<int> m_exitCode{ 0 };
};

} // namespace qor

#include "foundation/LoggedSemaphore.h"

#include "foundation/Logger.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace qor {
namespace {

std::atomic<std::int64_t> g_waitRoundMs{ 30'000 };

timespec DeadlineAfter(std::chrono::milliseconds round)
{
    // sem_timedwait takes the wall clock; a clock step only lengthens or shortens one round.
    timespec deadline{};
    clock_gettime(CLOCK_REALTIME, &deadline);
    const std::int64_t nanoseconds = deadline.tv_nsec + (round.count() % 1000) * 1'000'000;
    deadline.tv_sec += static_cast<time_t>(round.count() / 1000 + nanoseconds / 1'000'000'000);
    deadline.tv_nsec = static_cast<long>(nanoseconds % 1'000'000'000);
    return deadline;
}

} // namespace

const char* SourceFileName(const char* path)
{
    if (!path)
        return "";
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

std::uint32_t CurrentThreadId()
{
    // Asked once per thread: lists take a lock for each of thousands of calls.
    thread_local const auto id = static_cast<std::uint32_t>(syscall(SYS_gettid));
    return id;
}

CRvLoggedSemaphore::CRvLoggedSemaphore(std::string name, bool named)
    : m_named(named)
    , m_name(std::move(name))
{
    if (m_named) {
        const std::string systemName = "/QorTolvane." + m_name;
        m_handle = sem_open(systemName.c_str(), O_CREAT, 0600, 1);
        if (m_handle != SEM_FAILED)
            return;
        m_named = false; // fall back to a lock private to this process
    }
    sem_init(&m_anonymous, 0, 1);
    m_handle = &m_anonymous;
}

CRvLoggedSemaphore::~CRvLoggedSemaphore()
{
    if (m_named)
        sem_close(m_handle);
    else
        sem_destroy(&m_anonymous);
}

void CRvLoggedSemaphore::SetWaitRound(std::chrono::milliseconds round)
{
    g_waitRoundMs = round.count();
}

std::chrono::milliseconds CRvLoggedSemaphore::WaitRound()
{
    return std::chrono::milliseconds(g_waitRoundMs.load());
}

void CRvLoggedSemaphore::Lock(int callerLine, const char* callerFile)
{
    for (;;) {
        const timespec deadline = DeadlineAfter(WaitRound());
        if (sem_timedwait(m_handle, &deadline) == 0) {
            SetOwner({ CurrentThreadId(), callerFile ? callerFile : "", callerLine });
            return;
        }
        const int error = errno;
        if (error == EINTR)
            continue;
        if (error == ETIMEDOUT) {
            const Owner owner = CurrentOwner();
            Singleton<CRvLogger>::Instance()->WriteLine(
                "Semaphore <%s> timeout from [%s(%d)] as thread %X [%s(%d)] has it", m_name.c_str(),
                SourceFileName(callerFile), callerLine, owner.thread, SourceFileName(owner.file), owner.line);
        } else {
            Singleton<CRvLogger>::Instance()->WriteLine(
                "Error <%d> from WaitForSingleObject() for semaphore <%s> - from [%s(%d)]", error, m_name.c_str(),
                SourceFileName(callerFile), callerLine);
        }
    }
}

void CRvLoggedSemaphore::Unlock(const char* callerFile, int callerLine)
{
    const Owner owner = CurrentOwner();
    if (owner.thread != CurrentThreadId()) {
        Singleton<CRvLogger>::Instance()->WriteLine(
            "Unlocking semaphore <%s> from [%s(%d)], locked by thread %X [%s(%d)]", m_name.c_str(),
            SourceFileName(callerFile), callerLine, owner.thread, SourceFileName(owner.file), owner.line);
    }
    SetOwner({});
    // The count never exceeds one: releasing a free lock would let two holders in at once.
    int count = 0;
    if (sem_getvalue(m_handle, &count) == 0 && count > 0)
        return;
    sem_post(m_handle);
}

CRvLoggedSemaphore::Owner CRvLoggedSemaphore::CurrentOwner()
{
    std::lock_guard guard(m_ownerMutex);
    return m_owner;
}

void CRvLoggedSemaphore::SetOwner(Owner owner)
{
    std::lock_guard guard(m_ownerMutex);
    m_owner = std::move(owner);
}

} // namespace qor

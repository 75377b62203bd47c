// The lock each manager keeps around its state: a semaphore of count one that remembers who holds
// it and from which source line, waits in rounds, and logs every round that times out and every
// release by a thread that does not hold it, so the log shows who is stuck behind whom.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <semaphore.h>
#include <string>

namespace qor {

class CRvLoggedSemaphore {
public:
    // named: the semaphore is shared with other processes under this name; the program's own
    // locks are all private to the process.
    explicit CRvLoggedSemaphore(std::string name, bool named = false);
    ~CRvLoggedSemaphore();

    CRvLoggedSemaphore(const CRvLoggedSemaphore&) = delete;
    CRvLoggedSemaphore& operator=(const CRvLoggedSemaphore&) = delete;

    // Blocks until the lock is obtained; never gives up. Not re-entrant.
    // callerFile lives as long as the program (the guard passes __FILE__).
    void Lock(int callerLine, const char* callerFile);
    void Unlock(const char* callerFile, int callerLine);

    const std::string& Name() const { return m_name; }

    // The length of one wait round, 30 seconds unless a test shortens it.
    static void SetWaitRound(std::chrono::milliseconds round);
    static std::chrono::milliseconds WaitRound();

private:
    struct Owner {
        std::uint32_t thread = 0;
        const char* file = ""; // a literal (__FILE__): taking a lock copies no text
        int line = 0;
    };
    Owner CurrentOwner();
    void SetOwner(Owner owner);

    sem_t m_anonymous{};
    sem_t* m_handle = nullptr;
    bool m_named = false;
    std::string m_name;
    std::mutex m_ownerMutex; // only keeps the owner fields whole for the log lines of waiting threads
    Owner m_owner;
};

// Holds a logged semaphore for one scope.
class CRvSemaphoreGuard {
public:
    CRvSemaphoreGuard(CRvLoggedSemaphore& semaphore, const char* file, int line)
        : m_semaphore(semaphore)
        , m_file(file)
        , m_line(line)
    {
        m_semaphore.Lock(line, file);
    }
    ~CRvSemaphoreGuard() { m_semaphore.Unlock(m_file, m_line); }

    CRvSemaphoreGuard(const CRvSemaphoreGuard&) = delete;
    CRvSemaphoreGuard& operator=(const CRvSemaphoreGuard&) = delete;

private:
    CRvLoggedSemaphore& m_semaphore;
    const char* m_file;
    int m_line;
};

#define QOR_SEMAPHORE_GUARD(semaphore) ::qor::CRvSemaphoreGuard semaphoreGuard_(semaphore, __FILE__, __LINE__)

// The part of a source path after its last "/", as log lines show it.
const char* SourceFileName(const char* path);

// The kernel's id of the calling thread, as log lines show it.
std::uint32_t CurrentThreadId();

} // namespace qor

// The one lock that lets only one program at a time run the scheduled job: the desktop program's
// timer, its "Run Scheduled Now...", the systemd timer's "schedule run --if-due" and a hand-typed
// "schedule run" all take it before they read the job, and hold it until the run has finished
// and the job's next time is saved. The one who gets it first runs; the others, once it is free,
// read the saved job and find it not due.
#pragma once

#include "archive/JobScope.h"
#include "foundation/FileLock.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qor {

class CScheduledRunLock {
public:
    enum class Take { Taken, Busy, Blocked, Unavailable };

    // No run takes this long; a lock held longer belongs to a program that hangs.
    static constexpr std::int64_t kLongestRunSeconds = 12 * 3600;

    explicit CScheduledRunLock(CJobScope scope = CJobScope::Own);
    // At once: Busy when another program of ours (or this one) is running the job; Blocked when
    // the lock is held in a way that must be named rather than waited out: by a lock file another
    // user could open for writing, or for longer than a run can take; Unavailable when the lock
    // file cannot be opened (never through a link). Problem says why for the last two.
    Take TryTake(std::int64_t now);
    bool IsHeld() const { return m_held; }
    const std::string& Problem() const { return m_problem; }
    void Release();
    // The lock of the user's own job.
    static std::string FilePath();
    std::string Path() const;

private:
    CJobScope m_scope;
    std::unique_ptr<CLockFile> m_file;
    bool m_held = false;
    std::string m_problem;
};

} // namespace qor

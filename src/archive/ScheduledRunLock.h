// The one lock that lets only one program at a time run the scheduled job: the desktop program's
// timer, its "Run Scheduled Now...", the systemd timer's "schedule run --if-due" and a hand-typed
// "schedule run" all take it before they read the job, and hold it until the run has finished
// and the job's next time is saved. The one who gets it first runs; the others, once it is free,
// read the saved job and find it not due.
#pragma once

#include "foundation/FileLock.h"

#include <memory>
#include <string>

namespace qor {

class CScheduledRunLock {
public:
    enum class Take { Taken, Busy, Unavailable };

    CScheduledRunLock();
    // At once: Busy when another program (or this one) is running the job, Unavailable when the
    // lock file cannot be opened (Problem says why; never through a link).
    Take TryTake();
    bool IsHeld() const { return m_held; }
    const std::string& Problem() const { return m_problem; }
    void Release();
    static std::string FilePath();

private:
    std::unique_ptr<CLockFile> m_file;
    bool m_held = false;
    std::string m_problem;
};

} // namespace qor

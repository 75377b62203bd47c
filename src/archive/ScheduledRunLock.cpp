#include "archive/ScheduledRunLock.h"

#include "foundation/Settings.h"

#include <cerrno>
#include <chrono>
#include <cstring>

namespace qor {

CScheduledRunLock::CScheduledRunLock(CJobScope scope)
    : m_scope(scope)
{
}

std::string CScheduledRunLock::FilePath()
{
    // Beside "schedule.xml", as "scheduled-run.lock"; separate from the file's own save lock,
    // which a run takes while it holds this one.
    return JobFilePath(CJobScope::Own, "scheduled-run");
}

std::string CScheduledRunLock::Path() const
{
    return JobFilePath(m_scope, "scheduled-run");
}

CScheduledRunLock::Take CScheduledRunLock::TryTake(std::int64_t now)
{
    if (m_held)
        return Take::Taken;
    m_file = std::make_unique<CLockFile>(Path());
    m_held = m_file->Lock(std::chrono::milliseconds(0));
    if (m_held)
        return Take::Taken;
    const int error = errno;
    m_problem = m_file->Problem();
    const bool opened = m_file->IsOpen();
    const bool othersCanHold = opened && m_file->OthersCanHold();
    const std::int64_t since = opened ? m_file->HeldSince() : 0;
    m_file.reset();
    if (!opened) {
        m_problem = Path() + ".lock: cannot be used as the scheduled run's lock (" + std::strerror(error) + ")";
        return Take::Unavailable;
    }
    if (othersCanHold)
        return Take::Blocked;
    if (since > 0 && now - since > kLongestRunSeconds) {
        m_problem += ", longer than a run takes: the program holding it may hang";
        return Take::Blocked;
    }
    return Take::Busy;
}

void CScheduledRunLock::Release()
{
    m_file.reset();
    m_held = false;
}

} // namespace qor

#include "archive/ScheduledRunLock.h"

#include "foundation/Settings.h"

#include <cerrno>
#include <chrono>
#include <cstring>

namespace qor {

CScheduledRunLock::CScheduledRunLock() = default;

std::string CScheduledRunLock::FilePath()
{
    // Beside "schedule.xml", as "scheduled-run.lock"; separate from the file's own save lock,
    // which a run takes while it holds this one.
    return CSettings::GetConfigFilePath(true, "scheduled-run");
}

CScheduledRunLock::Take CScheduledRunLock::TryTake()
{
    if (m_held)
        return Take::Taken;
    m_file = std::make_unique<CLockFile>(FilePath());
    m_held = m_file->Lock(std::chrono::milliseconds(0));
    if (m_held)
        return Take::Taken;
    const int error = errno;
    const bool opened = m_file->IsOpen();
    m_file.reset();
    if (opened)
        return Take::Busy;
    m_problem = FilePath() + ".lock: cannot be used as the scheduled run's lock (" + std::strerror(error) + ")";
    return Take::Unavailable;
}

void CScheduledRunLock::Release()
{
    m_file.reset();
    m_held = false;
}

} // namespace qor

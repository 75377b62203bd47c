#include "archive/ScheduledRunLock.h"

#include "foundation/Settings.h"

#include <chrono>

namespace qor {

CScheduledRunLock::CScheduledRunLock() = default;

std::string CScheduledRunLock::FilePath()
{
    // Beside "schedule.xml", as "scheduled-run.lock"; separate from the file's own save lock,
    // which a run takes while it holds this one.
    return CSettings::GetConfigFilePath(true, "scheduled-run");
}

bool CScheduledRunLock::TryTake()
{
    if (m_held)
        return true;
    m_file = std::make_unique<CLockFile>(FilePath());
    m_held = m_file->Lock(std::chrono::milliseconds(0));
    if (!m_held)
        m_file.reset();
    return m_held;
}

void CScheduledRunLock::Release()
{
    m_file.reset();
    m_held = false;
}

} // namespace qor

#include "foundation/ThreadPriority.h"

#include "foundation/LoggedSemaphore.h"

#include <algorithm>
#include <sys/resource.h>

namespace qor {

void LowerCurrentThreadPriority(int priority)
{
    if (priority >= 0)
        return;
    const auto thread = static_cast<id_t>(CurrentThreadId());
    const int niceValue = std::min(19, getpriority(PRIO_PROCESS, thread) - priority * 5);
    setpriority(PRIO_PROCESS, thread, niceValue);
}

} // namespace qor

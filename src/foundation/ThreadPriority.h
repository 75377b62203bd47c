// Best-effort thread priorities: below-normal work runs at a higher nice value so the desktop
// stays responsive. Raising priority needs privileges a desktop program lacks, so it is ignored.
#pragma once

namespace qor {

constexpr int kPriorityNormal = 0;
constexpr int kPriorityBelowNormal = -1;

// Lowers the calling thread's priority for negative values (-1 below normal, -2 lowest, ...).
void LowerCurrentThreadPriority(int priority);

} // namespace qor

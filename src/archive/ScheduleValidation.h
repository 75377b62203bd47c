// Whether a scheduled job can run as set: the checks the command line's "schedule set" and the
// desktop program's settings page both make before saving, so neither writes a job that only
// fails when its time comes.
#pragma once

#include "archive/ScheduleFile.h"

#include <string>

namespace qor {

inline constexpr int kMaximumDaysInterval = 365;

// Empty when the job can run; otherwise what is wrong, in words for the user.
std::string ScheduleSettingsProblem(const CScheduleSettings& settings);

// The first time after now at the local hour and minute given.
std::int64_t NextLocalTimeOfDay(std::int64_t now, int hour, int minute);

} // namespace qor

// Dates and times in the user's locale, as lists and reports show them. The program calls
// setlocale(LC_ALL, "") once at start-up; until then the C locale applies.
#pragma once

#include <ctime>
#include <string>

namespace qor {

// The locale's short date format and its time format, with a blank between: "01/31/24 17:05:09".
std::string FormatLocaleDateTime(const std::tm& time);
// The short date and the time without seconds: "01/31/24 17:05" (jobs are dated to the minute).
std::string FormatLocaleDateMinutes(const std::tm& time);

} // namespace qor

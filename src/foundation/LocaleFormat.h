// Dates and times in the user's locale, as lists and reports show them. The program calls
// setlocale(LC_ALL, "") once at start-up; until then the C locale applies.
#pragma once

#include <ctime>
#include <string>

namespace qor {

// The locale's short date format, e.g. "01/31/24".
std::string FormatLocaleDate(const std::tm& time);
// The locale's time format, e.g. "17:05:09".
std::string FormatLocaleTime(const std::tm& time);

} // namespace qor

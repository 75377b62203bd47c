#include "foundation/LocaleFormat.h"

namespace qor {
namespace {

std::string Format(const char* format, const std::tm& time)
{
    // Room for the longest forms locales have (a date with the weekday and month spelt out in a
    // script of three bytes a character).
    char text[256];
    const std::size_t length = std::strftime(text, sizeof text, format, &time);
    return std::string(text, length);
}

} // namespace

std::string FormatLocaleDateTime(const std::tm& time)
{
    // One call for both: lists format this for every call they read.
    return Format("%x %X", time);
}

std::string FormatLocaleDateMinutes(const std::tm& time)
{
    return Format("%x %H:%M", time);
}

} // namespace qor

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

std::string FormatLocaleDate(const std::tm& time)
{
    return Format("%x", time);
}

std::string FormatLocaleTime(const std::tm& time)
{
    return Format("%X", time);
}

} // namespace qor

#include "foundation/CallTime.h"

#include <cstdio>
#include <ctime>

namespace qor {

std::int64_t UnixTimeOfWallClock(std::int64_t wallClock)
{
    const auto seconds = static_cast<std::time_t>(wallClock);
    std::tm broken{};
    if (!gmtime_r(&seconds, &broken))
        return wallClock;
    broken.tm_isdst = -1; // the zone's rules say whether summer time applied then
    const std::time_t moment = std::mktime(&broken);
    return moment == static_cast<std::time_t>(-1) ? wallClock : static_cast<std::int64_t>(moment);
}

std::string IsoLocalTime(std::int64_t unixTime)
{
    const auto seconds = static_cast<std::time_t>(unixTime);
    std::tm local{};
    if (!localtime_r(&seconds, &local))
        return {};
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    const long offset = local.tm_gmtoff;
    const long minutes = (offset < 0 ? -offset : offset) / 60;
    char zone[48];
    std::snprintf(zone, sizeof zone, "%c%02ld:%02ld", offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    return std::string(text) + zone;
}

std::int64_t LocalMidnight(std::int64_t now, int daysBack)
{
    const auto seconds = static_cast<std::time_t>(now);
    std::tm day{};
    localtime_r(&seconds, &day);
    day.tm_mday -= daysBack;
    day.tm_hour = day.tm_min = day.tm_sec = 0;
    day.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&day));
}

} // namespace qor

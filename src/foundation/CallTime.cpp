#include "foundation/CallTime.h"

#include "foundation/LocaleFormat.h"
#include "foundation/Utf8Text.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <unordered_map>

namespace qor {

namespace {

constexpr std::int64_t kQuarterHour = 900;

// The C library reads the zone's rules lazily, under locks of its own that thread checkers cannot
// see; the readers of a search convert times side by side, so the zone is consulted one at a time.
std::mutex& ZoneLock()
{
    static std::mutex lock;
    return lock;
}

std::int64_t AskedUnixTimeOfWallClock(std::int64_t wallClock)
{
    std::lock_guard guard(ZoneLock());
    const auto seconds = static_cast<std::time_t>(wallClock);
    std::tm broken{};
    if (!gmtime_r(&seconds, &broken))
        return wallClock;
    broken.tm_isdst = -1; // the zone's rules say whether summer time applied then
    const std::time_t moment = std::mktime(&broken);
    return moment == static_cast<std::time_t>(-1) ? wallClock : static_cast<std::int64_t>(moment);
}

// The offset (wall clock less true time) of the quarter hours asked for lately, per thread; a
// change of TZ empties it.
struct COffsetCache {
    std::string zone;
    std::unordered_map<std::int64_t, std::int64_t> offsets;
};

std::int64_t WallClockOffset(std::int64_t wallClock)
{
    thread_local COffsetCache cache;
    const char* zone = std::getenv("TZ");
    if (cache.zone != (zone ? zone : "")) {
        cache.zone = zone ? zone : "";
        cache.offsets.clear();
    }
    const std::int64_t quarter = wallClock / kQuarterHour - (wallClock % kQuarterHour < 0 ? 1 : 0);
    if (const auto known = cache.offsets.find(quarter); known != cache.offsets.end())
        return known->second;
    if (cache.offsets.size() > 100'000)
        cache.offsets.clear();
    const std::int64_t start = quarter * kQuarterHour;
    const std::int64_t offset = start - AskedUnixTimeOfWallClock(start);
    cache.offsets.emplace(quarter, offset);
    return offset;
}

std::string ZoneText(long offset)
{
    // By hand rather than through snprintf: lists write one for every call. No zone is 100 hours off.
    const long minutes = std::min((offset < 0 ? -offset : offset) / 60, 99L * 60 + 59);
    const auto digit = [](long value) { return static_cast<char>('0' + value % 10); };
    return { offset < 0 ? '-' : '+', digit(minutes / 600), digit(minutes / 60), ':', digit(minutes % 60 / 10),
        digit(minutes % 60) };
}

} // namespace

std::int64_t UnixTimeOfWallClock(std::int64_t wallClock)
{
    return wallClock - WallClockOffset(wallClock);
}

std::string WallClockText(std::int64_t wallClock)
{
    const auto seconds = static_cast<std::time_t>(wallClock);
    std::tm broken{};
    gmtime_r(&seconds, &broken);
    return std::string(FirstCharacters(FormatLocaleDateTime(broken), 20));
}

std::string IsoWallClock(std::int64_t wallClock)
{
    // The calendar by arithmetic rather than gmtime_r, which takes the C library's zone lock: the
    // rows of a long list are formatted on every processor at once.
    using namespace std::chrono;
    const sys_seconds moment{ seconds(wallClock) };
    const sys_days day = floor<days>(moment);
    const year_month_day date{ day };
    const hh_mm_ss time{ moment - day };
    const int year = static_cast<int>(date.year());
    if (year < 0 || year > 9999)
        return {};
    // Written by hand: a list of thousands of calls formats one each.
    std::string text = "0000-00-00T00:00:00";
    const auto put = [&text](std::size_t at, long value, int digits) {
        for (int digit = digits - 1; digit >= 0; --digit, value /= 10)
            text[at + static_cast<std::size_t>(digit)] = static_cast<char>('0' + value % 10);
    };
    put(0, year, 4);
    put(5, static_cast<unsigned>(date.month()), 2);
    put(8, static_cast<unsigned>(date.day()), 2);
    put(11, time.hours().count(), 2);
    put(14, time.minutes().count(), 2);
    put(17, static_cast<long>(time.seconds().count()), 2);
    return text.append(ZoneText(static_cast<long>(WallClockOffset(wallClock))));
}

std::string IsoLocalTime(std::int64_t unixTime)
{
    std::lock_guard guard(ZoneLock());
    const auto seconds = static_cast<std::time_t>(unixTime);
    std::tm local{};
    if (!localtime_r(&seconds, &local))
        return {};
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text + ZoneText(local.tm_gmtoff);
}

std::int64_t LocalMidnight(std::int64_t now, int daysBack)
{
    std::lock_guard guard(ZoneLock());
    const auto seconds = static_cast<std::time_t>(now);
    std::tm day{};
    localtime_r(&seconds, &day);
    day.tm_mday -= daysBack;
    day.tm_hour = day.tm_min = day.tm_sec = 0;
    day.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&day));
}

} // namespace qor

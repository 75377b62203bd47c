// When a call was made. Headers keep the local wall-clock time of the recorder counted as if it
// were UTC; scripts, date filters and other programs need the true moment, in the local zone.
#pragma once

#include <cstdint>
#include <string>

namespace qor {

// The true moment (seconds since 1970) of a wall-clock time counted as if it were UTC, read in the
// local time zone (its daylight saving time included). Lists convert thousands of these: the
// zone's offset is asked once per quarter of an hour of wall clock (no zone shifts within one).
std::int64_t UnixTimeOfWallClock(std::int64_t wallClock);

// ISO 8601 in local time with the zone's offset: "2016-12-23T15:27:16+01:00".
std::string IsoLocalTime(std::int64_t unixTime);
// The same for a wall-clock time counted as if it were UTC (a header's start).
std::string IsoWallClock(std::int64_t wallClock);

// A wall-clock time as the lists show it: the locale's date and time, at most 20 characters.
std::string WallClockText(std::int64_t wallClock);

// The first second of the local day daysBack days before the day that holds now.
std::int64_t LocalMidnight(std::int64_t now, int daysBack);

} // namespace qor

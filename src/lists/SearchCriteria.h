// What a recording list was compiled from: the folders or files searched and the filters applied.
// A list document keeps a copy so that refreshing it runs the same search again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qor {

enum DateRange : int {
    kDateRangeAll = 0,
    kDateRangeYesterdayAndToday = 1,
    kDateRangeWithin7Days = 2,
    kDateRangeWithin30Days = 3,
    kDateRangeSpecific = 4,
};

struct SearchCriteria {
    std::vector<std::string> sources; // folders, or paths of single recordings
    bool includeSubFolders = false;
    std::string fileNamePattern = "*";
    std::string callerIdPattern = "*";
    int dateRange = kDateRangeWithin30Days;
    std::int32_t rangeEnd = -1; // "Before this date", seconds since 1970
    std::int32_t rangeStart = 0; // "After this date"
    bool lengthLimit = false;
    int minimumMinutes = 0; // calls must be longer than this many whole minutes

    // Clearing forgets the sources only; the filters stay for the next search.
    void Clear() { sources.clear(); }
};

} // namespace qor

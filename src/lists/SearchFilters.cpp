#include "lists/SearchFilters.h"

#include "foundation/CallTime.h"
#include "foundation/CaseFolding.h"

#include <climits>
#include <fcntl.h>
#include <filesystem>
#include <strings.h>
#include <sys/stat.h>

namespace qor {
namespace {

bool IsEverything(const std::string& pattern)
{
    return pattern.empty() || pattern == "*";
}

} // namespace

bool IsRecordingPath(const std::string& path)
{
    return path.size() >= 3 && strcasecmp(path.c_str() + path.size() - 3, "qor") == 0;
}

bool PassesNameFilter(const std::string& pattern, const std::string& path)
{
    if (IsEverything(pattern))
        return true;
    return MatchesFoldedPattern(FoldedPattern(pattern), std::filesystem::path(path).stem().string());
}

bool DateFilterApplies(const SearchCriteria& criteria)
{
    switch (criteria.dateRange) {
    case kDateRangeYesterdayAndToday:
    case kDateRangeWithin7Days:
    case kDateRangeWithin30Days:
        return true;
    case kDateRangeSpecific:
        return criteria.rangeStart < criteria.rangeEnd;
    default:
        return false;
    }
}

std::int64_t EarliestCallTime(const SearchCriteria& criteria, std::int64_t now)
{
    switch (criteria.dateRange) {
    case kDateRangeYesterdayAndToday:
        return LocalMidnight(now, 1);
    case kDateRangeWithin7Days:
        return LocalMidnight(now, 7);
    case kDateRangeWithin30Days:
        return LocalMidnight(now, 30);
    case kDateRangeSpecific:
        return criteria.rangeStart < criteria.rangeEnd ? criteria.rangeStart : INT64_MIN;
    default:
        return INT64_MIN;
    }
}

bool PassesDateFilter(const SearchCriteria& criteria, std::optional<std::int64_t> callTime, std::int64_t now)
{
    if (!callTime)
        return true;
    if (*callTime < EarliestCallTime(criteria, now))
        return false;
    return criteria.dateRange != kDateRangeSpecific || criteria.rangeStart >= criteria.rangeEnd
        || *callTime <= criteria.rangeEnd;
}

bool PassesLengthFilter(const SearchCriteria& criteria, CRvFileListEntry& entry, const std::string& passphrase)
{
    if (!criteria.lengthLimit)
        return true;
    entry.LoadDetails(passphrase);
    return entry.GetDurationSeconds() / 60 > criteria.minimumMinutes;
}

bool PassesCallerIdFilter(const SearchCriteria& criteria, CRvFileListEntry& entry, const std::string& passphrase)
{
    if (IsEverything(criteria.callerIdPattern))
        return true;
    entry.LoadDetails(passphrase);
    return MatchesFoldedPattern(FoldedPattern(criteria.callerIdPattern), entry.GetCallerIdText());
}

std::optional<std::int64_t> CallStartTime(const std::string& path, const std::string& passphrase)
{
    CRvFileListEntry entry;
    entry.SetPath(path);
    entry.LoadDetails(passphrase);
    if (!entry.ReadFailed())
        return entry.GetStartTime();
    struct stat status { };
    if (stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return status.st_mtime;
}

} // namespace qor

#include "lists/SearchFilters.h"

#include "foundation/CaseFolding.h"

#include <fcntl.h>
#include <filesystem>
#include <strings.h>
#include <sys/stat.h>

namespace qor {
namespace {

constexpr std::int64_t kDay = 86'400;

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

bool PassesDateFilter(const SearchCriteria& criteria, std::optional<std::int64_t> callTime, std::int64_t now)
{
    if (!callTime)
        return true;
    const std::int64_t today = now - now % kDay;
    switch (criteria.dateRange) {
    case kDateRangeYesterdayAndToday:
        return *callTime >= today - kDay;
    case kDateRangeWithin7Days:
        return *callTime >= today - 7 * kDay;
    case kDateRangeWithin30Days:
        return *callTime >= today - 30 * kDay;
    case kDateRangeSpecific: {
        if (criteria.rangeStart >= criteria.rangeEnd)
            return true;
        const std::int64_t end = criteria.rangeEnd;
        const std::int64_t upper = end - end % kDay + kDay;
        return *callTime >= criteria.rangeStart && *callTime < upper;
    }
    default:
        return true;
    }
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

std::optional<std::int64_t> FileCreationTime(const std::string& path)
{
    struct statx status { };
    if (statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME | STATX_MTIME, &status) != 0)
        return std::nullopt;
    if (status.stx_mask & STATX_BTIME)
        return status.stx_btime.tv_sec;
    return status.stx_mtime.tv_sec;
}

} // namespace qor

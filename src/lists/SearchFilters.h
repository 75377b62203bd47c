// The tests a file must pass to join a recording list, each a pure function so the search worker
// and the tests share them.
#pragma once

#include "lists/FileListEntry.h"
#include "lists/SearchCriteria.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qor {

// Any path whose last three characters are "qor" in any case (the dot is not tested).
bool IsRecordingPath(const std::string& path);

// A pattern matches anywhere in the file name without folder and extension, without regard to case
// in any script.
bool PassesNameFilter(const std::string& pattern, const std::string& path);

// Whether the date filter can reject anything, so that a search need not read file times.
bool DateFilterApplies(const SearchCriteria& criteria);

// The earliest start a call may have to pass the date filter (seconds since 1970): ranges of days
// count from local midnights, as the user's calendar does.
std::int64_t EarliestCallTime(const SearchCriteria& criteria, std::int64_t now);

// callTime: when the call began (the start time in its header, or the file's modification time
// when the header cannot be read); a call whose time is unknown passes. now: the current time,
// seconds since 1970. A specific range ends with the last second of its last day (rangeEnd).
bool PassesDateFilter(const SearchCriteria& criteria, std::optional<std::int64_t> callTime, std::int64_t now);

// Loads the entry's details when the filter needs them.
bool PassesLengthFilter(const SearchCriteria& criteria, CRvFileListEntry& entry, const std::string& passphrase);
bool PassesCallerIdFilter(const SearchCriteria& criteria, CRvFileListEntry& entry, const std::string& passphrase);

// When the call in a file began: the start time in its header, else (a header that cannot be read)
// the file's modification time; nothing when neither can be read. A copy, restore or unzip keeps
// the header's time, where the file's own times would be those of the copy.
std::optional<std::int64_t> CallStartTime(const std::string& path, const std::string& passphrase);

} // namespace qor

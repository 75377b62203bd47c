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

// callTime: when the call was made (the file's creation time during a search); a file whose
// time cannot be read passes. now: the current time, seconds since 1970.
bool PassesDateFilter(const SearchCriteria& criteria, std::optional<std::int64_t> callTime, std::int64_t now);

// Loads the entry's details when the filter needs them.
bool PassesLengthFilter(const SearchCriteria& criteria, CRvFileListEntry& entry, const std::string& passphrase);
bool PassesCallerIdFilter(const SearchCriteria& criteria, CRvFileListEntry& entry, const std::string& passphrase);

// When a file was created: its birth time, or its modification time on file systems without one.
std::optional<std::int64_t> FileCreationTime(const std::string& path);

} // namespace qor

// The words the archive and schedule commands take for a job's choices, and the values they stand
// for: one table each, so both commands accept, show and check the same names.
#pragma once

#include "archive/ArchiveTypes.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qor::cli {

using ChoiceNames = std::vector<std::pair<std::string, std::int32_t>>;

inline const ChoiceNames kMethodNames = { { "zip", kArchiveZip }, { "iso", kArchiveIso }, { "disk", kArchiveDisk } };
inline const ChoiceNames kStructureNames = { { "none", kStructureNone }, { "user", kStructureByUser },
    { "month", kStructureByMonth }, { "path", kStructureByPath } };
inline const ChoiceNames kSelectionNames = { { "all", kSelectAll }, { "unarchived", kSelectUnarchived },
    { "30d", kSelectLast30Days }, { "90d", kSelectLast90Days }, { "180d", kSelectLast180Days } };
inline const ChoiceNames kAfterwardsNames
    = { { "none", kKeepOriginals }, { "delete", kDeleteOriginals }, { "strip-audio", kRemoveAudio } };

// The word for a value, "unknown" for none of them.
std::string NameOf(const ChoiceNames& names, std::int32_t value);
// The value of a word, -1 for none of them (the option's check refuses such words first).
std::int32_t ValueOf(const ChoiceNames& names, const std::string& name);
// The words, for the option's check.
std::vector<std::string> Names(const ChoiceNames& names);

} // namespace qor::cli

// The scheduled archive job's settings and their file, "schedule.xml": written line by line as the
// file has always been laid out (CR CR LF line ends), read tolerantly.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace qor {

struct CScheduleSettings {
    std::vector<std::string> spaceFolders; // archived with their sub-folders
    bool enabled = false;
    std::int32_t selectionType = 0;
    std::int32_t scheduleType = 1; // kept for the settings page; the schedule rule does not use it
    std::int32_t archiveType = 0;
    std::int32_t mediaProcessing = 0;
    std::string archivePath; // the folder that receives the archives
    std::string archiveName = "Stowmere Job";
    std::int32_t structureType = 0;
    std::int32_t thresholdSize = 700; // MB
    bool cancelJob = false;
    std::string userName;
    std::string comment;
    std::int64_t lastJobTime = 0;
    std::int64_t scheduledTime = 0; // 0: none set
    std::int32_t daysInterval = 1;
};

std::string ScheduleFileText(const CScheduleSettings& settings);

// What to save when the file changed since it was read (base): each field this program changed
// (ours differs from base) keeps our value, every other field takes the file's (theirs), so a
// run's times and another program's settings both survive.
CScheduleSettings MergeScheduleSettings(
    const CScheduleSettings& base, const CScheduleSettings& ours, const CScheduleSettings& theirs);

// Reads the file into settings: an element that is there replaces the field, a missing one leaves
// it; folders are added unless listed already. False, with settings untouched, when the file
// cannot be read or parsed, or is not trusted (why then says so: in a folder others can write, it
// must be ours or root's, and only its owner may write it, for it decides what is archived and
// deleted).
bool ReadScheduleFile(const std::string& path, CScheduleSettings& settings, std::string* why = nullptr,
    std::optional<uid_t> owner = std::nullopt);

} // namespace qor

#include "archive/ScheduleValidation.h"

#include "archive/ArchiveTypes.h"

#include <algorithm>
#include <ctime>
#include <filesystem>

namespace qor {
namespace {

namespace fs = std::filesystem;

bool SameFolder(const std::string& first, const std::string& second)
{
    std::error_code error;
    return fs::equivalent(first, second, error);
}

bool Inside(const std::string& folder, const std::string& outer)
{
    std::error_code error;
    const fs::path inner = fs::weakly_canonical(folder, error);
    const fs::path around = fs::weakly_canonical(outer, error);
    const auto [end, rest] = std::mismatch(around.begin(), around.end(), inner.begin(), inner.end());
    return end == around.end();
}

} // namespace

std::string ScheduleSettingsProblem(const CScheduleSettings& settings)
{
    if (settings.spaceFolders.empty())
        return "no folder to archive is set";
    for (const std::string& folder : settings.spaceFolders) {
        std::error_code error;
        if (!fs::path(folder).is_absolute())
            return folder + ": the folders to archive are given as full paths";
        if (!fs::is_directory(folder, error))
            return folder + ": no such folder";
    }
    if (settings.archiveType != kArchiveZip && settings.archiveType != kArchiveIso
        && settings.archiveType != kArchiveDisk)
        return "no archive method is set (zip, iso or disk)";
    if (settings.archivePath.empty() || !fs::path(settings.archivePath).is_absolute())
        return "the folder that receives the archives is given as a full path";
    if (std::error_code error; !fs::is_directory(settings.archivePath, error))
        return settings.archivePath + ": no such folder for the archives";
    if (settings.archiveName.empty() || settings.archiveName.find('/') != std::string::npos
        || settings.archiveName == "." || settings.archiveName == "..")
        return "the job's name is used in file names: give one without \"/\"";
    // The archives must not land among the calls they archive: the next run would take them in.
    for (const std::string& folder : settings.spaceFolders)
        if (SameFolder(folder, settings.archivePath) || Inside(settings.archivePath, folder))
            return settings.archivePath + ": the archives would be written into a folder being archived";
    // A folder job's copies go into a folder named after the job, which must not be one it archives.
    if (settings.archiveType == kArchiveDisk) {
        const std::string target = (fs::path(settings.archivePath) / settings.archiveName).string();
        for (const std::string& folder : settings.spaceFolders)
            if (SameFolder(folder, target) || Inside(target, folder))
                return target + ": the copies would be written into a folder being archived";
    }
    if (settings.daysInterval < 1 || settings.daysInterval > kMaximumDaysInterval)
        return "the job runs every 1 to " + std::to_string(kMaximumDaysInterval) + " days";
    if (settings.structureType < kStructureNone || settings.structureType > kStructureByPath)
        return "unknown folder structure";
    if (settings.mediaProcessing < kKeepOriginals || settings.mediaProcessing > kRemoveAudio)
        return "unknown action after archiving";
    if (settings.selectionType < kSelectAll || settings.selectionType > kSelectLast180Days)
        return "unknown selection of calls";
    if (settings.thresholdSize < 0)
        return "the size limit cannot be negative";
    return {};
}

std::int64_t NextLocalTimeOfDay(std::int64_t now, int hour, int minute)
{
    const auto seconds = static_cast<std::time_t>(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    for (int days = 0; days < 3; ++days) {
        std::tm candidate = local;
        candidate.tm_mday += days;
        candidate.tm_hour = hour;
        candidate.tm_min = minute;
        candidate.tm_sec = 0;
        candidate.tm_isdst = -1;
        const std::time_t when = std::mktime(&candidate);
        if (when > seconds)
            return static_cast<std::int64_t>(when);
    }
    return now;
}

} // namespace qor

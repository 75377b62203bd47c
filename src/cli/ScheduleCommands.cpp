// log and schedule: the archive jobs of "archive.log" with their reports, and the scheduled job of
// "schedule.xml" shown or run without the desktop program.
#include "archive/ArchiveLogs.h"
#include "archive/ArchiveManager.h"
#include "archive/ArchiveTypes.h"
#include "archive/JobArchScheduler.h"
#include "archive/ScheduleValidation.h"
#include "archive/ScheduledRunLock.h"
#include "archive/iso/IsoTreeListing.h"
#include "cli/ArchiveChoices.h"
#include "cli/ArchiveRun.h"
#include "cli/CallRecords.h"
#include "cli/CliContext.h"
#include "cli/Commands.h"
#include "cli/IndexCommand.h"
#include "cli/JsonText.h"
#include "foundation/CallTime.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "foundation/TerminalText.h"
#include "foundation/UserName.h"
#include "foundation/Utf8Text.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>

namespace qor::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRunningElsewhere
    = "The scheduled job is running in another program (the desktop program or a timer).";

Json JobJson(const CJobArchListEntry& job, CJobScope scope)
{
    Json calls = Json::array();
    for (const CRvFileListEntry& call : job.Calls())
        calls.push_back(PathValue(call.GetPath()));
    Json report = Json::array();
    for (const std::string& line : CArchiveLogger::BuildReport(job))
        report.push_back(DisplayText(line));
    Json entry = { { "time", job.GetJobTime() }, { "dateTime", IsoLocalTime(job.GetJobTime()) } };
    PutPath(entry, "target", job.target);
    entry["method"] = ArchiveMethodShortName(job.archiveType);
    entry["user"] = DisplayText(job.GetUserName());
    entry["comment"] = DisplayText(job.GetComment());
    entry["callCount"] = job.callCount;
    entry["calls"] = calls;
    entry["report"] = report;
    entry["office"] = scope == CJobScope::Office;
    return entry;
}

// The user's own jobs, then the office job's, which she only reads.
void RunLog(const std::string& format, CCliContext& context)
{
    CArchiveLogs logs;
    for (CArchiveLogger* log : { &logs.Own(), &logs.Office() })
        if (fs::exists(log->Path()) && !log->Load(true))
            context.Fail(log->Path(), log->Refusal().empty() ? "cannot be read" : "is not read: " + log->Refusal());
    if (format == "json") {
        Json jobs = Json::array();
        for (CArchiveLogger* log : { &logs.Own(), &logs.Office() })
            for (const CJobArchListEntry* job : log->Entries())
                jobs.push_back(JobJson(*job, log->Scope()));
        std::puts(DumpJson(jobs).c_str());
        return;
    }
    bool first = true;
    for (CArchiveLogger* log : { &logs.Own(), &logs.Office() })
        for (const CJobArchListEntry* job : log->Entries()) {
            if (!first)
                std::puts("");
            first = false;
            if (log->Scope() == CJobScope::Office)
                std::puts("(The office job, run by the administrator's account)");
            for (const std::string& line : CArchiveLogger::BuildReport(*job))
                std::puts(TerminalText(line).c_str());
        }
    if (first)
        std::puts("No archive jobs have run yet.");
}

std::string Lowercase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The scheduled job of the scope, with the process-wide manager and its own log.
std::unique_ptr<CJobArchScheduler> Scheduler(CJobScope scope, CCliContext& context)
{
    if (scope == CJobScope::Own)
        return std::make_unique<CJobArchScheduler>();
    if (const std::string mistake = CSettings::GetOfficeAccountMistake(); !mistake.empty())
        context.Note(mistake);
    // The office job is logged in the office's log, and looked up there alone.
    auto log = std::make_shared<CArchiveLogger>(CJobScope::Office);
    return std::make_unique<CJobArchScheduler>(std::make_shared<CArchiveManager>(log), log, scope);
}

// Only the office account changes or runs the office job.
bool MayChange(const CJobArchScheduler& scheduler, CCliContext& context)
{
    if (WritesJobFiles(scheduler.Scope())) {
        const std::string problem = scheduler.Scope() == CJobScope::Office ? OfficeFolderProblem() : std::string();
        if (problem.empty())
            return true;
        context.Fail(problem);
        return false;
    }
    context.Fail(scheduler.Path(),
        "the office job is set by the administrator; only its account (" + AccountName(CSettings::GetOfficeAccount())
            + ") changes or runs it");
    return false;
}

bool LoadSchedule(CJobArchScheduler& scheduler, CCliContext& context)
{
    const std::string path = scheduler.Path();
    if (std::error_code error; !fs::exists(path, error)) {
        context.Fail(path,
            scheduler.Scope() == CJobScope::Office
                ? std::string("no office job has been set up by the administrator")
                : std::string("no scheduled job has been set up (make one with \"qortolvane-cli schedule set\" or "
                              "the desktop program's archive settings)"));
        return false;
    }
    if (std::string why; !scheduler.LoadSchedule(&why)) {
        context.Fail(path, why);
        return false;
    }
    return true;
}

Json ScheduleJson(CJobArchScheduler& scheduler, std::int64_t now)
{
    const CScheduleSettings settings = scheduler.GetSettings();
    Json folders = Json::array();
    for (const std::string& folder : settings.spaceFolders)
        folders.push_back(PathValue(folder));
    Json job
        = { { "name", DisplayText(settings.archiveName) }, { "enabled", settings.enabled }, { "folders", folders } };
    job["method"] = Lowercase(ArchiveMethodShortName(settings.archiveType));
    PutPath(job, "to", settings.archivePath);
    job["structure"] = NameOf(kStructureNames, settings.structureType);
    job["select"] = NameOf(kSelectionNames, settings.selectionType);
    job["after"] = NameOf(kAfterwardsNames, settings.mediaProcessing);
    job["thresholdMB"] = settings.thresholdSize;
    job["stopAtThreshold"] = settings.cancelJob;
    job["everyDays"] = settings.daysInterval;
    job["lastRun"] = settings.lastJobTime ? Json(IsoLocalTime(settings.lastJobTime)) : Json(nullptr);
    const std::int64_t next = scheduler.NextRunTime(now);
    job["nextRun"] = IsoLocalTime(next);
    job["due"] = settings.enabled && next <= now;
    return job;
}

void ShowSchedule(const std::string& format, CJobScope scope, CCliContext& context)
{
    const auto held = Scheduler(scope, context);
    CJobArchScheduler& scheduler = *held;
    if (!LoadSchedule(scheduler, context))
        return;
    const auto now = static_cast<std::int64_t>(std::time(nullptr));
    if (format == "json") {
        std::puts(DumpJson(ScheduleJson(scheduler, now)).c_str());
        return;
    }
    const CScheduleSettings settings = scheduler.GetSettings();
    std::printf("%s  %s (%s)\n",
        scope == CJobScope::Office ? "Office job:    " : "Scheduled job:", TerminalText(settings.archiveName).c_str(),
        settings.enabled ? "on" : "off");
    for (const std::string& folder : settings.spaceFolders)
        std::printf("Folder:         %s\n", TerminalText(folder).c_str());
    std::printf("Method:         %s into %s\n", ArchiveMethodShortName(settings.archiveType),
        TerminalText(settings.archivePath).c_str());
    std::printf("Calls:          %s\n", NameOf(kSelectionNames, settings.selectionType).c_str());
    std::printf("Structure:      %s\n", StructureName(settings.structureType));
    std::printf("Originals:      %s\n", MediaProcessingName(settings.mediaProcessing));
    std::printf(
        "Threshold:      %d MB%s\n", settings.thresholdSize, settings.cancelJob ? " (the job stops there)" : "");
    std::printf("Every:          %d day(s)\n", settings.daysInterval);
    std::printf("Last run:       %s\n", settings.lastJobTime ? LocalTimeText(settings.lastJobTime).c_str() : "never");
    const std::int64_t next = scheduler.NextRunTime(now);
    std::printf("Next run:       %s\n", next <= now ? "now (due)" : LocalTimeText(next).c_str());
}

struct ScheduleChanges {
    bool office = false;
    bool on = false, off = false;
    std::optional<int> everyDays;
    std::string at, method, to, structure, select, after, name, comment;
    std::vector<std::string> folders;
    std::optional<int> thresholdMB;
    std::optional<bool> stopAtThreshold;
};

int TimeOfDay(const std::string& text, int& hour, int& minute)
{
    char rest = 0;
    return std::sscanf(text.c_str(), "%2d:%2d%c", &hour, &minute, &rest) == 2 && hour >= 0 && hour < 24 && minute >= 0
        && minute < 60;
}

void SetSchedule(const ScheduleChanges& changes, CCliContext& context)
{
    if (changes.on && changes.off)
        throw UsageError("schedule set: give --on or --off, not both");
    int hour = 0, minute = 0;
    if (!changes.at.empty() && !TimeOfDay(changes.at, hour, minute))
        throw UsageError("schedule set: --at \"" + changes.at + "\" is not a time of day like 02:30");
    const auto held = Scheduler(changes.office ? CJobScope::Office : CJobScope::Own, context);
    CJobArchScheduler& scheduler = *held;
    if (!MayChange(scheduler, context))
        return;
    if (std::error_code error; fs::exists(scheduler.Path(), error) && !LoadSchedule(scheduler, context))
        return;
    CScheduleSettings settings = scheduler.GetSettings();
    const auto now = static_cast<std::int64_t>(std::time(nullptr));
    if (changes.on || changes.off)
        settings.enabled = changes.on;
    if (changes.everyDays)
        settings.daysInterval = *changes.everyDays;
    if (!changes.at.empty())
        settings.scheduledTime = NextLocalTimeOfDay(now, hour, minute);
    if (!changes.method.empty())
        settings.archiveType = ValueOf(kMethodNames, changes.method);
    if (!changes.to.empty())
        settings.archivePath = fs::absolute(changes.to).lexically_normal().string();
    if (!changes.folders.empty()) {
        settings.spaceFolders.clear();
        for (const std::string& folder : changes.folders)
            settings.spaceFolders.push_back(fs::absolute(folder).lexically_normal().string());
    }
    if (!changes.structure.empty())
        settings.structureType = ValueOf(kStructureNames, changes.structure);
    if (!changes.select.empty())
        settings.selectionType = ValueOf(kSelectionNames, changes.select);
    if (!changes.after.empty())
        settings.mediaProcessing = ValueOf(kAfterwardsNames, changes.after);
    if (!changes.name.empty())
        settings.archiveName = changes.name;
    if (!changes.comment.empty())
        settings.comment = changes.comment;
    if (changes.thresholdMB)
        settings.thresholdSize = *changes.thresholdMB;
    if (changes.stopAtThreshold)
        settings.cancelJob = *changes.stopAtThreshold;
    if (settings.userName.empty())
        settings.userName = UserName();
    if (const std::string problem = ScheduleSettingsProblem(settings); !problem.empty())
        return context.Fail(scheduler.Path(), "not saved: " + problem);
    scheduler.SetSettings(settings);
    if (!scheduler.SaveSchedule())
        return context.Fail(scheduler.Path(), "cannot be written");
    ShowSchedule("table", scheduler.Scope(), context);
}

void RunSchedule(bool ifDue, CJobScope scope, CCliContext& context)
{
    const auto held = Scheduler(scope, context);
    CJobArchScheduler& scheduler = *held;
    if (!MayChange(scheduler, context))
        return;
    // Taken before the job is read: a run elsewhere has saved the job's next time by the time
    // the lock is free, so the job is never run twice for one time.
    const auto now = static_cast<std::int64_t>(std::time(nullptr));
    CScheduledRunLock runLock(scope);
    switch (runLock.TryTake(now)) {
    case CScheduledRunLock::Take::Taken:
        break;
    case CScheduledRunLock::Take::Busy:
        if (ifDue)
            std::puts(kRunningElsewhere); // the run elsewhere does this tick's work: no failure
        else
            context.Fail(kRunningElsewhere);
        return;
    case CScheduledRunLock::Take::Blocked:
    case CScheduledRunLock::Take::Unavailable:
        // Never waited out quietly: whoever holds it could keep every run from happening.
        return context.Fail(runLock.Problem() + "; the job was not run");
    }
    if (!LoadSchedule(scheduler, context))
        return;
    if (ifDue && !scheduler.GetSettings().enabled) {
        std::puts("The scheduled job is switched off.");
        return;
    }
    if (ifDue && !scheduler.IsDue(now)) {
        std::printf("The scheduled job is not due until %s.\n", LocalTimeText(scheduler.NextRunTime(now)).c_str());
        return;
    }
    context.Passphrase();
    if (context.verbose)
        SetIsoTreeListing(stdout);
    CArchiveManager& manager = scheduler.Manager();
    CPrintedMessages messages(context);
    manager.SetMessages(&messages);
    std::string why;
    const bool started = scheduler.RunNow(now, &why);
    if (started)
        WaitForRun(manager, nullptr);
    manager.SetMessages(nullptr);
    if (!started)
        return context.Fail(scheduler.Path(), "the scheduled job was not run: " + why);
    const CArchiveManager::Results results = manager.GetResults();
    if (results.failed)
        context.Fail("the scheduled archive job failed; no recording was changed");
    ReportArchiveLogDamage(scheduler.Log().TakeDamageNote(), context);
    ReportArchiveOutcome(scheduler.LastOutcome(), results, context);
    KeepCallIndexCurrent(scheduler.GetSettings().spaceFolders, context);
}

} // namespace

void AddLogAndScheduleCommands(CLI::App& program, CCliContext& context)
{
    auto format = std::make_shared<std::string>("table");
    CLI::App* log = program.add_subcommand(
        "log", "Show your archive jobs and the office job's, from their archive logs, with their reports");
    log->add_option("--format", *format, "table or json")->check(CLI::IsMember({ "table", "json" }));
    log->callback([format, &context] { RunLog(*format, context); });

    CLI::App* schedule = program.add_subcommand("schedule", "Show, set up or run the scheduled archive job");
    schedule->require_subcommand(1);
    auto showFormat = std::make_shared<std::string>("table");
    auto showOffice = std::make_shared<bool>(false);
    CLI::App* show = schedule->add_subcommand("show", "Show the scheduled job and when it runs next");
    show->add_option("--format", *showFormat, "table or json")->check(CLI::IsMember({ "table", "json" }));
    show->add_flag("--office", *showOffice, "The office-wide job the administrator set, instead of your own");
    show->callback([showFormat, showOffice, &context] {
        ShowSchedule(*showFormat, *showOffice ? CJobScope::Office : CJobScope::Own, context);
    });

    auto changes = std::make_shared<ScheduleChanges>();
    CLI::App* set = schedule->add_subcommand("set",
        "Set up or change the scheduled job (what is not given stays as it was); it is checked before it is saved");
    set->add_flag("--office", changes->office, "The office-wide job (only its account, the administrator's, sets it)");
    set->add_flag("--on", changes->on, "Switch the job on");
    set->add_flag("--off", changes->off, "Switch the job off");
    set->add_option("--folder", changes->folders, "A folder to archive, with its sub-folders (repeat for more)");
    set->add_option("--method", changes->method, "zip, iso or disk")->check(CLI::IsMember(Names(kMethodNames)));
    set->add_option("--to", changes->to, "The folder that receives the archives");
    set->add_option("--every", changes->everyDays, "Run every this many days")
        ->check(CLI::Range(1, kMaximumDaysInterval));
    set->add_option("--at", changes->at, "The local time of day to run at, HH:MM");
    set->add_option("--structure", changes->structure, "Folders inside the archive: none, user, month or path")
        ->check(CLI::IsMember(Names(kStructureNames)));
    set->add_option("--select", changes->select, "Which calls: all, unarchived, 30d, 90d or 180d")
        ->check(CLI::IsMember(Names(kSelectionNames)));
    set->add_option("--after", changes->after, "Then, for the calls read back intact: none, delete or strip-audio")
        ->check(CLI::IsMember(Names(kAfterwardsNames)));
    set->add_option("--name", changes->name, "The job's name, which starts its archives' names");
    set->add_option("--threshold", changes->thresholdMB, "Stop adding calls at this many MB (0: no limit)")
        ->check(CLI::Range(0, 1'000'000));
    set->add_option("--stop-at-threshold", changes->stopAtThreshold,
        "true: a run that reaches the size limit archives nothing; false: it archives what fitted");
    set->add_option("--comment", changes->comment, "The comment logged with each run");
    set->callback([changes, &context] { SetSchedule(*changes, context); });
    auto ifDue = std::make_shared<bool>(false);
    auto runOffice = std::make_shared<bool>(false);
    CLI::App* run = schedule->add_subcommand("run", "Run the scheduled job now");
    run->add_flag("--if-due", *ifDue, "Only when it is switched on and due (for timers)");
    run->add_flag("--office", *runOffice, "The office-wide job (only its account runs it, from the system timer)");
    run->callback([ifDue, runOffice, &context] {
        RunSchedule(*ifDue, *runOffice ? CJobScope::Office : CJobScope::Own, context);
    });
}

} // namespace qor::cli

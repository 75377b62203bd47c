// log and schedule: the archive jobs of "archive.log" with their reports, and the scheduled job of
// "schedule.xml" shown or run without the desktop program.
#include "archive/ArchiveLogger.h"
#include "archive/ArchiveManager.h"
#include "archive/ArchiveTypes.h"
#include "archive/JobArchScheduler.h"
#include "cli/ArchiveRun.h"
#include "cli/CallRecords.h"
#include "cli/CliContext.h"
#include "cli/Commands.h"
#include "foundation/Singleton.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>

namespace qor::cli {
namespace {

namespace fs = std::filesystem;

Json JobJson(const CJobArchListEntry& job)
{
    Json calls = Json::array();
    for (const CRvFileListEntry& call : job.Calls())
        calls.push_back(call.GetPath());
    return { { "time", job.GetJobTime() }, { "dateTime", job.GetDateTimeText() }, { "target", job.target },
        { "method", ArchiveMethodShortName(job.archiveType) }, { "comment", job.GetComment() },
        { "callCount", job.callCount }, { "calls", calls }, { "report", CArchiveLogger::BuildReport(job) } };
}

void RunLog(const std::string& format, CCliContext& context)
{
    auto log = Singleton<CArchiveLogger>::Instance();
    if (fs::exists(CArchiveLogger::FilePath()) && !log->Load(true))
        return context.Fail(CArchiveLogger::FilePath(), "cannot be read or is malformed");
    if (format == "json") {
        Json jobs = Json::array();
        for (const CJobArchListEntry* job : log->Entries())
            jobs.push_back(JobJson(*job));
        std::puts(jobs.dump(2).c_str());
        return;
    }
    bool first = true;
    for (const CJobArchListEntry* job : log->Entries()) {
        if (!first)
            std::puts("");
        first = false;
        for (const std::string& line : CArchiveLogger::BuildReport(*job))
            std::puts(line.c_str());
    }
    if (first)
        std::puts("No archive jobs have run yet.");
}

bool LoadSchedule(CJobArchScheduler& scheduler, CCliContext& context)
{
    const std::string path = CJobArchScheduler::FilePath();
    if (std::error_code error; !fs::exists(path, error)) {
        context.Fail(path, "no scheduled job has been set up (the desktop program's archive settings make one)");
        return false;
    }
    if (std::string why; !scheduler.LoadSchedule(&why)) {
        context.Fail(path, why);
        return false;
    }
    return true;
}

void ShowSchedule(CCliContext& context)
{
    CJobArchScheduler scheduler;
    if (!LoadSchedule(scheduler, context))
        return;
    const auto now = static_cast<std::int64_t>(std::time(nullptr));
    const CScheduleSettings settings = scheduler.GetSettings();
    std::printf("Scheduled job:  %s (%s)\n", settings.archiveName.c_str(), settings.enabled ? "on" : "off");
    for (const std::string& folder : settings.spaceFolders)
        std::printf("Folder:         %s\n", folder.c_str());
    std::printf(
        "Method:         %s into %s\n", ArchiveMethodShortName(settings.archiveType), settings.archivePath.c_str());
    std::printf("Structure:      %s\n", StructureName(settings.structureType));
    std::printf("Originals:      %s\n", MediaProcessingName(settings.mediaProcessing));
    std::printf(
        "Threshold:      %d MB%s\n", settings.thresholdSize, settings.cancelJob ? " (the job stops there)" : "");
    std::printf("Every:          %d day(s)\n", settings.daysInterval);
    std::printf("Last run:       %s\n", settings.lastJobTime ? LocalTimeText(settings.lastJobTime).c_str() : "never");
    std::printf("Next run:       %s\n", LocalTimeText(scheduler.NextRunTime(now)).c_str());
}

void RunSchedule(bool ifDue, CCliContext& context)
{
    CJobArchScheduler scheduler;
    if (!LoadSchedule(scheduler, context))
        return;
    const auto now = static_cast<std::int64_t>(std::time(nullptr));
    if (ifDue && !scheduler.GetSettings().enabled) {
        std::puts("The scheduled job is switched off.");
        return;
    }
    if (ifDue && !scheduler.IsDue(now)) {
        std::printf("The scheduled job is not due until %s.\n", LocalTimeText(scheduler.NextRunTime(now)).c_str());
        return;
    }
    context.Passphrase();
    auto manager = Singleton<CArchiveManager>::Instance();
    CPrintedMessages messages(context);
    manager->SetMessages(&messages);
    const bool started = scheduler.RunNow(now);
    if (started)
        WaitForRun(*manager, nullptr);
    manager->SetMessages(nullptr);
    const CArchiveManager::Results results = manager->GetResults();
    if (!started || results.failed)
        return context.Fail("the scheduled archive job failed; no recording was changed");
    ReportArchiveLogDamage(Singleton<CArchiveLogger>::Instance()->TakeDamageNote(), context);
    ReportArchiveOutcome(scheduler.LastOutcome(), results, context);
}

} // namespace

void AddLogAndScheduleCommands(CLI::App& program, CCliContext& context)
{
    auto format = std::make_shared<std::string>("table");
    CLI::App* log = program.add_subcommand("log", "Show the archive jobs of the archive log with their reports");
    log->add_option("--format", *format, "table or json")->check(CLI::IsMember({ "table", "json" }));
    log->callback([format, &context] { RunLog(*format, context); });

    CLI::App* schedule = program.add_subcommand("schedule", "Show or run the scheduled archive job");
    schedule->require_subcommand(1);
    schedule->add_subcommand("show", "Show the scheduled job and when it runs next")->callback([&context] {
        ShowSchedule(context);
    });
    auto ifDue = std::make_shared<bool>(false);
    CLI::App* run = schedule->add_subcommand("run", "Run the scheduled job now");
    run->add_flag("--if-due", *ifDue, "Only when it is switched on and due (for timers)");
    run->callback([ifDue, &context] { RunSchedule(*ifDue, context); });
}

} // namespace qor::cli

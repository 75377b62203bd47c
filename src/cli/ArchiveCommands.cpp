// archive, log and schedule: archive jobs run as the desktop program's wizard and timer run them,
// logged in the same "archive.log", and the scheduled job of "schedule.xml" run without a window.
#include "archive/ArchiveLogger.h"
#include "archive/ArchiveManager.h"
#include "archive/ArchiveTypes.h"
#include "archive/JobArchScheduler.h"
#include "cli/CallRecords.h"
#include "cli/CliContext.h"
#include "cli/Commands.h"
#include "cli/ProgressBar.h"
#include "foundation/Singleton.h"
#include "lists/RecordingWalk.h"

#include <CLI/CLI.hpp>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <pwd.h>
#include <thread>
#include <unistd.h>

namespace qor::cli {
namespace {

namespace fs = std::filesystem;

struct ArchiveOptions {
    std::vector<std::string> sources;
    std::string zip, iso, disk;
    bool subFolders = false;
    std::string structure = "none";
    std::string select = "all";
    std::string after = "none";
    int thresholdMB = 0;
    std::string comment;
};

// Messages the engine would show in a box: printed, and errors count as failures.
class CPrintedMessages : public IArchiveMessages {
public:
    explicit CPrintedMessages(CCliContext& context)
        : m_context(context)
    {
    }
    void Show(Kind kind, const std::string& text) override
    {
        if (kind == Kind::Error)
            m_context.Fail(text);
        else
            std::fprintf(stderr, "qortolvane-cli: %s\n", text.c_str());
    }

private:
    CCliContext& m_context;
};

// Hears the run's progress on the manager's worker; the main thread draws it.
class CRunFollower : public IProgressBarSink {
public:
    void OnProgress(double percent) override { m_percent = percent; }
    void OnStart() override { }
    void OnFinish(CJobArchListEntry*) override { }
    double Percent() const { return m_percent; }

private:
    std::atomic<double> m_percent{ 0.0 };
};

void WaitForRun(CArchiveManager& manager, const CRunFollower* follower)
{
    CProgressBar progress("archiving", 100);
    while (manager.IsRunning()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (follower)
            progress.Update(static_cast<std::size_t>(follower->Percent()));
    }
    manager.Wait();
    progress.Finish();
}

std::string UserName()
{
    if (const passwd* account = getpwuid(geteuid()))
        return account->pw_name;
    const char* user = std::getenv("USER");
    return user ? user : "";
}

CJobArchListEntry MakeJob(const ArchiveOptions& options)
{
    const int targets = !options.zip.empty() + !options.iso.empty() + !options.disk.empty();
    if (targets != 1)
        throw UsageError("archive: give exactly one of --zip FILE, --iso FILE and --disk DIR");
    static const std::map<std::string, std::int32_t> structures = { { "none", kStructureNone },
        { "user", kStructureByUser }, { "month", kStructureByMonth }, { "path", kStructureByPath } };
    static const std::map<std::string, std::int32_t> selections
        = { { "all", kSelectAll }, { "unarchived", kSelectUnarchived }, { "30d", kSelectLast30Days },
              { "90d", kSelectLast90Days }, { "180d", kSelectLast180Days } };
    static const std::map<std::string, std::int32_t> afterwards
        = { { "none", kKeepOriginals }, { "delete", kDeleteOriginals }, { "strip-audio", kRemoveAudio } };
    CJobArchListEntry job;
    job.archiveType = !options.zip.empty() ? kArchiveZip : !options.iso.empty() ? kArchiveIso : kArchiveDisk;
    job.target = fs::absolute(!options.zip.empty() ? options.zip
            : !options.iso.empty()                 ? options.iso
                                                   : options.disk)
                     .lexically_normal()
                     .string(); // the log names the archive wherever it is read
    job.structureType = structures.at(options.structure);
    job.selectionType = selections.at(options.select);
    job.mediaProcessing = afterwards.at(options.after);
    job.thresholdMB = options.thresholdMB;
    job.SetUserName(UserName());
    job.SetComment(options.comment);
    const auto now = static_cast<std::int64_t>(std::time(nullptr));
    job.SetJobTime(now);
    for (const std::string& source : options.sources) {
        std::error_code error;
        // The engine takes a folder with its sub-folders; without --subdirs, its own calls go one by one.
        const bool flatFolder = !options.subFolders && fs::is_directory(source, error);
        const auto add = [&job](const std::string& path) {
            CRvFileListEntry entry;
            entry.SetPath(fs::absolute(path).lexically_normal().string());
            job.AddCall(entry);
            return true;
        };
        if (flatFolder)
            WalkRecordings(source, false, add);
        else
            add(source);
    }
    job.callCount = static_cast<std::int32_t>(job.Calls().size());
    return job;
}

void RunArchive(const ArchiveOptions& options, CCliContext& context)
{
    CJobArchListEntry job = MakeJob(options);
    std::size_t recordings = 0;
    for (const std::string& source : options.sources) {
        if (std::error_code error; !fs::exists(source, error))
            context.Fail(source, "no such file or folder");
        WalkRecordings(source, options.subFolders, [&recordings](const std::string&) { return ++recordings < 1; });
    }
    if (context.Status() != kExitSuccess)
        return;
    if (recordings == 0)
        return context.Fail("No recordings found which match your specified criteria.");
    context.Passphrase();
    auto log = Singleton<CArchiveLogger>::Instance();
    log->Load(true);
    CPrintedMessages messages(context);
    CArchiveManager manager(log, &messages);
    CRunFollower follower;
    manager.AddJob(job, &follower);
    if (!manager.Start(false))
        return context.Fail("the archive run could not be started");
    WaitForRun(manager, &follower);

    const CArchiveManager::Results results = manager.GetResults();
    CJobArchListEntry* done = manager.GetFirstJob();
    if (results.failed || !done) {
        context.Fail(job.target, "the archive job failed; no recording was changed");
        return;
    }
    if (results.archivedCount == 0) {
        // Not a failure: a timer archiving the calls not yet archived often finds none.
        std::puts("No calls were archived: none was selected, or none fitted under the threshold.");
        return;
    }
    done->ClearCalls();
    for (const CArchiveFileListEntry& call : manager.GetArchivedCalls(false))
        done->AddCall(call);
    log->AddEntry(*done);
    const int changed = manager.ModifyOriginals(done);
    if (!log->Save())
        context.Fail(CArchiveLogger::FilePath(), "cannot write the archive log");
    std::printf("%d calls archived to %s", results.archivedCount, job.target.c_str());
    if (job.mediaProcessing != kKeepOriginals)
        std::printf("; %d originals %s", changed,
            job.mediaProcessing == kDeleteOriginals ? "deleted" : "stripped of their audio");
    std::printf("\n");
}

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

std::string LocalTimeText(std::int64_t seconds)
{
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&time, &local);
    char text[64];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

bool LoadSchedule(CJobArchScheduler& scheduler, CCliContext& context)
{
    const std::string path = CJobArchScheduler::FilePath();
    if (std::error_code error; !fs::exists(path, error)) {
        context.Fail(path, "no scheduled job has been set up (the desktop program's archive settings make one)");
        return false;
    }
    if (!scheduler.LoadSchedule()) {
        context.Fail(path, "cannot be read or is malformed");
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
    std::printf("%d calls archived\n", results.archivedCount);
}

} // namespace

void AddArchiveCommands(CLI::App& program, CCliContext& context)
{
    auto options = std::make_shared<ArchiveOptions>();
    CLI::App* archive
        = program.add_subcommand("archive", "Archive calls into a ZIP file, an ISO image or a folder tree");
    archive->add_option("SOURCE", options->sources, "Folders or recordings to archive")->required();
    archive->add_option("--zip", options->zip, "Add them to this ZIP file (made if missing)");
    archive->add_option("--iso", options->iso, "Write them into this ISO image");
    archive->add_option("--disk", options->disk, "Copy them into this folder");
    archive->add_flag("--subdirs,--sub", options->subFolders, "Take the folders' sub-folders too");
    archive->add_option("--structure", options->structure, "Folders inside the archive: none, user, month or path")
        ->check(CLI::IsMember({ "none", "user", "month", "path" }));
    archive->add_option("--select", options->select, "Which calls: all, unarchived, 30d, 90d or 180d")
        ->check(CLI::IsMember({ "all", "unarchived", "30d", "90d", "180d" }));
    archive->add_option("--after", options->after, "Then, for the calls read back intact: none, delete or strip-audio")
        ->check(CLI::IsMember({ "none", "delete", "strip-audio" }));
    archive->add_option("--threshold", options->thresholdMB, "Stop adding calls at this many MB (0: no limit)")
        ->check(CLI::Range(0, 1'000'000));
    archive->add_option("--comment", options->comment, "The job's comment in the archive log");
    archive->callback([options, &context] { RunArchive(*options, context); });

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

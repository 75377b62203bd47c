// archive: an archive job run as the desktop program's wizard runs it, logged in the same
// "archive.log"; only calls read back intact from the finished archive are deleted or stripped.
#include "archive/ArchiveJobFinisher.h"
#include "archive/ArchiveLogger.h"
#include "archive/ArchiveManager.h"
#include "archive/ArchiveTypes.h"
#include "archive/iso/IsoTreeListing.h"
#include "archive/zip/ZipRepair.h"
#include "cli/ArchiveChoices.h"
#include "cli/ArchiveRun.h"
#include "cli/CliContext.h"
#include "cli/Commands.h"
#include "foundation/Singleton.h"
#include "foundation/UserName.h"
#include "lists/RecordingWalk.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
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

void RequireOneTarget(const ArchiveOptions& options)
{
    const int targets = !options.zip.empty() + !options.iso.empty() + !options.disk.empty();
    if (targets != 1)
        throw UsageError("archive: give exactly one of --zip FILE, --iso FILE and --disk DIR");
}

CJobArchListEntry MakeJob(const ArchiveOptions& options)
{
    CJobArchListEntry job;
    job.archiveType = !options.zip.empty() ? kArchiveZip : !options.iso.empty() ? kArchiveIso : kArchiveDisk;
    job.target = fs::absolute(!options.zip.empty() ? options.zip
            : !options.iso.empty()                 ? options.iso
                                                   : options.disk)
                     .lexically_normal()
                     .string(); // the log names the archive wherever it is read
    job.structureType = ValueOf(kStructureNames, options.structure);
    job.selectionType = ValueOf(kSelectionNames, options.select);
    job.mediaProcessing = ValueOf(kAfterwardsNames, options.after);
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
            CRvFileListEntry entry; // the manager makes the path absolute, as the log wants it
            entry.SetPath(path);
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

// The same folder, whatever path or link names it.
bool SameFolder(const std::string& first, const std::string& second)
{
    struct stat a {
    }, b{};
    return stat(first.c_str(), &a) == 0 && stat(second.c_str(), &b) == 0 && S_ISDIR(a.st_mode) && a.st_dev == b.st_dev
        && a.st_ino == b.st_ino;
}

void RunArchive(ArchiveOptions options, CCliContext& context)
{
    RequireOneTarget(options);
    if (context.verbose)
        SetIsoTreeListing(stdout);
    // Copies into the folder they come from would be the originals themselves.
    for (const std::string& source : options.sources)
        if (!options.disk.empty() && SameFolder(source, options.disk))
            return context.Fail(
                options.disk, "is one of the folders to archive; the archive needs a folder of its own");
    // A source that is not there (a share not mounted) is one failed item; the others are archived.
    DropMissingSources(options.sources, context);
    if (options.sources.empty())
        return;
    CJobArchListEntry job = MakeJob(options);
    std::size_t recordings = 0;
    for (const std::string& source : options.sources)
        WalkRecordings(source, options.subFolders, [&recordings](const std::string&) { return ++recordings > 0; });
    if (recordings == 0)
        return context.NothingFound("No recordings found which match your specified criteria.");
    context.Passphrase();
    auto log = Singleton<CArchiveLogger>::Instance();
    log->Load(true);
    CPrintedMessages messages(context);
    CArchiveManager manager(log, &messages);
    CRunFollower follower;
    manager.AddJob(job, &follower);
    if (!manager.Start(false))
        return context.Fail("the archive run could not be started");
    WaitForRun(manager, &follower, recordings);

    const CArchiveManager::Results results = manager.GetResults();
    CJobArchListEntry* done = manager.GetFirstJob();
    if (!done)
        return context.Fail(job.target, "the archive job failed; no recording was changed");
    // What a failed run still archived is logged, and no original of it is changed.
    if (results.failed)
        context.Fail(job.target, "the archive job failed; no recording was changed");
    const CArchiveJobOutcome outcome = FinishArchiveJob(manager, *log, *done);
    ReportArchiveLogDamage(log->TakeDamageNote(), context);
    ReportArchiveOutcome(outcome, results, context);
}

void RepairArchive(const std::string& path, CCliContext& context)
{
    const CZipRepairOutcome outcome = RepairZipArchive(fs::absolute(path).lexically_normal().string());
    if (!outcome.repaired)
        return context.Fail(path, outcome.message);
    std::printf("%s: %s\n", path.c_str(), outcome.message.c_str());
}

} // namespace

void AddArchiveCommand(CLI::App& program, CCliContext& context)
{
    auto options = std::make_shared<ArchiveOptions>();
    CLI::App* archive
        = program.add_subcommand("archive", "Archive calls into a ZIP file, an ISO image or a folder tree");
    auto repair = std::make_shared<std::string>();
    archive->add_option("SOURCE", options->sources, "Folders or recordings to archive");
    archive->add_option("--repair", *repair,
        "Put back a ZIP archive that an interrupted run left half-written, from its journal, and say "
        "whether it is intact");
    archive->add_option("--zip", options->zip, "Add them to this ZIP file (made if missing)");
    archive->add_option("--iso", options->iso, "Write them into this ISO image");
    archive->add_option("--disk", options->disk, "Copy them into this folder");
    archive->add_flag("--subdirs,--sub", options->subFolders, "Take the folders' sub-folders too");
    archive->add_option("--structure", options->structure, "Folders inside the archive: none, user, month or path")
        ->check(CLI::IsMember(Names(kStructureNames)));
    archive->add_option("--select", options->select, "Which calls: all, unarchived, 30d, 90d or 180d")
        ->check(CLI::IsMember(Names(kSelectionNames)));
    archive->add_option("--after", options->after, "Then, for the calls read back intact: none, delete or strip-audio")
        ->check(CLI::IsMember(Names(kAfterwardsNames)));
    archive->add_option("--threshold", options->thresholdMB, "Stop adding calls at this many MB (0: no limit)")
        ->check(CLI::Range(0, 1'000'000));
    archive->add_option("--comment", options->comment, "The job's comment in the archive log");
    archive->callback([options, repair, &context] {
        if (!repair->empty()) {
            if (!options->sources.empty())
                throw UsageError("archive: --repair FILE takes no SOURCE");
            return RepairArchive(*repair, context);
        }
        if (options->sources.empty())
            throw UsageError("archive: give the folders or recordings to archive");
        RunArchive(*options, context);
    });
}

} // namespace qor::cli

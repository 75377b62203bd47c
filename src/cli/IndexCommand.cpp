// index: what the call index holds, and bringing it up to date or making it anew. Lists keep it
// up to date by themselves; these are for a timer, or for a user who wants to know.
#include "cli/IndexCommand.h"

#include "cli/CliContext.h"
#include "cli/Commands.h"
#include "cli/SearchRun.h"
#include "cli/StandardOutput.h"
#include "lists/QorTolvaneDoc.h"
#include "lists/SearchManager.h"
#include "lists/index/UserCallIndex.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace qor::cli {
namespace {

struct IndexOptions {
    std::vector<std::string> folders;
    bool subFolders = false;
};

// Folders no longer there (or no longer folders) have nothing to read.
void DropGoneFolders(std::vector<std::string>& folders)
{
    std::erase_if(folders, [](const std::string& folder) {
        struct stat status { };
        return stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode);
    });
}

// The index, or a failure saying why there is none.
bool Opened(CUserCallIndex& index, CCliContext& context)
{
    std::string notice;
    const bool open = index.Open(notice);
    if (!open)
        context.Fail(notice);
    else if (!notice.empty())
        context.Note(notice);
    return open;
}

void PrintSummary(CUserCallIndex& index)
{
    const CIndexSummary summary = index.Get()->Summary();
    struct stat file { };
    const auto size = stat(index.Path().c_str(), &file) == 0 ? file.st_size : 0;
    struct stat log { };
    const auto logSize = stat((index.Path() + "-wal").c_str(), &log) == 0 ? log.st_size : 0;
    WriteStandardOutput("Index:    " + index.Path() + "\nCalls:    " + std::to_string(summary.calls)
        + (summary.encrypted > 0 ? " (" + std::to_string(summary.encrypted) + " encrypted: kept without their details)"
                                 : std::string())
        + "\nFolders:  " + std::to_string(summary.folders) + "\nSize:     " + std::to_string((size + logSize) / 1024)
        + " KiB\n");
}

// Reads again what changed in the folders (every folder the index holds when none is named),
// through the index as a list does. A folder that is gone takes its calls with it. By the way
// (after an archive job), what goes wrong is only noted: the job's own outcome is what counts.
void Update(CUserCallIndex& index, const IndexOptions& options, CCliContext& context, bool byTheWay = false)
{
    const auto fail = [&](const std::string& what, const std::string& reason) {
        if (byTheWay)
            context.Note(what + ": " + reason);
        else
            context.Fail(what, reason);
    };
    SearchCriteria criteria;
    criteria.dateRange = kDateRangeAll;
    criteria.includeSubFolders = options.subFolders;
    criteria.sources = options.folders;
    if (criteria.sources.empty()) {
        for (const std::string& folder : index.Get()->Folders()) {
            struct stat status { };
            if (stat(folder.c_str(), &status) == 0 || (errno != ENOENT && errno != ENOTDIR)) {
                criteria.sources.push_back(folder);
                continue;
            }
            std::vector<std::string> gone;
            for (const CKeptCall& kept : index.Get()->InFolder(folder))
                gone.push_back(kept.path);
            if (!index.Get()->Forget(gone))
                fail(index.Path(), "the calls of " + folder + ", which is gone, cannot be taken out of it");
        }
    } else {
        DropMissingSources(criteria.sources, context);
    }
    if (!criteria.sources.empty()) {
        context.Passphrase();
        CSearchManager search;
        search.SetCallIndex(index.Get());
        search.Prepare(criteria);
        CQorTolvaneDoc list;
        if (search.GetStatus().sourceMissing)
            fail(index.Path(), "a folder vanished while it was searched");
        else
            RunSearch(search, list, context, byTheWay);
        for (const auto& [folder, error] : search.GetUnreadableFolders())
            fail(folder, std::string("cannot be searched: ") + std::strerror(error));
        if (!search.IndexKeptUp() && !byTheWay)
            context.Fail(index.Path(), "the calls read could not be kept in it");
    }
}

} // namespace

void KeepCallIndexCurrent(const std::vector<std::string>& folders, CCliContext& context)
{
    CUserCallIndex index;
    std::string notice;
    if (!index.Open(notice) || folders.empty()) {
        if (!notice.empty())
            context.Note(notice);
        return;
    }
    IndexOptions options;
    options.folders = folders;
    options.subFolders = true;
    DropGoneFolders(options.folders);
    Update(index, options, context, true);
}

void AddIndexCommand(CLI::App& program, CCliContext& context)
{
    CLI::App* index = program.add_subcommand("index", "Show, bring up to date or make anew the call index");
    index->require_subcommand(1);

    index->add_subcommand("status", "Where the call index is and what it holds")->callback([&context] {
        CUserCallIndex opened;
        if (Opened(opened, context))
            PrintSummary(opened);
    });

    auto options = std::make_shared<IndexOptions>();
    CLI::App* update = index->add_subcommand(
        "update", "Read what changed in the folders (by default every folder the index holds) into the index");
    update->add_option("FOLDER", options->folders, "Folders to add or bring up to date");
    update->add_flag("--subdirs,--sub", options->subFolders, "The named folders' sub-folders too");
    update->callback([options, &context] {
        CUserCallIndex opened;
        if (!Opened(opened, context))
            return;
        Update(opened, *options, context);
        PrintSummary(opened);
    });

    index->add_subcommand("rebuild", "Forget everything and read every call of the folders the index held again")
        ->callback([&context] {
            CUserCallIndex opened;
            if (!Opened(opened, context))
                return;
            IndexOptions every;
            every.folders = opened.Get()->Folders();
            if (!opened.Get()->ForgetAll()) {
                context.Fail(opened.Path(), "it cannot be emptied now: another program holds it");
                return;
            }
            opened.Compact();
            DropGoneFolders(every.folders);
            if (!every.folders.empty())
                Update(opened, every, context);
            PrintSummary(opened);
        });
}

} // namespace qor::cli

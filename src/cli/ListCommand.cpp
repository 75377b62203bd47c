// list: the desktop program's search over folders and recordings, printed as a table (ending with
// the totals line), CSV, JSON or a ".reclist", and optionally saved as a list.
#include "archive/ArchiveLogs.h"
#include "cli/CallRecords.h"
#include "cli/CliContext.h"
#include "cli/Commands.h"
#include "cli/JsonText.h"
#include "cli/RecordingErrors.h"
#include "cli/SearchRun.h"
#include "cli/StandardOutput.h"
#include "foundation/AtomicFile.h"
#include "foundation/Singleton.h"
#include "foundation/TerminalText.h"
#include "lists/EntrySort.h"
#include "lists/ParallelReads.h"
#include "lists/QorTolvaneDoc.h"
#include "lists/SearchManager.h"
#include "lists/index/UserCallIndex.h"
#include "recording/Bookmark.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <strings.h>
#include <thread>
#include <unordered_set>

namespace qor::cli {
namespace {

struct ListOptions {
    std::vector<std::string> sources;
    bool subFolders = false;
    std::string name = "*";
    std::string caller = "*";
    std::string dates = "all";
    int longerThan = -1;
    std::string direction = "both";
    std::string sort = "date";
    std::string format = "table";
    std::string save;
    bool noIndex = false;
    std::string text;
};

// A list with no calls is still a list that reads back (the desktop program saves it as an empty file).
constexpr std::string_view kEmptyList = "<root>\r\n</root>\r\n";

const std::map<std::string, int> kSortColumns
    = { { "encrypted", kColumnEncrypted }, { "important", kColumnImportant }, { "user", kColumnUserId },
          { "caller", kColumnCallerId }, { "archived", kColumnArchived }, { "date", kColumnDateTime },
          { "duration", kColumnDuration }, { "bookmark", kColumnBookmark }, { "comment", kColumnComment } };

// Seconds since 1970 of a local calendar day's first (or last) second; "YYYY-MM-DD".
std::int32_t LocalDay(const std::string& text, bool lastSecond)
{
    std::tm day{};
    if (text.size() != 10 || std::sscanf(text.c_str(), "%4d-%2d-%2d", &day.tm_year, &day.tm_mon, &day.tm_mday) != 3)
        throw UsageError("--dates: \"" + text + "\" is not a date like 2016-01-29");
    day.tm_year -= 1900;
    day.tm_mon -= 1;
    day.tm_isdst = -1;
    if (lastSecond) {
        day.tm_hour = 23;
        day.tm_min = 59;
        day.tm_sec = 59;
    }
    const int month = day.tm_mon, dayOfMonth = day.tm_mday;
    const std::time_t seconds = std::mktime(&day);
    // mktime makes 2016-13-45 a day of 2017; a date that does not come back as given is none.
    if (day.tm_mon != month || day.tm_mday != dayOfMonth)
        throw UsageError("--dates: " + text + " is not a day of the calendar");
    if (seconds < 0 || seconds > INT32_MAX)
        throw UsageError("--dates: " + text + " lies outside 1970 to 2038");
    return static_cast<std::int32_t>(seconds);
}

SearchCriteria CriteriaFrom(const ListOptions& options)
{
    SearchCriteria criteria;
    criteria.sources = options.sources;
    criteria.includeSubFolders = options.subFolders;
    criteria.fileNamePattern = options.name;
    criteria.callerIdPattern = options.caller;
    static const std::map<std::string, int> ranges = { { "all", kDateRangeAll }, { "2d", kDateRangeYesterdayAndToday },
        { "7d", kDateRangeWithin7Days }, { "30d", kDateRangeWithin30Days } };
    if (const auto range = ranges.find(options.dates); range != ranges.end()) {
        criteria.dateRange = range->second;
    } else if (const auto dots = options.dates.find(".."); dots != std::string::npos) {
        criteria.dateRange = kDateRangeSpecific;
        criteria.rangeStart = LocalDay(options.dates.substr(0, dots), false);
        criteria.rangeEnd = LocalDay(options.dates.substr(dots + 2), true);
        if (criteria.rangeStart > criteria.rangeEnd)
            std::swap(criteria.rangeStart, criteria.rangeEnd);
    } else {
        throw UsageError("--dates: use all, 2d, 7d, 30d or FROM..TO like 2016-01-01..2016-01-31");
    }
    if (options.longerThan >= 0) {
        criteria.lengthLimit = true;
        criteria.minimumMinutes = options.longerThan;
    }
    return criteria;
}

void KeepDirection(CQorTolvaneDoc& list, const std::string& direction)
{
    if (direction == "both")
        return;
    for (int index = list.GetCount() - 1; index >= 0; --index)
        if (DirectionText(*list.GetEntry(index)) != direction)
            list.RemoveEntry(index);
}

void PrintTable(const CQorTolvaneDoc& list, IArchiveLookup* archive)
{
    const auto row = [](const std::vector<std::pair<std::string, std::size_t>>& cells) {
        std::string line;
        for (const auto& [text, width] : cells)
            line += TerminalCell(text, width) + ' ';
        line.back() = '\n';
        WriteStandardOutput(line);
    };
    row({ { "ENC", 3 }, { "!", 1 }, { "User ID", 16 }, { "Caller ID", 18 }, { "Archived", 16 }, { "Date + Time", 20 },
        { "Duration", 9 }, { "BM", 2 }, { "Comment", 0 } });
    for (const auto& entry : list.Entries())
        row({ { entry->IsEncrypted() ? "*" : "", 3 }, { entry->GetImportant() ? "!" : "", 1 },
            { entry->GetUserIdText(), 16 }, { entry->GetCallerIdText(), 18 }, { ArchivedText(*entry, archive), 16 },
            { entry->GetDateTimeText(), 20 }, { entry->GetDurationText(), 9 }, { entry->HasBookmark() ? "*" : "", 2 },
            { CommentUserText(entry->GetCommentText()), 0 } });
    std::printf("%d calls, %d important, %s in all\n", list.GetCount(), list.GetImportantCount(),
        FormatHhMmSs(list.GetTotalDuration()).c_str());
}

// A script listing a large tree waits on the formatting of its rows nearly as long as on the
// reading: runs of rows are formatted on every processor and written in list order.
void PrintCsv(const CQorTolvaneDoc& list, IArchiveLookup* archive)
{
    constexpr std::size_t kRowsPerRun = 500;
    const auto& entries = list.Entries();
    // The archive log is asked once for all the rows: asked from every processor, it would make
    // them wait on each other.
    std::vector<std::string> archived(entries.size());
    if (archive) {
        const auto times = archive->ArchivedTimes(entries);
        for (std::size_t row = 0; row < times.size(); ++row)
            if (times[row])
                archived[row] = LocalTimeText(*times[row]);
    }
    std::vector<std::string> runs((entries.size() + kRowsPerRun - 1) / kRowsPerRun);
    const int processors = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1U, 32U));
    ReadInParallel(
        runs.size(), processors, [] { return true; },
        [&](std::size_t run) {
            const std::size_t end = std::min(entries.size(), (run + 1) * kRowsPerRun);
            runs[run].reserve(kRowsPerRun * 256); // a line is about 200 bytes: no growing in steps
            for (std::size_t row = run * kRowsPerRun; row < end; ++row)
                AppendCsvCall(runs[run], *entries[row], archived[row]);
        });
    std::string headings;
    AppendCsvHeadings(headings);
    WriteStandardOutput(headings);
    for (const std::string& run : runs)
        WriteStandardOutput(run);
}

void Print(const CQorTolvaneDoc& list, const std::string& format, IArchiveLookup* archive)
{
    if (format == "table") {
        PrintTable(list, archive);
    } else if (format == "csv") {
        PrintCsv(list, archive);
    } else if (format == "json") {
        Json calls = Json::array();
        for (const auto& entry : list.Entries())
            calls.push_back(CallJson(*entry, archive));
        const Json document = { { "calls", calls },
            { "totals",
                { { "calls", list.GetCount() }, { "important", list.GetImportantCount() },
                    { "seconds", list.GetTotalDuration() } } } };
        WriteStandardOutput(DumpJson(document) + "\n");
    } else {
        const std::string text = list.GetCount() > 0 ? list.ListText() : std::string(kEmptyList);
        WriteStandardOutput(text);
    }
}

// A saved list (".reclist") stands for the recordings it names, so what --save wrote reads back.
std::vector<std::string> ExpandSavedLists(const std::vector<std::string>& sources, CCliContext& context)
{
    std::vector<std::string> expanded;
    for (const std::string& source : sources) {
        std::error_code error;
        const bool savedList = source.size() > 8 && strcasecmp(source.c_str() + source.size() - 8, ".reclist") == 0
            && std::filesystem::is_regular_file(source, error);
        if (!savedList) {
            expanded.push_back(source);
            continue;
        }
        CQorTolvaneDoc list;
        std::vector<std::string> notCalls;
        const bool read = list.Load(source, context.Passphrase(), nullptr, &notCalls);
        for (const std::string& notCall : notCalls)
            context.Fail(notCall, "is not a call, named in " + source + ": left out");
        if (!read) {
            context.Fail(source, "cannot be read as a recording list");
            continue;
        }
        for (const auto& entry : list.Entries())
            expanded.push_back(entry->GetPath());
    }
    return expanded;
}

// The folders of those the index holds that are still there: where a search by words over every
// call it knows walks first, so that what it finds is what the calls hold now.
std::vector<std::string> HeldFolders(ICallIndex& index)
{
    std::vector<std::string> folders = index.Folders();
    std::erase_if(folders, [](const std::string& folder) {
        std::error_code error;
        return !std::filesystem::is_directory(folder, error);
    });
    return folders;
}

// Keeps the calls whose words the index finds now that their folders were brought up to date; a
// call changed too lately to be kept is matched by what it holds now.
void KeepFound(
    CQorTolvaneDoc& list, ICallIndex& index, const std::string& text, const std::vector<std::string>& unsettled)
{
    const std::unordered_set<std::string> lately(unsettled.begin(), unsettled.end());
    std::vector<const CRvFileListEntry*> changed;
    for (const auto& entry : list.Entries())
        if (lately.contains(entry->GetPath()))
            changed.push_back(entry.get());
    std::unordered_set<std::string> found;
    for (std::string& path : index.Find(text))
        if (!lately.contains(path))
            found.insert(std::move(path));
    for (std::string& path : index.FindAmong(text, changed))
        found.insert(std::move(path));
    for (int at = list.GetCount() - 1; at >= 0; --at)
        if (!found.contains(list.GetEntry(at)->GetPath()))
            list.RemoveEntry(at);
}

void RunList(const ListOptions& options, CCliContext& context)
{
    const bool byWords = !options.text.empty();
    if (options.sources.empty() && !byWords)
        throw UsageError("name the folders or recordings to list, or --text WORDS to search the call index");
    if (byWords && options.noIndex)
        throw UsageError("--text searches the call index, which --no-index leaves alone");
    const std::size_t colon = std::min(options.sort.find(':'), options.sort.size());
    const auto sortColumn = kSortColumns.find(options.sort.substr(0, colon));
    const std::string direction = options.sort.substr(colon);
    const bool reversed = direction == ":reverse";
    if (sortColumn == kSortColumns.end() || !(direction.empty() || reversed))
        throw UsageError("--sort: use one of encrypted, important, user, caller, archived, date, duration, "
                         "bookmark, comment, optionally followed by :reverse");
    CSearchManager search;
    // The "Archived" column: the user's own jobs and the office's; a log not there names nothing.
    auto archive = std::make_shared<CArchiveLogs>();
    archive->Load();
    for (const std::string& refusal : archive->Refusals())
        context.Note(refusal + "; it is not read, so the calls it names are not shown as archived");
    search.SetArchiveLookup(archive);
    SearchCriteria criteria = CriteriaFrom(options);
    context.Passphrase();
    // A source that is not there (a share not mounted) is one failed item; the others are listed.
    criteria.sources = ExpandSavedLists(options.sources, context);
    DropMissingSources(criteria.sources, context);
    CQorTolvaneDoc list;
    CUserCallIndex index;
    if (byWords) {
        if (!UseCallIndex(index, search, context)) {
            context.Fail("the words cannot be searched without the call index");
            std::exit(context.Status());
        }
        // Without folders: every folder it holds, each brought up to date first.
        if (options.sources.empty()) {
            criteria.sources = HeldFolders(*index.Get());
            criteria.includeSubFolders = false;
        }
    } else if (!options.noIndex && !criteria.sources.empty()) {
        UseCallIndex(index, search, context);
    }
    if (!criteria.sources.empty()) {
        search.Prepare(criteria, sortColumn->second, !reversed);
        if (search.GetStatus().sourceMissing)
            context.Fail("a source vanished while it was searched");
        else
            RunSearch(search, list, context);
    }
    // A folder that could not be read is a failed item, as find says "Permission denied".
    for (const auto& [folder, error] : search.GetUnreadableFolders())
        context.Fail(folder, std::string("cannot be searched: ") + std::strerror(error));
    if (byWords)
        KeepFound(list, *index.Get(), options.text, search.UnsettledPaths());
    KeepDirection(list, options.direction);
    for (const auto& entry : list.Entries())
        if (entry->ReadFailed()) // listed with its error texts, as the desktop program shows it
            context.Fail(entry->GetPath(), EntryError(*entry));
    if (list.GetCount() == 0)
        context.NothingFound("No recordings found which match your specified criteria.");
    Print(list, options.format, archive.get());
    if (!options.save.empty()) {
        const bool saved
            = list.GetCount() > 0 ? list.Save(options.save) : WriteFileAtomically(options.save, kEmptyList, 0644);
        const int error = errno;
        std::error_code status;
        const bool special
            = std::filesystem::exists(options.save, status) && !std::filesystem::is_regular_file(options.save, status);
        if (!saved)
            context.Fail(options.save,
                special ? std::string("is no regular file: it is left as it is, and the list is not saved")
                        : std::string("cannot write the list there: ") + std::strerror(error));
    }
    index.Close();
    // Done: the process ends here instead of freeing the entries one by one, which takes a fifth
    // of the whole run on a list of 20,000 calls; the system takes the memory back at once.
    std::exit(context.Status());
}

} // namespace

void AddListCommand(CLI::App& program, CCliContext& context)
{
    auto options = std::make_shared<ListOptions>();
    CLI::App* list = program.add_subcommand("list", "List the calls in folders and recordings, newest first");
    list->add_option("SOURCE", options->sources, "Folders to search, or recordings (with --text: optional)");
    list->add_flag("--subdirs,--sub", options->subFolders, "Search the folders' sub-folders too");
    list->add_option("--name", options->name, "Only file names matching this pattern (* and ?)");
    list->add_option("--caller", options->caller, "Only caller IDs matching this pattern (* and ?)");
    list->add_option("--dates", options->dates, "all, 2d, 7d, 30d or FROM..TO (YYYY-MM-DD..YYYY-MM-DD)");
    list->add_option("--longer-than", options->longerThan, "Only calls longer than this many whole minutes")
        ->check(CLI::Range(0, 300));
    list->add_option("--direction", options->direction, "in, out or both")
        ->check(CLI::IsMember({ "in", "out", "both" }));
    list->add_option("--sort", options->sort,
        "COLUMN[:reverse]: encrypted, important, user, caller, archived, date, duration, bookmark, comment");
    list->add_option("--format", options->format, "table, csv, json or reclist")
        ->check(CLI::IsMember({ "table", "csv", "json", "reclist" }));
    list->add_option("--save", options->save, "Also save the calls as a recording list (.reclist)");
    list->add_option("--text", options->text,
        "Only calls with words beginning with each of these (file name, caller ID, user ID, comment), "
        "found through the call index: in the folders named, or wherever it knows of");
    list->add_flag("--no-index", options->noIndex, "Read every call's file instead of using the call index");
    list->callback([options, &context] { RunList(*options, context); });
}

} // namespace qor::cli

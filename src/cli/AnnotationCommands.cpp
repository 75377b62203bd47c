// mark, comment and bookmark: annotations written into recordings' own headers, as the desktop
// program writes them (the audio is never touched).
#include "cli/CliContext.h"
#include "cli/Commands.h"
#include "cli/RecordingErrors.h"
#include "recording/Bookmark.h"
#include "recording/HeaderUpdate.h"
#include "recording/RecordFileHdr.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <functional>
#include <memory>

namespace qor::cli {
namespace {

// Loads the header, lets change alter it (a non-empty answer is the reason it refused) and writes
// it back into the file.
void Annotate(
    CCliContext& context, const std::string& path, const std::function<std::string(CRvRecordFileHdr&)>& change)
{
    CRvRecordFileHdr header;
    int loaded = 0;
    std::string refused;
    const CHeaderUpdate outcome = UpdateRecordingHeader(
        path, context.Passphrase(),
        [&](CRvRecordFileHdr& read) {
            refused = change(read);
            return refused.empty();
        },
        header, loaded);
    if (outcome == CHeaderUpdate::Unreadable)
        return context.Fail(path, WhyUnreadable(path, header, loaded));
    if (outcome == CHeaderUpdate::Refused)
        return context.Fail(path, refused);
    if (outcome == CHeaderUpdate::Failed)
        context.Fail(path, HeaderWriteFailureText(errno));
}

// Seconds, or HH:MM:SS / MM:SS.
int ParseTime(const std::string& text)
{
    int parts[3] = { 0, 0, 0 };
    int count = 0;
    std::size_t at = 0;
    while (count < 3) {
        std::size_t used = 0;
        const std::string piece = text.substr(at, text.find(':', at) - at);
        try {
            parts[count++] = std::stoi(piece, &used);
        } catch (const std::exception&) {
            used = std::string::npos;
        }
        if (used != piece.size() || piece.empty() || parts[count - 1] < 0)
            throw UsageError("\"" + text + "\" is not a time: give seconds or HH:MM:SS");
        at += piece.size();
        if (at == text.size())
            break;
        ++at;
    }
    if (at != text.size())
        throw UsageError("\"" + text + "\" is not a time: give seconds or HH:MM:SS");
    int seconds = 0;
    for (int i = 0; i < count; ++i)
        seconds = seconds * 60 + parts[i];
    return seconds;
}

struct MarkOptions {
    std::vector<std::string> files;
    bool important = false;
    bool notImportant = false;
};

struct CommentOptions {
    std::string file;
    std::string text;
};

struct BookmarkOptions {
    std::string file;
    std::vector<std::string> times;
    bool clear = false;
};

void RunMark(const MarkOptions& options, CCliContext& context)
{
    if (options.important == options.notImportant)
        throw UsageError("mark: give either --important or --not-important");
    for (const std::string& path : options.files)
        Annotate(context, path, [&](CRvRecordFileHdr& header) {
            header.SetImportant(options.important ? 1 : 0);
            return std::string();
        });
}

void RunComment(const CommentOptions& options, CCliContext& context)
{
    Annotate(context, options.file, [&](CRvRecordFileHdr& header) {
        // The bookmark stays with the new words; words that do not fit are never cut silently.
        std::string comment = header.Comment();
        if (!ReplaceCommentWords(comment, options.text)) {
            const std::size_t room = CommentRoom(comment);
            return "the comment does not fit: there is room for " + std::to_string(room) + " bytes"
                + (room < kCommentCapacity ? " beside the call's bookmark" : "") + "; nothing was changed";
        }
        header.SetComment(comment);
        return std::string();
    });
}

void RunBookmark(const BookmarkOptions& options, CCliContext& context)
{
    if (options.clear != options.times.empty())
        throw UsageError("bookmark: give START and END, or --clear");
    const int start = options.clear ? -1 : ParseTime(options.times[0]);
    const int end = options.clear ? -1 : ParseTime(options.times[1]);
    if (!options.clear && start >= end)
        throw UsageError("bookmark: the end must come after the start");
    Annotate(context, options.file, [&](CRvRecordFileHdr& header) {
        if (!options.clear && end > header.Duration())
            return "the bookmark would end after the call, which is " + header.FormatDuration() + " long";
        return header.WriteBookmark(start, end) ? std::string() : std::string("the bookmark cannot be written");
    });
}

} // namespace

void AddAnnotationCommands(CLI::App& program, CCliContext& context)
{
    auto mark = std::make_shared<MarkOptions>();
    CLI::App* markCommand = program.add_subcommand("mark", "Mark calls important, or take the mark away");
    markCommand->add_option("FILE", mark->files, "Recordings")->required();
    CLI::Option* important = markCommand->add_flag("--important", mark->important, "Mark them important");
    markCommand->add_flag("--not-important", mark->notImportant, "Take the mark away")->excludes(important);
    markCommand->callback([mark, &context] { RunMark(*mark, context); });

    auto comment = std::make_shared<CommentOptions>();
    CLI::App* commentCommand = program.add_subcommand("comment", "Replace a call's comment (its bookmark stays)");
    commentCommand->add_option("FILE", comment->file, "The recording")->required();
    commentCommand->add_option("--set", comment->text, "The new comment")->required();
    commentCommand->callback([comment, &context] { RunComment(*comment, context); });

    auto bookmark = std::make_shared<BookmarkOptions>();
    CLI::App* bookmarkCommand = program.add_subcommand("bookmark", "Set or clear the bookmarked part of a call");
    bookmarkCommand->add_option("FILE", bookmark->file, "The recording")->required();
    CLI::Option* times
        = bookmarkCommand->add_option("TIMES", bookmark->times, "START END: seconds or HH:MM:SS")->expected(2);
    bookmarkCommand->add_flag("--clear", bookmark->clear, "Remove the bookmark")->excludes(times);
    bookmarkCommand->callback([bookmark, &context] { RunBookmark(*bookmark, context); });
}

} // namespace qor::cli

#include "cli/CallRecords.h"

#include "cli/JsonText.h"
#include "cli/RecordingErrors.h"
#include "foundation/CallTime.h"
#include "foundation/Utf8Text.h"
#include "lists/ArchiveLookup.h"
#include "lists/FileListEntry.h"
#include "recording/Bookmark.h"
#include "recording/RecordFileHdr.h"

#include <algorithm>
#include <ctime>

namespace qor::cli {
namespace {

std::string CodecName(std::int32_t tag)
{
    switch (tag) {
    case kCodecALaw:
        return "A-law";
    case kCodecMuLaw:
        return "mu-law";
    case kCodecImaAdpcm:
        return "IMA ADPCM";
    case kCodecGsm:
        return "GSM 06.10";
    default:
        return "unknown";
    }
}

std::string SpanText(int start, int end)
{
    return FormatHhMmSs(start) + "-" + FormatHhMmSs(end);
}

Json BookmarkJson(const std::string& comment)
{
    int start = 0, end = 0;
    if (!ParseBookmark(comment, start, end))
        return nullptr;
    return { { "start", start }, { "end", end }, { "text", SpanText(start, end) } };
}

Json TextOrNull(const std::string& text)
{
    return text.empty() ? Json(nullptr) : Json(text);
}

} // namespace

std::string DirectionText(const CRvFileListEntry& entry)
{
    switch (entry.Direction()) {
    case CallDirection::Incoming:
        return "in";
    case CallDirection::Outgoing:
        return "out";
    case CallDirection::None:
        break;
    }
    return {};
}

std::string BookmarkText(const std::string& comment)
{
    int start = 0, end = 0;
    return ParseBookmark(comment, start, end) ? SpanText(start, end) : std::string();
}

std::string ArchivedText(const CRvFileListEntry& entry, IArchiveLookup* archive)
{
    const auto when = archive ? archive->ArchivedTime(entry) : std::nullopt;
    return when ? LocalTimeText(*when) : std::string();
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

void AppendCsvHeadings(std::string& text)
{
    AppendCsvLine(text,
        { "Path", "Encrypted", "Important", "User ID", "Caller ID", "Archived", "Date + Time", "Start", "Duration",
            "Seconds", "Bookmark", "Direction", "Comment", "Error" });
}

void AppendCsvCall(std::string& text, const CRvFileListEntry& entry, std::string_view archived)
{
    const std::string_view encrypted = entry.IsEncrypted() ? "yes" : "no";
    if (entry.ReadFailed()) { // the columns stay empty: the error says why
        AppendCsvLine(
            text, { entry.GetPath(), encrypted, "", "", "", archived, "", "", "", "", "", "", "", EntryError(entry) });
        return;
    }
    // Thousands of lines are made at a time: the texts are looked at where they are, not copied.
    const std::string start = std::to_string(entry.GetStartTime());
    const std::string seconds = std::to_string(entry.GetDurationSeconds());
    AppendCsvLine(text,
        { entry.GetPath(), encrypted, entry.GetImportant() ? "yes" : "no", entry.GetUserIdText(),
            entry.GetCallerIdText(), archived, IsoWallClock(entry.GetDisplayTime()), start, entry.GetDurationText(),
            seconds, entry.HasBookmark() ? BookmarkText(entry.GetCommentText()) : std::string(), DirectionText(entry),
            CommentWholeView(entry.GetCommentText()), "" });
}

void AppendCsvLine(std::string& line, std::initializer_list<std::string_view> fields)
{
    bool first = true;
    for (const std::string_view field : fields) {
        if (!first)
            line += ',';
        first = false;
        // Not find_first_of: it searches its set once per character, and a comment has a thousand.
        const bool plain = std::none_of(
            field.begin(), field.end(), [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; });
        if (plain) {
            line += field;
            continue;
        }
        line += '"';
        for (const char c : field) {
            if (c == '"')
                line += '"';
            line += c;
        }
        line += '"';
    }
    line += "\r\n";
}

Json CallJson(const CRvFileListEntry& entry, IArchiveLookup* archive)
{
    Json call = Json::object();
    PutPath(call, "path", entry.GetPath());
    const bool read = !entry.ReadFailed();
    const auto whenRead = [read](Json value) { return read ? std::move(value) : Json(nullptr); };
    call["encrypted"] = entry.IsEncrypted();
    call["important"] = whenRead(entry.GetImportant() != 0);
    call["userId"] = whenRead(entry.GetUserIdText());
    call["callerId"] = whenRead(entry.GetCallerIdText());
    call["archived"] = TextOrNull(ArchivedText(entry, archive));
    call["dateTime"] = whenRead(IsoWallClock(entry.GetDisplayTime()));
    call["start"] = whenRead(entry.GetStartTime());
    call["duration"] = whenRead(entry.GetDurationText());
    call["seconds"] = whenRead(entry.GetDurationSeconds());
    call["bookmark"] = whenRead(BookmarkJson(entry.GetCommentText()));
    call["direction"] = whenRead(TextOrNull(DirectionText(entry)));
    call["comment"] = whenRead(CommentWholeText(entry.GetCommentText()));
    call["error"] = read ? Json(nullptr) : Json(EntryError(entry));
    return call;
}

Json HeaderJson(const std::string& path, const CRvRecordFileHdr& header)
{
    CRvFileListEntry entry; // tells the direction from the caller ID as a list does
    entry.SetCallerIdText(DisplayText(header.CallerId()));
    const std::int64_t start = UnixTimeOfWallClock(header.DisplayTime());
    Json call = Json::object();
    PutPath(call, "path", path);
    call["version"] = header.Version();
    call["headerLength"] = header.HeaderLength();
    call["codec"] = CodecName(header.GetCodecTag());
    call["codecTag"] = header.GetCodecTag();
    call["important"] = header.Important() != 0;
    call["callerId"] = DisplayText(header.CallerId());
    call["userId"] = DisplayText(header.UserId());
    call["comment"] = CommentWholeText(DisplayText(header.Comment()));
    call["fullComment"] = DisplayText(header.Comment());
    call["start"] = start;
    call["dateTime"] = IsoLocalTime(start);
    call["seconds"] = header.Duration();
    call["duration"] = header.FormatDuration();
    call["extraCode"] = header.ExtraCode();
    call["extraSeconds"] = header.ExtraSeconds();
    call["recorderType"] = DisplayText(header.RecorderType());
    call["encrypted"] = header.IsEncrypted();
    call["keyType"] = header.KeyType();
    call["bookmark"] = BookmarkJson(header.Comment());
    call["direction"] = TextOrNull(DirectionText(entry));
    return call;
}

std::string EntryError(const CRvFileListEntry& entry)
{
    if (!entry.ReadFailed())
        return {};
    return entry.IsEncrypted() ? kWrongPassphrase : std::string("the recording's header cannot be read");
}

} // namespace qor::cli

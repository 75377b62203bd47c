#include "cli/CallRecords.h"

#include "lists/ArchiveLookup.h"
#include "lists/FileListEntry.h"
#include "recording/Bookmark.h"
#include "recording/RecordFileHdr.h"

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

std::vector<std::string> CsvHeadings()
{
    return { "Path", "Encrypted", "Important", "User ID", "Caller ID", "Archived", "Date + Time", "Start", "Duration",
        "Seconds", "Bookmark", "Direction", "Comment" };
}

std::vector<std::string> CsvFields(const CRvFileListEntry& entry, IArchiveLookup* archive)
{
    return { entry.GetPath(), entry.IsEncrypted() ? "yes" : "no", entry.GetImportant() ? "yes" : "no",
        entry.GetUserIdText(), entry.GetCallerIdText(), ArchivedText(entry, archive), entry.GetDateTimeText(),
        std::to_string(entry.GetDisplayTime()), entry.GetDurationText(), std::to_string(entry.GetDurationSeconds()),
        BookmarkText(entry.GetCommentText()), DirectionText(entry), CommentUserText(entry.GetCommentText()) };
}

std::string CsvLine(const std::vector<std::string>& fields)
{
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        const std::string& field = fields[i];
        if (field.find_first_of(",\"\r\n") == std::string::npos) {
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
    return line + "\r\n";
}

Json CallJson(const CRvFileListEntry& entry, IArchiveLookup* archive)
{
    return {
        { "path", entry.GetPath() },
        { "encrypted", entry.IsEncrypted() },
        { "important", entry.GetImportant() != 0 },
        { "userId", entry.GetUserIdText() },
        { "callerId", entry.GetCallerIdText() },
        { "archived", TextOrNull(ArchivedText(entry, archive)) },
        { "dateTime", entry.GetDateTimeText() },
        { "start", entry.GetDisplayTime() },
        { "duration", entry.GetDurationText() },
        { "seconds", entry.GetDurationSeconds() },
        { "bookmark", BookmarkJson(entry.GetCommentText()) },
        { "direction", TextOrNull(DirectionText(entry)) },
        { "comment", CommentUserText(entry.GetCommentText()) },
    };
}

Json HeaderJson(const std::string& path, const CRvRecordFileHdr& header)
{
    CRvFileListEntry entry; // tells the direction from the caller ID as a list does
    entry.SetCallerIdText(header.CallerId());
    return {
        { "path", path },
        { "version", header.Version() },
        { "headerLength", header.HeaderLength() },
        { "codec", CodecName(header.GetCodecTag()) },
        { "codecTag", header.GetCodecTag() },
        { "important", header.Important() != 0 },
        { "callerId", header.CallerId() },
        { "userId", header.UserId() },
        { "comment", CommentUserText(header.Comment()) },
        { "fullComment", header.Comment() },
        { "start", header.StartTime() },
        { "dateTime", header.FormatStartTime() },
        { "seconds", header.Duration() },
        { "duration", header.FormatDuration() },
        { "extraCode", header.ExtraCode() },
        { "extraSeconds", header.ExtraSeconds() },
        { "recorderType", header.RecorderType() },
        { "encrypted", header.IsEncrypted() },
        { "keyType", header.KeyType() },
        { "bookmark", BookmarkJson(header.Comment()) },
        { "direction", TextOrNull(DirectionText(entry)) },
    };
}

} // namespace qor::cli

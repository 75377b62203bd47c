#include "recording/Bookmark.h"

#include "foundation/Utf8Text.h"

#include <cstdint>
#include <cstdio>

namespace qor {
namespace {

// The line's own text: "Bookmark at: " and one more blank before the time.
constexpr std::string_view kLineLead = "Bookmark at:  ";
constexpr std::string_view kWarning = "\r\n\r\n### System information do no edit! ###\r\n";
constexpr std::string_view kWarningTitle = "### System information do no edit! ###";
constexpr std::string_view kBookmarkTag = "<bookmark>";
constexpr std::string_view kStartTag = "<bstart>";
constexpr std::string_view kEndTag = "<bend>";
constexpr std::size_t kTimeLength = 8;
constexpr std::string_view kBlanks = " \t\r\n";

std::string BookmarkLine(int start)
{
    return std::string(kLineLead) + FormatHhMmSs(start) + "\r\n";
}

std::string SystemBlock(int start, int end)
{
    return std::string(kWarning) + std::string(kBookmarkTag) + "\r\n" + std::string(kStartTag) + FormatHhMmSs(start)
        + "</bstart>\r\n" + std::string(kEndTag) + FormatHhMmSs(end) + "</bend>\r\n" + std::string(kBookmarkTag);
}

// Reads "h?m?s" with optional leading blanks from the eight characters after a tag.
bool ParseTime(std::string_view comment, std::size_t at, int& seconds)
{
    const std::string field(comment.substr(at, kTimeLength));
    int hours = 0, minutes = 0, secs = 0;
    if (std::sscanf(field.c_str(), "%d%*c%d%*c%d", &hours, &minutes, &secs) != 3)
        return false;
    const long long total = hours * 3600LL + minutes * 60LL + secs;
    if (total < INT32_MIN || total > INT32_MAX)
        return false;
    seconds = static_cast<int>(total);
    return true;
}

// By hand: find_first_not_of with a set searches the set once per character, and lists trim the
// comments of thousands of calls, blank-padded to a kilobyte.
std::string_view Trim(std::string_view text)
{
    const auto blank = [](char c) { return kBlanks.find(c) != std::string_view::npos; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The field holds at most this much; a cut never splits a character.
void PadOrCut(std::string& comment, std::size_t size = kCommentCapacity)
{
    comment.resize(CutOnCharacterBoundary(comment, size).size());
    comment.resize(size, ' ');
}

bool IsDigits(std::string_view text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The length of the bookmark line the comment starts with, or 0. Only the exact shape this
// program writes counts ("Bookmark at: " + " " + HH:MM:SS + CR LF), so a user's text that merely
// starts with the same words is left alone.
std::size_t BookmarkLineLength(std::string_view comment)
{
    if (!comment.starts_with(kLineLead))
        return 0;
    const auto lineEnd = comment.find("\r\n", kLineLead.size());
    if (lineEnd == std::string_view::npos)
        return 0;
    const std::string_view time = comment.substr(kLineLead.size(), lineEnd - kLineLead.size());
    const auto firstColon = time.find(':');
    if (firstColon == std::string_view::npos || firstColon < 2 || time.size() != firstColon + 6
        || !IsDigits(time.substr(0, firstColon)) || time[firstColon + 3] != ':'
        || !IsDigits(time.substr(firstColon + 1, 2)) || !IsDigits(time.substr(firstColon + 4, 2)))
        return 0;
    return lineEnd + 2;
}

// Takes the bookmark line and the system block out of the comment; true when either was there.
bool StripBookmark(std::string& comment)
{
    bool found = false;
    if (const std::size_t line = BookmarkLineLength(comment); line > 0) {
        comment.erase(0, line);
        found = true;
    }
    if (const auto warning = comment.find(kWarning); warning != std::string::npos) {
        comment.erase(warning);
        found = true;
    }
    return found;
}

bool RemoveBookmark(std::string& comment)
{
    if (StripBookmark(comment))
        PadOrCut(comment);
    return true;
}

} // namespace

std::string FormatHhMmSs(long long seconds)
{
    // Formatted by hand: lists format two of these for every call they read.
    if (seconds < 0)
        seconds = 0;
    std::string text = std::to_string(seconds / 3600);
    if (text.size() < 2)
        text.insert(text.begin(), '0');
    const auto minutes = static_cast<char>(seconds % 3600 / 60);
    const auto secs = static_cast<char>(seconds % 60);
    text += { ':', static_cast<char>('0' + minutes / 10), static_cast<char>('0' + minutes % 10), ':',
        static_cast<char>('0' + secs / 10), static_cast<char>('0' + secs % 10) };
    return text;
}

bool ParseBookmark(std::string_view comment, int& start, int& end)
{
    const auto first = comment.find(kBookmarkTag);
    if (first == std::string_view::npos || first == 0)
        return false;
    if (comment.find(kBookmarkTag, first + kBookmarkTag.size()) == std::string_view::npos)
        return false;
    const auto startTag = comment.find(kStartTag, first);
    if (startTag == std::string_view::npos)
        return false;
    const auto endTag = comment.find(kEndTag, startTag);
    if (endTag == std::string_view::npos)
        return false;
    int parsedStart = 0, parsedEnd = 0;
    if (!ParseTime(comment, startTag + kStartTag.size(), parsedStart)
        || !ParseTime(comment, endTag + kEndTag.size(), parsedEnd))
        return false;
    start = parsedStart;
    end = parsedEnd;
    return true;
}

bool WriteBookmark(std::string& comment, int start, int end)
{
    if (start == -1 && end == -1)
        return RemoveBookmark(comment);
    if (start < 0 || start >= end)
        return false;
    std::string text = comment;
    StripBookmark(text);
    text.insert(0, BookmarkLine(start));
    // The block takes the field's last characters; user text that reaches into them gives way.
    const std::string block = SystemBlock(start, end);
    PadOrCut(text, kCommentCapacity - block.size());
    comment = std::move(text) + block;
    return true;
}

std::size_t CommentRoom(std::string_view comment)
{
    int start = 0, end = 0;
    if (!ParseBookmark(comment, start, end))
        return kCommentCapacity;
    const std::size_t bookmark = BookmarkLine(start).size() + SystemBlock(start, end).size();
    return bookmark < kCommentCapacity ? kCommentCapacity - bookmark : 0;
}

bool ReplaceCommentWords(std::string& comment, std::string_view words)
{
    if (words.size() > CommentRoom(comment))
        return false;
    std::string replaced(words);
    if (int start = 0, end = 0; ParseBookmark(comment, start, end) && !WriteBookmark(replaced, start, end))
        return false;
    // Words that look like a bookmark's own lines would be taken for it and lost.
    if (CommentWholeView(replaced) != Trim(words))
        return false;
    comment = std::move(replaced);
    return true;
}

std::string CommentUserText(std::string_view comment)
{
    std::string_view text = Trim(comment);
    if (const std::size_t line = BookmarkLineLength(text); line > 0) {
        text = Trim(text.substr(line));
        if (text.starts_with(kWarningTitle))
            text = {};
    }
    return std::string(Trim(text.substr(0, text.find_first_of("\r\n"))));
}

std::string_view CommentWholeView(std::string_view comment)
{
    // Views only: lists give thousands of these, each comment up to the field's 1023 bytes.
    std::string_view text = Trim(comment);
    text.remove_prefix(BookmarkLineLength(text));
    if (const auto warning = text.find(kWarning); warning != std::string_view::npos)
        text = text.substr(0, warning);
    return Trim(text);
}

std::string CommentWholeText(std::string_view comment)
{
    return std::string(CommentWholeView(comment));
}

} // namespace qor

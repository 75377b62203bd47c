// A call as the command-line companion prints it: the list's columns as table cells, CSV fields
// or a JSON object, with what a script needs besides (full path, bookmark times, direction).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace qor {
class CRvFileListEntry;
class CRvRecordFileHdr;
class IArchiveLookup;
} // namespace qor

namespace qor::cli {

// Keys stay in the order written, which is the list's column order.
using Json = nlohmann::ordered_json;

// "in", "out", or empty when the caller ID does not say.
std::string DirectionText(const CRvFileListEntry& entry);
// "HH:MM:SS-HH:MM:SS", or empty without a bookmark.
std::string BookmarkText(const std::string& comment);

// Appends one CSV line (RFC 4180: fields with commas, quotes or line ends are quoted), ending in CR LF.
void AppendCsvLine(std::string& text, std::initializer_list<std::string_view> fields);
void AppendCsvHeadings(std::string& text);
// The call's line; archived is the "Archived" column's text.
void AppendCsvCall(std::string& text, const CRvFileListEntry& entry, std::string_view archived);

Json CallJson(const CRvFileListEntry& entry, IArchiveLookup* archive);
// Every field of a header, for "info".
Json HeaderJson(const std::string& path, const CRvRecordFileHdr& header);

// Why the call's details could not be read, or empty when they were.
std::string EntryError(const CRvFileListEntry& entry);

// The date of the latest archive job holding the call, or empty.
std::string ArchivedText(const CRvFileListEntry& entry, IArchiveLookup* archive);
// A time as "YYYY-MM-DD HH:MM" in local time: sorts as text, reads the same in every locale.
std::string LocalTimeText(std::int64_t seconds);

} // namespace qor::cli

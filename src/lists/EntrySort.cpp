#include "lists/EntrySort.h"

#include "lists/ArchiveLookup.h"

#include <algorithm>
#include <cstdint>

namespace qor {
namespace {

// Never-archived calls sort after every archived one.
std::int64_t ArchiveKey(const CRvFileListEntry& entry, IArchiveLookup* archive)
{
    const auto time = archive ? archive->ArchivedTime(entry) : std::nullopt;
    return time ? *time : INT64_MIN;
}

} // namespace

bool ComesBefore(int column, const CRvFileListEntry& a, const CRvFileListEntry& b, IArchiveLookup* archive)
{
    switch (column) {
    case kColumnEncrypted:
        return a.IsEncrypted() > b.IsEncrypted();
    case kColumnImportant:
        return a.GetImportant() > b.GetImportant();
    case kColumnUserId:
        return a.GetUserIdText() < b.GetUserIdText();
    case kColumnCallerId:
        return a.GetCallerIdText() < b.GetCallerIdText();
    case kColumnArchived:
        return ArchiveKey(a, archive) > ArchiveKey(b, archive);
    case kColumnDateTime:
        return a.GetDisplayTime() > b.GetDisplayTime();
    case kColumnDuration:
        return a.GetDurationSeconds() > b.GetDurationSeconds();
    case kColumnBookmark:
        return a.HasBookmark() < b.HasBookmark();
    case kColumnComment:
        return a.GetCommentText() < b.GetCommentText();
    default:
        return false;
    }
}

bool NaturalOrderAscends(int column)
{
    return column == kColumnUserId || column == kColumnCallerId || column == kColumnBookmark
        || column == kColumnComment;
}

namespace {

// What the sort compares, side by side in one array: a list of thousands is sorted without going
// to each entry for every comparison.
struct CSortKey {
    std::int64_t value; // the column's value, larger first; unused for the text columns
    std::int32_t newest; // the display time, for ties
    std::uint32_t walked; // the entry's place before the sort
    const CRvFileListEntry* entry;
};

// The value of a column other than "Archived" and the texts.
std::int64_t NumericValue(int column, const CRvFileListEntry& entry)
{
    switch (column) {
    case kColumnEncrypted:
        return entry.IsEncrypted() ? 1 : 0;
    case kColumnImportant:
        return entry.GetImportant();
    case kColumnDateTime:
        return entry.GetDisplayTime();
    case kColumnDuration:
        return entry.GetDurationSeconds();
    case kColumnBookmark: // calls without a bookmark first
        return entry.HasBookmark() ? -1 : 0;
    default:
        return 0;
    }
}

} // namespace

void SortEntries(
    std::vector<std::unique_ptr<CRvFileListEntry>>& entries, int column, bool naturalOrder, IArchiveLookup* archive)
{
    if (column < kColumnEncrypted || column > kColumnComment)
        return;
    const bool numeric = column != kColumnUserId && column != kColumnCallerId && column != kColumnComment;
    // The archive log is asked once for all the entries, not per comparison.
    std::vector<std::optional<std::int64_t>> archived;
    if (column == kColumnArchived && archive)
        archived = archive->ArchivedTimes(entries);
    std::vector<CSortKey> keys;
    keys.reserve(entries.size());
    for (const auto& entry : entries) {
        // Never-archived calls sort after every archived one.
        const std::int64_t value = column == kColumnArchived
            ? (archived.empty() || !archived[keys.size()] ? INT64_MIN : *archived[keys.size()])
            : numeric ? NumericValue(column, *entry)
                      : 0;
        // Reversed, the smallest comes first (and a call never archived before every other).
        keys.push_back({ naturalOrder ? value : (value == INT64_MIN ? INT64_MAX : -value), entry->GetDisplayTime(),
            static_cast<std::uint32_t>(keys.size()), entry.get() });
    }
    // Entries in path order already (a search's walk nearly always is) break ties by their places.
    const bool pathsInOrder = std::is_sorted(
        entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a->GetPath() < b->GetPath(); });
    std::sort(keys.begin(), keys.end(), [&](const CSortKey& a, const CSortKey& b) {
        if (numeric) {
            if (a.value != b.value)
                return a.value > b.value;
        } else {
            const CSortKey& first = naturalOrder ? a : b;
            const CSortKey& second = naturalOrder ? b : a;
            if (ComesBefore(column, *first.entry, *second.entry, archive))
                return true;
            if (ComesBefore(column, *second.entry, *first.entry, archive))
                return false;
        }
        if (a.newest != b.newest)
            return a.newest > b.newest;
        return pathsInOrder ? a.walked < b.walked : a.entry->GetPath() < b.entry->GetPath();
    });
    std::vector<std::unique_ptr<CRvFileListEntry>> sorted;
    sorted.reserve(entries.size());
    for (const CSortKey& key : keys)
        sorted.push_back(std::move(entries[key.walked]));
    entries = std::move(sorted);
}

} // namespace qor

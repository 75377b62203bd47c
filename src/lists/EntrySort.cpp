#include "lists/EntrySort.h"

#include "lists/ArchiveLookup.h"

#include <algorithm>
#include <unordered_map>

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

void SortEntries(
    std::vector<std::unique_ptr<CRvFileListEntry>>& entries, int column, bool naturalOrder, IArchiveLookup* archive)
{
    if (column < kColumnImportant || column > kColumnComment)
        return;
    if (column == kColumnArchived) {
        // Each lookup may search the archive log, so it is asked once per entry, not per comparison.
        std::unordered_map<const CRvFileListEntry*, std::int64_t> keys;
        for (const auto& entry : entries)
            keys[entry.get()] = ArchiveKey(*entry, archive);
        std::sort(entries.begin(), entries.end(), [&](const auto& a, const auto& b) {
            return naturalOrder ? keys[a.get()] > keys[b.get()] : keys[b.get()] > keys[a.get()];
        });
        return;
    }
    std::sort(entries.begin(), entries.end(), [&](const auto& a, const auto& b) {
        return naturalOrder ? ComesBefore(column, *a, *b, archive) : ComesBefore(column, *b, *a, archive);
    });
}

} // namespace qor

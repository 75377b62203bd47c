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

bool TieBreak(const CRvFileListEntry& a, const CRvFileListEntry& b)
{
    if (a.GetDisplayTime() != b.GetDisplayTime())
        return a.GetDisplayTime() > b.GetDisplayTime();
    return a.GetPath() < b.GetPath();
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

void SortEntries(
    std::vector<std::unique_ptr<CRvFileListEntry>>& entries, int column, bool naturalOrder, IArchiveLookup* archive)
{
    if (column < kColumnEncrypted || column > kColumnComment)
        return;
    // Each archive lookup may search the archive log, so it is asked once per entry, not per comparison.
    std::unordered_map<const CRvFileListEntry*, std::int64_t> archivedAt;
    if (column == kColumnArchived)
        for (const auto& entry : entries)
            archivedAt[entry.get()] = ArchiveKey(*entry, archive);
    const auto before = [&](const CRvFileListEntry& a, const CRvFileListEntry& b) {
        return column == kColumnArchived ? archivedAt.at(&a) > archivedAt.at(&b) : ComesBefore(column, a, b, archive);
    };
    std::sort(entries.begin(), entries.end(), [&](const auto& a, const auto& b) {
        const CRvFileListEntry& first = naturalOrder ? *a : *b;
        const CRvFileListEntry& second = naturalOrder ? *b : *a;
        if (before(first, second))
            return true;
        if (before(second, first))
            return false;
        return TieBreak(*a, *b);
    });
}

} // namespace qor

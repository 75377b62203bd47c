// The orders of a recording list's columns, shared by the search and the list window.
#pragma once

#include "lists/FileListEntry.h"

#include <memory>
#include <vector>

namespace qor {

class IArchiveLookup;

enum ListColumn : int {
    kColumnEncrypted = 0,
    kColumnImportant = 1,
    kColumnUserId = 2,
    kColumnCallerId = 3,
    kColumnArchived = 4,
    kColumnDateTime = 5,
    kColumnDuration = 6,
    kColumnBookmark = 7,
    kColumnComment = 8,
};

// True when a comes before b in the column's natural order: encrypted calls, important calls,
// archived calls (latest first), newest calls, longest calls and calls without bookmarks first;
// texts ascending byte by byte. Columns without an order compare equal.
bool ComesBefore(int column, const CRvFileListEntry& a, const CRvFileListEntry& b, IArchiveLookup* archive);

// True when the column's natural order goes from the smallest value up (the texts, the bookmark
// flag); false when it starts from the largest (flags set, latest, longest).
bool NaturalOrderAscends(int column);

// Sorts by a column, in its natural order or reversed. Entries equal in the column come newest
// first, then by path, so that sorting the same calls always gives the same order.
void SortEntries(
    std::vector<std::unique_ptr<CRvFileListEntry>>& entries, int column, bool naturalOrder, IArchiveLookup* archive);

} // namespace qor

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

// True when a comes before b in the column's natural order: important calls, archived calls
// (latest first), newest calls, longest calls and calls without bookmarks first; texts ascending
// byte by byte. Columns without an order compare equal.
bool ComesBefore(int column, const CRvFileListEntry& a, const CRvFileListEntry& b, IArchiveLookup* archive);

// Sorts by a column, in its natural order or reversed. Equal entries keep no particular order.
void SortEntries(
    std::vector<std::unique_ptr<CRvFileListEntry>>& entries, int column, bool naturalOrder, IArchiveLookup* archive);

} // namespace qor

// Two programs may change one store: the desktop program of a second login, the first one's own
// save at exit. A save applies what this program changed since it read the file (base to ours) to
// the file as it is now (theirs), so neither takes back the other's work.
#pragma once

#include "review/TreeStore.h"

#include <vector>

namespace qor {

// Entries we removed go (with what is below them), entries we renamed or moved take our name and
// place, entries we added are appended (under a free id when theirs took the same one); every
// other entry stays as theirs has it. Entries whose group no longer exists are dropped.
std::vector<CTreeStoreEntry> MergeTreeEntries(const std::vector<CTreeStoreEntry>& base,
    const std::vector<CTreeStoreEntry>& ours, const std::vector<CTreeStoreEntry>& theirs);

} // namespace qor

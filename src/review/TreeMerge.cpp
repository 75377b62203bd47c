#include "review/TreeMerge.h"

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <unordered_set>

namespace qor {
namespace {

using Entries = std::vector<CTreeStoreEntry>;

std::unordered_map<std::int32_t, const CTreeStoreEntry*> ById(const Entries& entries)
{
    std::unordered_map<std::int32_t, const CTreeStoreEntry*> byId;
    for (const CTreeStoreEntry& entry : entries)
        byId.emplace(entry.id, &entry);
    return byId;
}

// Keeps the entries whose chain of groups reaches the top, in their order. Walked down from the
// top once, so a tree thousands of levels deep costs no more than a wide one.
Entries WithoutOrphans(const Entries& entries)
{
    std::unordered_map<std::int32_t, std::vector<std::size_t>> children;
    for (std::size_t index = 0; index < entries.size(); ++index)
        children[entries[index].parentId].push_back(index);
    std::vector<bool> reached(entries.size(), false);
    std::unordered_set<std::int32_t> walked{ CTreeStore::kNoParent };
    std::vector<std::int32_t> pending{ CTreeStore::kNoParent };
    while (!pending.empty()) {
        const auto below = children.find(pending.back());
        pending.pop_back();
        if (below == children.end())
            continue;
        for (const std::size_t index : below->second) {
            reached[index] = true;
            if (entries[index].isGroup && walked.insert(entries[index].id).second)
                pending.push_back(entries[index].id);
        }
    }
    Entries kept;
    for (std::size_t index = 0; index < entries.size(); ++index)
        if (reached[index])
            kept.push_back(entries[index]);
    return kept;
}

} // namespace

Entries MergeTreeEntries(const Entries& base, const Entries& ours, const Entries& theirs)
{
    const auto baseById = ById(base);
    const auto oursById = ById(ours);
    Entries merged = theirs;
    // Removed here: gone there too (what was below follows as an orphan).
    std::erase_if(merged,
        [&](const CTreeStoreEntry& entry) { return baseById.contains(entry.id) && !oursById.contains(entry.id); });
    // Renamed or moved here: ours wins; a move puts it after its new siblings, as Move does.
    for (const CTreeStoreEntry& entry : ours) {
        const auto before = baseById.find(entry.id);
        if (before == baseById.end() || *before->second == entry)
            continue;
        const auto there = std::ranges::find(merged, entry.id, &CTreeStoreEntry::id);
        if (there == merged.end())
            continue;
        const bool moved = there->parentId != entry.parentId;
        *there = entry;
        if (moved)
            std::rotate(there, there + 1, merged.end());
    }
    // Added here: appended, under a free id when theirs took ours, with their children following.
    std::unordered_set<std::int32_t> used;
    std::int32_t largest = -1;
    for (const Entries* entries : { static_cast<const Entries*>(&merged), &ours })
        for (const CTreeStoreEntry& entry : *entries) {
            used.insert(entry.id);
            largest = std::max(largest, entry.id);
        }
    // Above every id in use; from the smallest unused one when the largest id is taken.
    std::int32_t nextFree = largest < std::numeric_limits<std::int32_t>::max() ? largest + 1 : 0;
    const auto freeId = [&] {
        while (used.contains(nextFree))
            ++nextFree;
        used.insert(nextFree);
        return nextFree;
    };
    std::unordered_map<std::int32_t, std::int32_t> newIds;
    const auto taken = ById(merged);
    for (const CTreeStoreEntry& entry : ours)
        if (!baseById.contains(entry.id))
            newIds[entry.id] = taken.contains(entry.id) ? freeId() : entry.id;
    for (CTreeStoreEntry entry : ours) {
        if (baseById.contains(entry.id))
            continue;
        entry.id = newIds.at(entry.id);
        if (const auto parent = newIds.find(entry.parentId); parent != newIds.end())
            entry.parentId = parent->second;
        merged.push_back(entry);
    }
    return WithoutOrphans(merged);
}

} // namespace qor

#include "review/TreeMerge.h"

#include <algorithm>
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

// Keeps the entries whose chain of groups reaches the top, in their order.
Entries WithoutOrphans(Entries entries)
{
    const auto byId = ById(entries);
    const auto reachesTop = [&byId](const CTreeStoreEntry& entry) {
        std::unordered_set<std::int32_t> seen;
        for (std::int32_t parent = entry.parentId; parent != CTreeStore::kNoParent;) {
            const auto found = byId.find(parent);
            if (found == byId.end() || !found->second->isGroup || !seen.insert(parent).second)
                return false;
            parent = found->second->parentId;
        }
        return true;
    };
    Entries kept;
    for (const CTreeStoreEntry& entry : entries)
        if (reachesTop(entry))
            kept.push_back(entry);
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
    std::int32_t nextFree = 0;
    for (const Entries* entries : { static_cast<const Entries*>(&merged), &ours })
        for (const CTreeStoreEntry& entry : *entries)
            nextFree = std::max(nextFree, entry.id + 1);
    std::unordered_map<std::int32_t, std::int32_t> newIds;
    const auto taken = ById(merged);
    for (const CTreeStoreEntry& entry : ours)
        if (!baseById.contains(entry.id))
            newIds[entry.id] = taken.contains(entry.id) ? nextFree++ : entry.id;
    for (CTreeStoreEntry entry : ours) {
        if (baseById.contains(entry.id))
            continue;
        entry.id = newIds.at(entry.id);
        if (const auto parent = newIds.find(entry.parentId); parent != newIds.end())
            entry.parentId = parent->second;
        merged.push_back(entry);
    }
    return WithoutOrphans(std::move(merged));
}

} // namespace qor

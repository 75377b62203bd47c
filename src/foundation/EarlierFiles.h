// Files an earlier version kept for each user in the per-machine folder, which every user of the
// machine shared: a user's own calls-for-review tree, shortcuts, scheduled job and its log now live
// in her own data folder. Hers are taken over once, at the start of either program.
#pragma once

#include <string>
#include <vector>

namespace qor {

struct CEarlierFiles {
    std::vector<std::string> taken; // the paths taken over
    std::vector<std::string> refused; // "path: why" for a file of hers that another user could have written
};

// Moves each of the user's own files among these from the per-machine folder to her own data
// folder, where she has none of that name yet. Only a file nobody else could have written is hers:
// one name, writable by her alone, reached without a link. What the office account (or root) keeps
// there as the office job's (its schedule and log) stays.
CEarlierFiles TakeOverEarlierFiles();

} // namespace qor

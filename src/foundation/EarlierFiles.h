// Files an earlier version kept for each user in the per-machine folder, which every user of the
// machine shared: a user's own calls-for-review tree, shortcuts, scheduled job and its log now live
// in her own data folder. Hers are taken over once, at the start of either program.
#pragma once

#include <string>
#include <vector>

namespace qor {

// Moves each of the user's own files among these from the per-machine folder to her own data
// folder, where she has none of that name yet; what the office account keeps there as the office
// job's (its schedule and log) stays. The paths taken over.
std::vector<std::string> TakeOverEarlierFiles();

} // namespace qor

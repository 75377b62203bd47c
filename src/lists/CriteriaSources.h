// The rules of the sources a recording list is compiled from, while the user picks them: when
// sub-folders are searched, a folder inside a listed one adds nothing, and one holding listed
// folders takes their place, so no recording is counted or read twice.
#pragma once

#include <string>
#include <vector>

namespace qor {

// Adds the folder (or recording file) unless it is empty or already listed; with sub-folders, also
// unless a listed folder holds it, and it replaces the listed sources it holds. True when the
// list changed.
bool AddSource(std::vector<std::string>& sources, const std::string& folder, bool subFolders);

// Drops every source that another listed source holds, keeping the first of two equal ones; run
// when sub-folders are switched on.
void PruneForSubFolders(std::vector<std::string>& sources);

} // namespace qor

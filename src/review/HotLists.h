// The calls-for-review tree: groups of links to recordings, shared by every user of the machine
// in hotlist.xml. Reached through Singleton<CHotLists>.
#pragma once

#include "review/TreeStore.h"

#include <string>

namespace qor {

class CHotLists : public CTreeStore {
public:
    using HOTLISTENTRY = CTreeStoreEntry;

    static constexpr const char* kLockName = "HOTLISTS";
    static constexpr const char* kElementName = "hotlist";
    static constexpr const char* kFileName = "hotlist.xml";

    CHotLists();
};

// The name a new link to a recording gets: the file's base name followed by ".qor".
std::string LinkNameForFile(const std::string& path);
// What may be linked, copied or dropped as a call: an existing file (after links) whose name ends
// in ".qor" in any case.
bool IsRecordingFile(const std::string& path);

} // namespace qor

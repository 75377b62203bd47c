// The shortcut tree: groups of folders that recordings are listed from, shared by every user of
// the machine in shortcut.xml. Reached through Singleton<CShortCuts>.
#pragma once

#include "review/TreeStore.h"

namespace qor {

class CShortCuts : public CTreeStore {
public:
    using SHORTCUTENTRY = CTreeStoreEntry;

    static constexpr const char* kLockName = "SHORTCUTS";
    static constexpr const char* kElementName = "shortcut";
    static constexpr const char* kFileName = "shortcut.xml";

    CShortCuts();
};

} // namespace qor

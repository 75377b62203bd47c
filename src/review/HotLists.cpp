#include "review/HotLists.h"

#include <filesystem>

namespace qor {
namespace {

// The tree a machine starts with: one top group holding four groups to sort calls into.
std::vector<CTreeStoreEntry> DefaultEntries()
{
    return {
        { 0, CTreeStore::kNoParent, "Links to Recordings...", "", true },
        { 1, 0, "Important Calls", "", true },
        { 2, 0, "Won Sales", "", true },
        { 3, 0, "Lost Sales", "", true },
        { 4, 0, "Personal", "", true },
    };
}

} // namespace

CHotLists::CHotLists()
    : CTreeStore(kLockName, kElementName, kFileName, DefaultEntries())
{
}

std::string LinkNameForFile(const std::string& path)
{
    return std::filesystem::path(path).stem().string() + ".qor";
}

} // namespace qor

#include "review/HotLists.h"

#include <filesystem>
#include <strings.h>
#include <sys/stat.h>

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

bool IsRecordingFile(const std::string& path)
{
    const std::string extension = std::filesystem::path(path).extension().string();
    if (extension.size() != 4 || strcasecmp(extension.c_str(), ".qor") != 0)
        return false;
    struct stat status { };
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

} // namespace qor

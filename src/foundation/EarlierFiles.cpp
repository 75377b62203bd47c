#include "foundation/EarlierFiles.h"

#include "foundation/AtomicFile.h"
#include "foundation/DataFolders.h"
#include "foundation/FileIdentity.h"
#include "foundation/FolderSync.h"
#include "foundation/Logger.h"
#include "foundation/Settings.h"
#include "foundation/TrustedFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

struct CEarlierFile {
    const char* name;
    bool officeJob; // the office job's file when the office account runs the program
};

// The stores' and the scheduled job's files, by the names they have always had.
constexpr CEarlierFile kEarlierFiles[] = {
    { "hotlist.xml", false },
    { "shortcut.xml", false },
    { "schedule.xml", true },
    { "archive.log", true },
};

} // namespace

std::vector<std::string> TakeOverEarlierFiles()
{
    std::vector<std::string> taken;
    const bool officeAccount = geteuid() == CSettings::GetOfficeAccount();
    CFolderHandle folder;
    if (!OpenTrustedFolder(GetOfficeConfigurationFolder(), folder))
        return taken;
    for (const CEarlierFile& file : kEarlierFiles) {
        if (file.officeJob && officeAccount)
            continue;
        struct stat earlier { };
        if (fstatat(folder.Descriptor(), file.name, &earlier, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(earlier.st_mode)
            || earlier.st_uid != geteuid())
            continue;
        const std::string own = CSettings::GetConfigFilePath(true, file.name);
        const std::string old = folder.PathOf(file.name);
        std::string content;
        if (struct stat there{};
            lstat(own.c_str(), &there) == 0 || !ReadWholeFile(old, content) || !WriteOwnFile(own, content, 0600))
            continue;
        // Gone from the shared folder only once the copy is in place, and only the very file read.
        if (CFileIdentity now; IdentityAt(folder.Descriptor(), file.name, now)
            && now
                == CFileIdentity{
                    static_cast<std::uint64_t>(earlier.st_dev), static_cast<std::uint64_t>(earlier.st_ino) })
            unlinkat(folder.Descriptor(), file.name, 0);
        QOR_LOG("Settings: %s taken over from %s\r\n", own.c_str(), old.c_str());
        taken.push_back(old);
    }
    return taken;
}

} // namespace qor

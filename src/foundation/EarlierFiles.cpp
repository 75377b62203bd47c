#include "foundation/EarlierFiles.h"

#include "foundation/AtomicFile.h"
#include "foundation/DataFolders.h"
#include "foundation/FileIdentity.h"
#include "foundation/FolderSync.h"
#include "foundation/Logger.h"
#include "foundation/Settings.h"
#include "foundation/TrustedFolder.h"
#include "foundation/WriteTrust.h"

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

CEarlierFiles TakeOverEarlierFiles()
{
    CEarlierFiles result;
    // Root's files there are the office job's, whoever runs it now.
    const bool officeAccount = geteuid() == 0 || geteuid() == CSettings::GetOfficeAccount();
    CFolderHandle folder;
    if (!OpenTrustedFolder(GetOfficeConfigurationFolder(), folder))
        return result;
    for (const CEarlierFile& file : kEarlierFiles) {
        if (file.officeJob && officeAccount)
            continue;
        const int descriptor
            = openat(folder.Descriptor(), file.name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (descriptor < 0)
            continue;
        struct stat earlier { };
        const bool hers = fstat(descriptor, &earlier) == 0 && S_ISREG(earlier.st_mode) && earlier.st_uid == geteuid();
        const std::string old = folder.PathOf(file.name);
        const std::string own = CSettings::GetConfigFilePath(true, file.name);
        // Another name for it (a hard link another user made) or write access for others: he
        // could have put his own job or links into it.
        const char* refusal = !hers                      ? nullptr
            : earlier.st_nlink != 1                      ? "it has another name, which another user may have made"
            : !OnlyItsOwnerCanWrite(earlier, descriptor) ? "others can write it"
                                                         : nullptr;
        std::string content;
        struct stat there { };
        const bool take
            = hers && !refusal && lstat(own.c_str(), &there) != 0 && ReadAll(descriptor, content, 64u << 20);
        close(descriptor);
        if (refusal) {
            QOR_LOG("Settings: %s is not taken over: %s\r\n", old.c_str(), refusal);
            result.refused.push_back(old + ": not taken over as yours: " + refusal);
            continue;
        }
        if (!take || !WriteOwnFile(own, content, 0600))
            continue;
        // Gone from the shared folder only once the copy is in place, and only the very file read.
        if (CFileIdentity now; IdentityAt(folder.Descriptor(), file.name, now)
            && now
                == CFileIdentity{
                    static_cast<std::uint64_t>(earlier.st_dev), static_cast<std::uint64_t>(earlier.st_ino) })
            unlinkat(folder.Descriptor(), file.name, 0);
        QOR_LOG("Settings: %s taken over from %s\r\n", own.c_str(), old.c_str());
        result.taken.push_back(old);
    }
    return result;
}

} // namespace qor

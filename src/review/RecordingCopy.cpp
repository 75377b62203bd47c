#include "review/RecordingCopy.h"

#include "foundation/AtomicFile.h"
#include "foundation/FileIdentity.h"
#include "foundation/WriteTrust.h"

#include <filesystem>
#include <sys/stat.h>

namespace qor {

std::string CopyDestination(const std::string& recording, const std::string& folder)
{
    return (std::filesystem::path(folder) / (std::filesystem::path(recording).stem().string() + ".qor")).string();
}

CRecordingCopy CopyRecordingInto(const std::string& recording, const std::string& folder, bool replaceOther)
{
    const std::string destination = CopyDestination(recording, folder);
    std::string content;
    // A link another user planted among shared calls never makes us copy what it points to.
    if (!ReadTrustedFile(recording, content))
        return CRecordingCopy::Failed;
    std::string existing;
    CFileIdentity source, target;
    if (IdentityOfPath(destination, target)) {
        // A link another user put there leads wherever he chose (to a call of ours he may not
        // read, say): what it names decides nothing here.
        if (struct stat name{};
            lstat(destination.c_str(), &name) == 0 && S_ISLNK(name.st_mode) && !OwnedByUsOrRoot(name.st_uid))
            return CRecordingCopy::OthersLink;
        // Dropped where it already lies: copying it over itself could only lose it.
        if (IdentityOfPath(recording, source) && source == target)
            return CRecordingCopy::AlreadyThere;
        if (ReadTrustedFile(destination, existing) && existing == content)
            return CRecordingCopy::AlreadyThere;
        if (!replaceOther)
            return CRecordingCopy::NameTaken;
    }
    return WriteCallCopy(destination, content, AccessOfCall(recording, false),
               replaceOther ? CExistingFile::Replace : CExistingFile::Keep)
        ? CRecordingCopy::Copied
        : CRecordingCopy::Failed;
}

} // namespace qor

#include "review/RecordingCopy.h"

#include "foundation/AtomicFile.h"
#include "foundation/FileIdentity.h"

#include <filesystem>

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
        // Dropped where it already lies: copying it over itself could only lose it.
        if (IdentityOfPath(recording, source) && source == target)
            return CRecordingCopy::AlreadyThere;
        if (ReadWholeFile(destination, existing, content.size()) && existing == content)
            return CRecordingCopy::AlreadyThere;
        if (!replaceOther)
            return CRecordingCopy::NameTaken;
    }
    return WriteFileAtomically(destination, content, 0666, replaceOther ? CExistingFile::Replace : CExistingFile::Keep)
        ? CRecordingCopy::Copied
        : CRecordingCopy::Failed;
}

} // namespace qor

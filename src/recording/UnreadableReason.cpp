#include "recording/UnreadableReason.h"

#include "recording/RecordFileHdr.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace qor {

Unreadable ClassifyUnreadable(const std::string& path, const CRvRecordFileHdr& header, int loadResult)
{
    if (header.FileMissing())
        return Unreadable::Missing;
    if (access(path.c_str(), R_OK) != 0)
        return Unreadable::NoAccess;
    if (loadResult < 0)
        return Unreadable::NotRecording;
    if (header.IsCutShort())
        return Unreadable::CutShort;
    // A header that opened with the passphrase leaves only the body to blame.
    if (header.IsEncrypted() && loadResult <= 0)
        return Unreadable::WrongPassphrase;
    return Unreadable::Damaged;
}

std::string UnreadableReason(
    const std::string& path, const CRvRecordFileHdr& header, int loadResult, const std::string& passphraseHint)
{
    switch (ClassifyUnreadable(path, header, loadResult)) {
    case Unreadable::Missing:
        return "no such recording (or not a regular file)";
    case Unreadable::NoAccess:
        return std::string("cannot be read: ") + std::strerror(errno);
    case Unreadable::NotRecording:
        return "not a recording";
    case Unreadable::CutShort:
        return "cut short inside its header: not a whole recording";
    case Unreadable::WrongPassphrase:
        return "encrypted, and the passphrase does not fit " + passphraseHint;
    case Unreadable::Damaged:
        break;
    }
    return "the recording is damaged or cut short";
}

} // namespace qor

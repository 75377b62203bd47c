#include "recording/UnreadableReason.h"

#include "recording/RecordFileHdr.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {

namespace {

bool IsKnownCodec(std::int32_t tag)
{
    return tag == kCodecALaw || tag == kCodecMuLaw || tag == kCodecImaAdpcm || tag == kCodecGsm;
}

} // namespace

Unreadable ClassifyUnreadable(const std::string& path, const CRvRecordFileHdr& header, int loadResult)
{
    if (header.FileMissing())
        return Unreadable::Missing;
    if (access(path.c_str(), R_OK) != 0)
        return Unreadable::NoAccess;
    struct stat status { };
    const bool sized = stat(path.c_str(), &status) == 0;
    if (sized && status.st_size == 0)
        return Unreadable::Empty;
    if (loadResult < 0)
        return Unreadable::NotRecording;
    if (header.IsCutShort())
        return Unreadable::CutShort;
    // A header that opened with the passphrase leaves only the body to blame.
    if (header.IsEncrypted() && loadResult <= 0)
        return Unreadable::WrongPassphrase;
    if (loadResult > 0 && !IsKnownCodec(header.GetCodecTag()))
        return Unreadable::NotRecording;
    if (loadResult > 0 && sized && status.st_size <= header.HeaderLength())
        return Unreadable::NoSound;
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
    case Unreadable::Empty:
        return "empty: the file holds nothing";
    case Unreadable::NotRecording:
        return "not a recording";
    case Unreadable::CutShort:
        return "cut short inside its header: not a whole recording";
    case Unreadable::WrongPassphrase:
        return "encrypted, and the passphrase does not fit " + passphraseHint;
    case Unreadable::NoSound:
        return "holds no sound, only the call's details (its audio was removed, as archiving with \"Remove audio\" "
               "does)";
    case Unreadable::Damaged:
        break;
    }
    return "the recording is damaged or cut short";
}

} // namespace qor

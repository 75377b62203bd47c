#include "recording/UnreadableReason.h"

#include "recording/RecordFileHdr.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace qor {

std::string UnreadableReason(
    const std::string& path, const CRvRecordFileHdr& header, int loadResult, const std::string& passphraseHint)
{
    if (header.FileMissing())
        return "no such recording (or not a regular file)";
    if (access(path.c_str(), R_OK) != 0)
        return std::string("cannot be read: ") + std::strerror(errno);
    if (loadResult < 0)
        return "not a recording";
    if (header.IsCutShort())
        return "cut short inside its header: not a whole recording";
    if (header.IsEncrypted())
        return "encrypted, and the passphrase does not fit " + passphraseHint;
    return "the recording is damaged or cut short";
}

} // namespace qor

#include "recording/RecordingToSend.h"

#include "foundation/FileIdentity.h"
#include "foundation/TrustedFolder.h"

#include <cerrno>
#include <unistd.h>

namespace qor {

int OpenRecordingToSend(CRvRecordFile& recording, const std::string& path, const std::string& passphrase)
{
    const int held = OpenTrustedFile(path);
    if (held < 0 && errno == EPERM)
        return kRefusedLink;
    // A file that cannot be opened at all is left to OpenAndWait, which says why.
    const CFileIdentity trusted = held < 0 ? CFileIdentity{} : IdentityOf(held);
    if (held >= 0)
        close(held);
    const int opened = recording.OpenAndWait(path, passphrase);
    // The name may have been swapped for a link since the look: only the file looked at is sent.
    if (opened == 1 && !(recording.Identity() == trusted)) {
        recording.Open("", passphrase);
        return kRefusedLink;
    }
    return opened;
}

} // namespace qor

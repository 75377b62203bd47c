// Why a recording could not be read, in words a user can act on; the CLI and the desktop program
// say the same, each with where it takes the right passphrase.
#pragma once

#include <string>

namespace qor {

class CRvRecordFileHdr;

enum class Unreadable { Missing, NoAccess, Empty, NotRecording, CutShort, WrongPassphrase, NoSound, Damaged };

// loadResult is what the header's Load (or the recording's Open) returned.
Unreadable ClassifyUnreadable(const std::string& path, const CRvRecordFileHdr& header, int loadResult);

// passphraseHint follows the words for an encrypted call whose passphrase does not fit.
std::string UnreadableReason(
    const std::string& path, const CRvRecordFileHdr& header, int loadResult, const std::string& passphraseHint);

} // namespace qor

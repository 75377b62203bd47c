// Why a recording could not be read, in words a user can act on; the CLI and the desktop program
// say the same, each adding where the right passphrase is given.
#pragma once

#include <string>

namespace qor {

class CRvRecordFileHdr;

inline const std::string kPassphraseDoesNotFit = "encrypted, and the passphrase does not fit";

// loadResult is what the header's Load (or the recording's Open) returned.
std::string UnreadableReason(const std::string& path, const CRvRecordFileHdr& header, int loadResult);

} // namespace qor

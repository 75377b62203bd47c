// Why a recording could not be read, in words a user can act on.
#pragma once

#include <string>

namespace qor {
class CRvRecordFileHdr;
}

namespace qor::cli {

inline const std::string kPassphraseHint = "(give it with --passphrase-file or QOR_PASSPHRASE)";
inline const std::string kWrongPassphrase = "encrypted, and the passphrase does not fit " + kPassphraseHint;

// As the desktop program says it, with where a script gives the passphrase.
std::string WhyUnreadable(const std::string& path, const CRvRecordFileHdr& header, int loadResult);

} // namespace qor::cli

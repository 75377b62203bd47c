// Why a recording could not be read, in words a user can act on.
#pragma once

#include <string>

namespace qor {
class CRvRecordFileHdr;
}

namespace qor::cli {

inline const std::string kWrongPassphrase
    = "encrypted, and the passphrase does not fit (give it with --passphrase-file or QOR_PASSPHRASE)";

// loadResult is what the header's Load (or the recording's Open) returned.
std::string WhyUnreadable(const std::string& path, const CRvRecordFileHdr& header, int loadResult);

} // namespace qor::cli

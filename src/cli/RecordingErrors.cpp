#include "cli/RecordingErrors.h"

#include "recording/UnreadableReason.h"

namespace qor::cli {

std::string WhyUnreadable(const std::string& path, const CRvRecordFileHdr& header, int loadResult)
{
    const std::string reason = UnreadableReason(path, header, loadResult);
    return reason == kPassphraseDoesNotFit ? kWrongPassphrase : reason;
}

} // namespace qor::cli

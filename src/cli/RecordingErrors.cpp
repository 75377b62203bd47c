#include "cli/RecordingErrors.h"

#include "recording/UnreadableReason.h"

namespace qor::cli {

std::string WhyUnreadable(const std::string& path, const CRvRecordFileHdr& header, int loadResult)
{
    return UnreadableReason(path, header, loadResult, kPassphraseHint);
}

} // namespace qor::cli

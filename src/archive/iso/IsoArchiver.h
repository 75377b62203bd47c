// The ISO 9660 archiver: each call goes into an image volume held in memory as it is added, and
// the whole image (ISO 9660, Rock Ridge and Joliet names) is written at the end, replacing any file
// of that name only once complete, then read back to learn which calls are safe in it.
#pragma once

#include "archive/ArchiveMessages.h"
#include "archive/Archiver.h"
#include "archive/iso/IsoReadBack.h"
#include "archive/iso/IsoSizeEstimate.h"
#include "archive/iso/IsoVolume.h"

#include <atomic>
#include <string>
#include <vector>

namespace qor {

class CISOArchiver : public IArchiver {
public:
    static constexpr int kKind = 3;
    static constexpr const char* kCancelledText = "You have canceled the operation";

    // Messages may be null; then nothing is shown.
    CISOArchiver(ArchiveProgressFunction progress, IArchiveMessages* messages);

    int Write() override;
    int Cancel() override;
    int Add(const std::string& target, const std::string& source, const std::string& folder,
        std::int64_t startTime) override;
    int Kind() const override { return kKind; }
    // The counters start again, but the image keeps what it holds, and so its size.
    void Reset() override;

private:
    int RefuseCall(int libraryCode);

    ArchiveProgressFunction m_progress;
    CIsoVolume m_volume;
    CIsoSizeEstimate m_estimate;
    std::string m_target;
    std::vector<CIsoEntry> m_entries;
    std::atomic<bool> m_cancelled = false;
    bool m_refusedOne = false;
};

} // namespace qor

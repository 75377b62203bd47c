// Archives calls as copies in a folder tree: one folder per level of each call's folder inside the
// archive, the copy dated to the call's start. Copies are made in Write, flushed to disk together,
// then read back and compared with their originals.
#pragma once

#include "archive/ArchiveMessages.h"
#include "archive/Archiver.h"

#include <atomic>
#include <set>
#include <string>
#include <vector>

namespace qor {

class CDiskArchiver : public IArchiver {
public:
    CDiskArchiver(ArchiveProgressFunction progress, IArchiveMessages* messages);

    int Write() override;
    int Cancel() override;
    int Add(const std::string& target, const std::string& source, const std::string& folder,
        std::int64_t startTime) override;
    int Kind() const override { return 2; }
    void Reset() override;

private:
    struct CPending {
        std::string root;
        std::string source;
        std::string folder;
        std::int64_t startTime;
    };
    struct CCopied {
        std::string source;
        std::string copy;
    };

    // Copies one call; the copy's path on success, empty on failure (already reported).
    std::string CopyOne(const CPending& call);

    ArchiveProgressFunction m_progress;
    std::vector<CPending> m_queue;
    std::vector<CCopied> m_copied;
    std::set<std::string> m_madeFolders; // made (or found) during this Write
    std::atomic<bool> m_running{ false };
};

} // namespace qor

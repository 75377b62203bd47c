// Archives calls as copies in a folder tree: one folder per level of each call's folder inside the
// archive, the copy dated to the call's start. Every folder a copy goes into is ours and kept from
// others, and every copy is ours and writable by nobody else. A copy never replaces anything: it
// is written as a partial file and takes its name only where no file is; a copy of ours already
// there with the same content is not copied again, any other file of that name makes it take a
// numbered name, and the original itself (an archive folder inside the folders archived) is never
// copied onto. Copies are flushed to disk together, then read back from the disk and compared with
// their originals.
#pragma once

#include "archive/ArchiveMessages.h"
#include "archive/Archiver.h"
#include "foundation/FileIdentity.h"
#include "foundation/TrustedFolder.h"

#include <atomic>
#include <map>
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
        CFileIdentity sourceIdentity; // the very files that were copied from and to
        CFileIdentity copyIdentity;
    };
    enum class Outcome { Copied, Skipped, Stop };

    // The folder that receives the call, made level by level, each reached from the one above and
    // never through another user's link, each ours and kept from others; null on failure
    // (reported), with stop set when no later call can be copied either.
    const CFolderHandle* MakeFolders(const CPending& call, bool& stop);
    // Copies one call, or finds it copied already; Skipped leaves this call out, Stop the rest too.
    Outcome CopyOne(const CPending& call, CCopied& copied);
    void VerifyCopies();

    ArchiveProgressFunction m_progress;
    std::vector<CPending> m_queue;
    std::vector<CCopied> m_copied;
    std::map<std::string, CFolderHandle> m_folders; // made (or found) during this Write
    std::map<std::string, std::string> m_refusedFolders; // no place for copies, with the reason
    std::atomic<bool> m_running{ false };
};

} // namespace qor

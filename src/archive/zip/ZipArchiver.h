// The ZIP archiver: queues the calls of a job and writes them into one ZIP file in a single pass,
// keeping the archive under the job's size threshold. A call whose name the archive already holds
// is not added again when the content is the same, and gets a numbered name when it differs. Only
// calls read back intact from the flushed file are named as verified, so nothing is deleted or
// stripped that the archive does not hold.
#pragma once

#include "archive/ArchiveMessages.h"
#include "archive/Archiver.h"
#include "archive/zip/ZipArchive.h"

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qor {

class CZIPArchiver : public IArchiver {
public:
    // messages may be null; errors then only reach the log.
    CZIPArchiver(ArchiveProgressFunction progress, IArchiveMessages* messages);

    // The number of calls written; kFailed when a call or the archive could not be written (a call
    // that cannot be read is left out and the others still go in), and kCancelled after Cancel.
    // Calls written before either stay in the archive.
    int Write() override;
    int Cancel() override;
    int Add(const std::string& target, const std::string& source, const std::string& folder,
        std::int64_t startTime) override;
    int Kind() const override { return 2; }

private:
    struct CQueuedCall {
        std::string target;
        std::string source;
        std::string folder;
    };
    // The archive being written, the source of each entry this run added to it, and the entries it
    // already held that hold a queued call.
    struct COpenArchive {
        std::unique_ptr<CZipArchive> archive;
        std::vector<std::string> sources;
        std::vector<std::pair<CZipEntryRecord, std::string>> present;
        // The very file each call was read from: only that one may later be deleted or stripped.
        std::map<std::string, CFileIdentity> read;
    };
    enum class Outcome { Kept, AlreadyThere, LeftOut, Skipped, Failed, Cancelled };

    bool OpenArchive(const std::string& target, COpenArchive& open);
    Outcome AddCall(const CQueuedCall& call, COpenArchive& open);
    // The name the call gets: its own, or a numbered one when the archive holds another call under
    // it; empty when the archive already holds this very content (then recorded as present).
    std::string EntryNameFor(const CQueuedCall& call, int source, const std::string& name, COpenArchive& open);
    // Finishes the archive and reads back what this run put into it; false when it could not be
    // finished, and then none of its calls count as written.
    bool FinishArchive(COpenArchive& open, int& written);

    ArchiveProgressFunction m_progress;
    std::vector<CQueuedCall> m_queue;
    std::atomic<bool> m_cancelled{ false };
};

} // namespace qor

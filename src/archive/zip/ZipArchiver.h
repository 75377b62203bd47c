// The ZIP archiver: queues the calls of a job and writes them into one ZIP file in a single pass,
// keeping the archive under the job's size threshold. Only calls read back intact from the flushed
// file are named as verified, so nothing is deleted or stripped that the archive does not hold.
#pragma once

#include "archive/ArchiveMessages.h"
#include "archive/Archiver.h"
#include "archive/zip/ZipArchive.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace qor {

class CZIPArchiver : public IArchiver {
public:
    // messages may be null; errors then only reach the log.
    CZIPArchiver(ArchiveProgressFunction progress, IArchiveMessages* messages);

    // The number of calls written; kFailed when a call or the archive could not be written, and
    // kCancelled after Cancel. Calls written before either stay in the archive.
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
    // The archive being written, and the source of each entry this run kept in it.
    struct COpenArchive {
        std::unique_ptr<CZipArchive> archive;
        std::vector<std::string> sources;
    };
    enum class Outcome { Kept, LeftOut, Failed, Cancelled };

    bool OpenArchive(const std::string& target, COpenArchive& open);
    Outcome AddCall(const CQueuedCall& call, COpenArchive& open);
    // Finishes the archive and reads back what this run put into it; false when it could not be
    // finished, and then none of its calls count as written.
    bool FinishArchive(COpenArchive& open, int& written);

    ArchiveProgressFunction m_progress;
    std::vector<CQueuedCall> m_queue;
    std::atomic<bool> m_cancelled{ false };
};

} // namespace qor

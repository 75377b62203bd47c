// Holds the one archiver of the job being run: makes the right one for the archive method and
// forwards adding, writing and cancelling to it.
#pragma once

#include "archive/ArchiveMessages.h"
#include "archive/Archiver.h"

#include <memory>
#include <mutex>
#include <string>

namespace qor {

class CArchiverHolder {
public:
    static constexpr int kNoArchiver = -100;

    // Makes the archiver for the method (1 disk, 2 ZIP, 3 ISO) with its threshold; kNoArchiver for
    // any other method, -1 when it cannot be made, 0 otherwise.
    int Create(const std::string& target, std::int32_t archiveType, std::int32_t thresholdMB,
        ArchiveProgressFunction progress, IArchiveMessages* messages);
    // Hands a call to the archiver, its folder less the prefix (see StripFolderPrefix). The
    // archiver's result, or -1 without one.
    int Add(const std::string& source, const std::string& folder, const std::string& prefix, std::int64_t startTime);
    int Write();
    // Safe from any thread while the worker adds or writes.
    int Cancel();
    int Count() const;
    void Release();

    std::int32_t GetArchiveType() const { return m_archiveType; }
    const std::string& GetTarget() const { return m_target; }
    // The calls read back intact from the finished archive, with what each copy holds.
    VerifiedCopies Verified() const;
    // Whether the archiver left the call out for the size limit.
    bool LeftOut(const std::string& source) const;
    // Why the archiver did not archive calls, where it knows; see IArchiver.
    std::map<std::string, std::string> WhyNotArchived() const;
    // The files the run made anew.
    std::vector<CMadeFile> Made() const;

private:
    mutable std::mutex m_mutex; // guards m_archiver against a Cancel from another thread
    std::unique_ptr<IArchiver> m_archiver;
    std::int32_t m_archiveType = 0;
    std::string m_target;
};

} // namespace qor

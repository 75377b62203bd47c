// One archive job: where the archive goes, how it is written and laid out, what happens to the
// originals, which calls are taken, and the calls themselves (the paths to archive before a run,
// the calls archived after it). The archive log keeps one per job run.
#pragma once

#include "archive/ArchiveTypes.h"
#include "lists/FileListEntry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qor {

class CJobArchListEntry {
public:
    static constexpr std::size_t kUserNameCapacity = 128;
    static constexpr std::size_t kCommentCapacity = 1024;

    enum RunState : std::int32_t { kNew = 0, kQueued = 1, kStarted = 2 };

    // The time the job ran, its key in the archive log; also sets the date and time text.
    void SetJobTime(std::int64_t seconds);
    std::int64_t GetJobTime() const { return m_jobTime; }
    // The job time as the user's short date and the time without seconds.
    const std::string& GetDateTimeText() const { return m_dateTimeText; }

    // Appends a call (or a path to archive) and adds its file's size to the total.
    void AddCall(const CRvFileListEntry& call);
    void ClearCalls();
    const std::vector<CRvFileListEntry>& Calls() const { return m_calls; }
    std::vector<CRvFileListEntry>& Calls() { return m_calls; }
    std::uint64_t GetTotalSize() const { return m_totalSize; }

    void SetUserName(const std::string& name);
    const std::string& GetUserName() const { return m_userName; }
    void SetComment(const std::string& comment);
    const std::string& GetComment() const { return m_comment; }

    std::int32_t archiveType = kArchiveZip;
    std::int32_t structureType = kStructureNone;
    std::int32_t mediaProcessing = kKeepOriginals;
    std::int32_t callCount = 0;
    std::int32_t thresholdMB = 0;
    bool abortIfExceeds = false;
    std::int32_t runState = kNew;
    std::int32_t selectionType = kSelectAll;
    std::string target; // a ".zip" or ".iso" file, or a folder for the disk method
    std::int64_t startTime = 0; // when the collection began and ended
    std::int64_t endTime = 0;
    bool originalsModified = false;
    // What became of the originals after the run, as the archive log records it ("Delete calls: 3
    // of 4"); empty when they were kept.
    std::string originalsNote;
    // Where the archive log's path lookup resumes within this job's calls.
    std::size_t searchCursor = 0;

private:
    std::int64_t m_jobTime = 0;
    std::string m_dateTimeText;
    std::uint64_t m_totalSize = 0;
    std::string m_userName;
    std::string m_comment;
    std::vector<CRvFileListEntry> m_calls;
};

} // namespace qor

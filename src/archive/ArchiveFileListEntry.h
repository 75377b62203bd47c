// One call an archive job took: its list entry, and where, when and how it was archived.
#pragma once

#include "lists/FileListEntry.h"

#include <cstdint>
#include <string>

namespace qor {

class CArchiveFileListEntry : public CRvFileListEntry {
public:
    static constexpr std::size_t kArchiveNameCapacity = 128;

    CArchiveFileListEntry() = default;
    explicit CArchiveFileListEntry(const CRvFileListEntry& entry)
        : CRvFileListEntry(entry)
    {
    }

    // Marks the call as taken by an archive at target with the given method and processing.
    void MarkArchived(const std::string& target, std::int32_t method, std::int32_t processing, std::int64_t when);

    bool IsArchived() const { return m_archived; }
    std::int32_t GetMediaProcessing() const { return m_mediaProcessing; }
    std::int64_t GetArchiveTime() const { return m_archiveTime; }
    std::int32_t GetArchiveType() const { return m_archiveType; }
    const std::string& GetArchiveName() const { return m_archiveName; }

private:
    bool m_archived = false;
    std::int32_t m_mediaProcessing = 0;
    std::int64_t m_archiveTime = 0;
    std::int32_t m_archiveType = 0;
    std::string m_archiveName;
};

} // namespace qor

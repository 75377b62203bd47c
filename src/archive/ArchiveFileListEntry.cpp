#include "archive/ArchiveFileListEntry.h"

#include "foundation/Utf8Text.h"

namespace qor {

void CArchiveFileListEntry::MarkArchived(
    const std::string& target, std::int32_t method, std::int32_t processing, std::int64_t when)
{
    m_archived = true;
    m_archiveName = std::string(CutOnCharacterBoundary(target, kArchiveNameCapacity));
    m_archiveType = method;
    m_mediaProcessing = processing;
    m_archiveTime = when;
}

} // namespace qor

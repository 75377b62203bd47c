#include "archive/zip/ZipCentralDirectory.h"

namespace qor {

CZipCentralDirectory::CZipCentralDirectory(const CZipDirectory& existing)
    : m_existingHeaders(existing.rawHeaders)
    , m_existingCount(existing.entries.size())
    , m_comment(existing.comment)
{
}

void CZipCentralDirectory::Add(const CZipEntryRecord& entry)
{
    m_addedHeaderStarts.push_back(m_addedHeaders.size());
    m_addedHeaders += EncodeCentralHeader(entry);
    m_added.push_back(entry);
}

void CZipCentralDirectory::RemoveLast()
{
    if (m_added.empty())
        return;
    m_addedHeaders.resize(m_addedHeaderStarts.back());
    m_addedHeaderStarts.pop_back();
    m_added.pop_back();
}

std::uint64_t CZipCentralDirectory::WrittenSize(std::uint64_t directoryOffset) const
{
    // The end records hold only counts and offsets, so their length is that of any encoding.
    return HeadersSize() + EncodeDirectoryEnd(EntryCount(), directoryOffset, HeadersSize(), m_comment).size();
}

std::string CZipCentralDirectory::Encode(std::uint64_t directoryOffset) const
{
    return m_existingHeaders + m_addedHeaders
        + EncodeDirectoryEnd(EntryCount(), directoryOffset, HeadersSize(), m_comment);
}

} // namespace qor

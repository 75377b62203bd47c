// The central directory of an archive being added to: the headers it already held, kept byte for
// byte, followed by the entries added in this run. It knows its written size at every step, so the
// archive's occupied size costs nothing to ask for, however many entries the archive holds.
#pragma once

#include "archive/zip/ZipDirectoryReader.h"
#include "archive/zip/ZipRecords.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qor {

class CZipCentralDirectory {
public:
    CZipCentralDirectory() = default;
    // Starts from the directory an existing archive holds.
    explicit CZipCentralDirectory(const CZipDirectory& existing);

    void Add(const CZipEntryRecord& entry);
    void RemoveLast();

    const std::vector<CZipEntryRecord>& AddedEntries() const { return m_added; }
    std::uint64_t EntryCount() const { return m_existingCount + m_added.size(); }

    // The bytes the directory and its end records take when written at directoryOffset.
    std::uint64_t WrittenSize(std::uint64_t directoryOffset) const;
    std::string Encode(std::uint64_t directoryOffset) const;

private:
    std::uint64_t HeadersSize() const { return m_existingHeaders.size() + m_addedHeaders.size(); }

    std::string m_existingHeaders;
    std::uint64_t m_existingCount = 0;
    std::string m_comment;
    std::vector<CZipEntryRecord> m_added;
    std::string m_addedHeaders;
    // Where each added entry's header starts in m_addedHeaders, so the last can be taken back.
    std::vector<std::size_t> m_addedHeaderStarts;
};

} // namespace qor

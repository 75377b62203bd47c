// A file that replaces another only once it is complete: it is written under a temporary name in
// the same folder, then flushed to disk and renamed into place, so the old file (if any) stays as
// it was until the new one is whole. Owns the temporary file and removes it unless committed.
#pragma once

#include <cstddef>
#include <string>

namespace qor {

class CReplacementFile {
public:
    explicit CReplacementFile(std::string target);
    ~CReplacementFile();
    CReplacementFile(const CReplacementFile&) = delete;
    CReplacementFile& operator=(const CReplacementFile&) = delete;

    // Each returns 0, or the system's error number.
    int Create();
    int Write(const unsigned char* data, std::size_t size);
    // Flushes the file, renames it to the target and flushes the folder, so the rename survives a
    // crash too.
    int Commit();

private:
    std::string m_target;
    std::string m_temporary;
    int m_descriptor = -1;
    bool m_committed = false;
};

} // namespace qor

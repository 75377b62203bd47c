// The promise archiving keeps, checked from outside with the real tools: at every moment each call
// exists at its original place with all its bytes, or in an archive that reads it back intact
// (unzip -t, xorriso, the folder tree itself) and that archive.log names.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace qor::test {

class CCallLedger {
public:
    // Remembers a call as it is now: its path and every byte.
    void Record(const std::string& path);
    // Remembers a call that may be in any of these states (one that was still being written when
    // it was archived and deleted: its last state, or the one before the last write).
    void RecordAnyOf(const std::string& path, const std::vector<std::string>& contents);
    // Every call below folder.
    void RecordFolder(const std::string& folder);
    std::size_t Size() const { return m_calls.size(); }

    // One line for each call the promise fails for, and for each archive the log names that the
    // tools refuse; empty when it holds. The archive log is ours, or the one at logPath.
    std::vector<std::string> Violations(const std::string& logPath = "") const;

private:
    std::map<std::string, std::vector<std::string>> m_calls;
};

// The bytes of every file an archive holds, as the real tools read them back: unzip for a ".zip"
// (after "unzip -t" accepts it), xorriso for an ".iso", the tree itself for a folder (without
// partial files). False, with why, when the tool refuses the archive.
bool ArchiveContents(const std::string& archive, std::vector<std::string>& contents, std::string& why);

// Partial files (".qor-*.partial") anywhere below folder.
std::vector<std::string> PartialFilesBelow(const std::string& folder);

std::string Joined(const std::vector<std::string>& lines);

} // namespace qor::test

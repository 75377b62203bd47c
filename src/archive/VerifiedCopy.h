// What an archive holds of one call, as read back from the finished archive on disk: the copy's
// size and CRC-32. An original may be deleted or stripped only while its content still matches
// its copy, so a call that changed after it was read (a recorder still writing) is kept.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace qor {

struct CVerifiedCopy {
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    bool operator==(const CVerifiedCopy&) const = default;
};

// The verified copies of a job, by the original's path.
using VerifiedCopies = std::map<std::string, CVerifiedCopy>;

// The size and CRC-32 of everything an open file holds, read from its start; false on a read error.
bool ChecksumOfFile(int descriptor, CVerifiedCopy& sum);

// Whether the file at path holds exactly what the copy holds, as it is now.
bool OriginalMatchesCopy(const std::string& path, const CVerifiedCopy& copy);

} // namespace qor

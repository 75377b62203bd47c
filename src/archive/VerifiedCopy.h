// What an archive holds of one call, as read back from the finished archive on disk: the copy's
// size and SHA-256 digest, and the file that holds it. An original may be deleted or stripped only while
// that file is still there and the original's content still matches its copy, so a call that
// changed after it was read (a recorder still writing) or whose archive went meanwhile is kept.
#pragma once

#include "archive/ContentDigest.h"
#include "foundation/FileIdentity.h"

#include <cstdint>
#include <map>
#include <string>

namespace qor {

struct CVerifiedCopy {
    std::uint64_t size = 0;
    Digest digest{};
    std::string container; // the archive file, or the copy itself in a folder tree
    CFileIdentity containerIdentity;
    CFileIdentity originalIdentity; // the file the copy was made from
};

// The verified copies of a job, by the original's path.
using VerifiedCopies = std::map<std::string, CVerifiedCopy>;

// The size and digest of everything an open file holds, read from its start; false on a read error.
bool DigestOfFile(int descriptor, CVerifiedCopy& sum);

// Whether the file open on descriptor holds exactly what the copy holds, as it is now.
bool FileMatchesCopy(int descriptor, const CVerifiedCopy& copy);

// Whether the file at path holds exactly what the copy holds, as it is now.
bool OriginalMatchesCopy(const std::string& path, const CVerifiedCopy& copy);

// Whether the file that holds the copy is still the one that was read back.
bool ContainerStillThere(const CVerifiedCopy& copy);

} // namespace qor

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

// How the original looked just before it was copied: a call of another account, on which no
// lease tells us that its recorder still writes it, is changed only when this stayed the same
// over a quiet time before the copy and still is just before the change.
struct COriginalStamp {
    bool taken = false;
    CFileIdentity identity;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    // The time without a change before the stamp was taken, in nanoseconds.
    std::int64_t quietNs = 0;
};

// The stamp of the file open on descriptor, taken now.
COriginalStamp StampOf(int descriptor);
// Whether the file is as it was: the same file, size, modification and change times.
bool Unchanged(const COriginalStamp& before, const COriginalStamp& now);

struct CVerifiedCopy {
    // Where the copy is: a file of its own in a folder tree, an entry of a ZIP file, or a file of
    // an ISO image.
    enum class Kind { File, ZipEntry, IsoFile };

    std::uint64_t size = 0;
    Digest digest{};
    std::string container; // the archive file, or the copy itself in a folder tree
    CFileIdentity containerIdentity;
    CFileIdentity originalIdentity; // the file the copy was made from
    Kind kind = Kind::File;
    // Inside the archive: the ZIP entry's name with its local header's offset and CRC-32, or the
    // image's path to the file; what the last check before an original changes reads again.
    std::string entry;
    std::uint64_t entryOffset = 0;
    std::uint32_t entryCrc = 0;
    COriginalStamp originalStamp;
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

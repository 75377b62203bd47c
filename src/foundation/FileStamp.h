// Whether a file another program may rewrite has changed since it was last looked at: its inode,
// size and change time, so a file replaced by a rename is noticed even within one second.
#pragma once

#include <cstdint>
#include <string>

namespace qor {

struct CFileStamp {
    std::uint64_t inode = 0;
    std::int64_t size = -1; // -1 when there is no file
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;

    // The stamp of what is at path now; a missing file gives the empty stamp.
    static CFileStamp Of(const std::string& path);
    bool operator==(const CFileStamp&) const = default;
};

} // namespace qor

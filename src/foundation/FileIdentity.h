// Which file a descriptor or a name stands for, by device and inode: so a check made on an open
// file can be tied to the name it was opened by, and a name that now stands for another file is
// noticed.
#pragma once

#include <cstdint>
#include <string>

namespace qor {

struct CFileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const CFileIdentity&) const = default;
};

// The identity of an open file (zeros when it cannot be had).
CFileIdentity IdentityOf(int descriptor);
// The identity of what is at path, a link itself rather than what it names; false when nothing is.
bool IdentityOfPath(const std::string& path, CFileIdentity& identity);
// The same for the name in the folder open on folderDescriptor.
bool IdentityAt(int folderDescriptor, const std::string& name, CFileIdentity& identity);

} // namespace qor

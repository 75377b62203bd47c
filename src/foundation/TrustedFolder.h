// Reaching a folder so that no other user can redirect the way: each folder is opened from the one
// before it, a link is followed only when it is ours or root's, and what is then done there is done
// through the open folder, so a name swapped for a link meanwhile leads nowhere.
#pragma once

#include <string>
#include <sys/types.h>

namespace qor {

// A folder held open (a path-only descriptor, for the *at calls).
class CFolderHandle {
public:
    CFolderHandle() = default;
    CFolderHandle(int descriptor, std::string path);
    ~CFolderHandle();
    CFolderHandle(CFolderHandle&& other) noexcept;
    CFolderHandle& operator=(CFolderHandle&& other) noexcept;
    CFolderHandle(const CFolderHandle&) = delete;
    CFolderHandle& operator=(const CFolderHandle&) = delete;

    int Descriptor() const { return m_descriptor; }
    bool IsOpen() const { return m_descriptor >= 0; }
    // The way it was reached, without links: for messages, and for the names of what it holds.
    const std::string& Path() const { return m_path; }
    std::string PathOf(const std::string& name) const;

    // A second handle on the same folder; one that is not open when no descriptor is left.
    CFolderHandle Duplicate() const;
    // Gives up the descriptor, which the caller then closes.
    int Release();
    // Flushes its entries, so a file made, renamed or removed there survives a crash; 0 or errno.
    int Sync() const;
    // Whether others than its owner may change its entries (a group of ours alone is nobody else).
    bool OthersCanWrite() const;
    // Whether it is ours or root's and nobody else may rename or remove what is in it: nobody else
    // may write it (a group of ours alone is nobody else), or it is sticky as /tmp is.
    bool KeptFromOthers() const;

private:
    int m_descriptor = -1;
    std::string m_path;
};

struct CFolderWay {
    // Folders that are not there are made (with folderMode less the umask).
    bool makeMissing = false;
    mode_t folderMode = 0777;
    // Every folder on the way must be ours or root's, and sticky when the group or others can write
    // it (so nobody else can rename a file of ours into place there), else EACCES: for what is to
    // be trusted.
    bool ownFoldersOnly = false;
    // One more account whose folders and links are trusted as ours and root's are (the office
    // account, for the office job's files); root's own number (0) adds none.
    uid_t alsoTrusted = 0;
};

// Opens the folder path names. False with errno EPERM at a link of another user, ELOOP past 40
// links, EACCES at a folder of another user (with ownFoldersOnly), or what opening a step gave.
bool OpenTrustedFolder(const std::string& path, CFolderHandle& folder, const CFolderWay& way = {});

// The same for a path relative to an open folder (a link to an absolute path leaves it).
bool OpenTrustedSubfolder(
    const CFolderHandle& base, const std::string& relative, CFolderHandle& folder, const CFolderWay& way = {});

// Opens the folder that is to hold the file path names, and gives the file's name in it. A file
// name that is a link of ours or root's is followed to what it names, so writing replaces that
// file; another user's link there is refused (EPERM). A name that is no file's ("", ".", "..")
// gives EISDIR.
bool OpenParentForWriting(
    const std::string& path, CFolderHandle& folder, std::string& name, const CFolderWay& way = {});

// Opens the regular file path names for reading, reached as for writing: never through another
// user's link (EPERM), so no link planted in a shared folder decides what is read to be sent or
// exported. -1 on failure (EINVAL for what is no regular file).
int OpenTrustedFile(const std::string& path);

} // namespace qor

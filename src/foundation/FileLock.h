// Advisory write locks on open files, so that two of our processes never change one shared file
// (an archive, the archive log) at the same time. They are open file description locks: held by
// the descriptor, released when it is closed or its process dies (so a killed job leaves no lock
// behind), and only granted on a descriptor open for writing, so a user who may only read a file
// cannot hold it to block every run.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <sys/stat.h>

namespace qor {

// Takes the whole file's write lock at once; false when another descriptor holds it (or the
// descriptor is not open for writing).
bool TryLockForWriting(int descriptor);

// Waits up to patience for the lock; false when it could not be had by then.
bool LockForWriting(int descriptor, std::chrono::milliseconds patience);

// The same for a caller that already keeps every other writer of ours away by other means (a
// claim of its own): a read lock, which our programs never take but anyone who can read the file
// can, does not keep it waiting, for nobody could otherwise keep us from a file of ours for ever.
// True when the lock is held or only readers hold theirs.
bool LockForWritingDespiteReaders(int descriptor, std::chrono::milliseconds patience);

// Opens path for reading and writing, never through a link and only when it is a regular file, with
// its write lock taken (waiting up to patience). -1 with errno: ELOOP a link, EINVAL no regular
// file, EBUSY locked by another program, or what open gave.
int OpenLockedForWriting(const std::string& path, std::chrono::milliseconds patience, struct stat* status = nullptr);

// The lock of a shared file that is replaced as a whole (renamed over), taken on a companion file
// "<path>.lock" that stays in place. Held from a successful Lock until destruction. A new lock file
// is ours alone (0600, whatever the umask), so only programs of ours can hold it; the holder writes
// its process and the time it took the lock into it, so that a lock held too long can be named.
class CLockFile {
public:
    explicit CLockFile(std::string sharedFile);
    ~CLockFile();
    CLockFile(const CLockFile&) = delete;
    CLockFile& operator=(const CLockFile&) = delete;

    // False when the lock file cannot be opened or the lock was not had within patience.
    bool Lock(std::chrono::milliseconds patience);
    // Whether the lock file could be opened (when Lock failed: false means it is no lock another
    // program holds, but a file that cannot serve as one, errno saying why).
    bool IsOpen() const { return m_descriptor >= 0; }
    const std::string& Path() const { return m_path; }
    // Whether another user could open the lock file for writing, and so hold the lock.
    bool OthersCanHold() const;
    // When the holder took the lock (seconds since 1970), as it wrote down; 0 when unknown.
    std::int64_t HeldSince() const;
    // Why the lock was not had, in words: who may hold it and since when, or why the file cannot
    // serve as a lock.
    std::string Problem() const;

private:
    void TakePrivateFile();

    std::string m_path;
    int m_descriptor = -1;
    int m_openError = 0;
};

} // namespace qor

#include "recording/HeaderUpdate.h"

#include "foundation/FileLock.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

// Annotations are quick; a holder that keeps the lock longer has hung.
constexpr std::chrono::seconds kLockPatience{ 10 };

bool WriteHeaderBytes(int descriptor, const struct stat& status, CRvRecordFileHdr& header)
{
    const std::vector<std::uint8_t> bytes = header.Serialize();
    if (bytes.empty()) {
        errno = EINVAL;
        return false;
    }
    // A file cut short inside its header is not grown into a recording it never was.
    if (static_cast<std::uint64_t>(status.st_size) < bytes.size()) {
        errno = EFBIG;
        return false;
    }
    for (std::size_t written = 0; written < bytes.size();) {
        const ssize_t count
            = pwrite(descriptor, bytes.data() + written, bytes.size() - written, static_cast<off_t>(written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += static_cast<std::size_t>(count);
    }
    return true;
}

} // namespace

CHeaderUpdate UpdateRecordingHeader(const std::string& path, const std::string& passphrase,
    const std::function<bool(CRvRecordFileHdr&)>& change, CRvRecordFileHdr& header, int& loaded,
    const CFileIdentity* expected)
{
    loaded = 0;
    struct stat status { };
    const int descriptor = OpenLockedForWriting(path, kLockPatience, &status);
    if (descriptor < 0) {
        const int error = errno;
        header.SetUnreadable(error);
        errno = error;
        // Gone or no regular file: nothing to read. Anything else is a file that cannot be written.
        const bool missing = error == ENOENT || error == ENOTDIR || error == EINVAL;
        return missing ? CHeaderUpdate::Unreadable : CHeaderUpdate::Failed;
    }
    if (expected && IdentityOf(descriptor) != *expected) {
        close(descriptor);
        errno = ESTALE;
        return CHeaderUpdate::Failed;
    }
    loaded = header.LoadOpenFile(descriptor, static_cast<std::uint64_t>(status.st_size), passphrase);
    CHeaderUpdate outcome = CHeaderUpdate::Done;
    if (loaded <= 0)
        outcome = CHeaderUpdate::Unreadable;
    else if (!change(header))
        outcome = CHeaderUpdate::Refused;
    else if (!WriteHeaderBytes(descriptor, status, header))
        outcome = CHeaderUpdate::Failed;
    const int error = errno;
    close(descriptor);
    errno = error;
    return outcome;
}

bool WriteRecordingHeader(const std::string& path, CRvRecordFileHdr& header, const CFileIdentity* expected)
{
    struct stat status { };
    const int descriptor = OpenLockedForWriting(path, kLockPatience, &status);
    if (descriptor < 0)
        return false;
    const bool same = !expected || IdentityOf(descriptor) == *expected;
    const bool written = same && WriteHeaderBytes(descriptor, status, header);
    const int error = same ? errno : ESTALE;
    close(descriptor);
    errno = error;
    return written;
}

std::string HeaderWriteFailureText(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return "cannot write the recording's header: it is read-only";
    case ELOOP:
        return "is a symbolic link, and recordings are never written through links";
    case EFBIG:
        return "is cut short inside its header, and is not written";
    case EBUSY:
        return "another program keeps it locked";
    case ESTALE:
        return "was replaced since it was opened, and is not written";
    default:
        return std::string("cannot write the recording's header: ") + std::strerror(error);
    }
}

} // namespace qor

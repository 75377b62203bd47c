#include "foundation/AtomicFile.h"

#include "foundation/FolderSync.h"
#include "foundation/RegularFile.h"
#include "foundation/WriteTrust.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

bool WriteAll(int descriptor, std::string_view content)
{
    while (!content.empty()) {
        const ssize_t written = write(descriptor, content.data(), content.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Read without umask(), which would change the process's mask for other threads meanwhile.
mode_t CurrentUmask()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    unsigned mask = 022;
    if (!status)
        return mask;
    char line[256];
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "Umask: %o", &mask) == 1)
            break;
    std::fclose(status);
    return static_cast<mode_t>(mask);
}

} // namespace

bool WriteFileAtomically(const std::string& path, std::string_view content, mode_t mode)
{
    std::string target;
    if (!ResolveForWriting(path, target))
        return false;
    struct stat existing { };
    const bool exists = stat(target.c_str(), &existing) == 0;
    // An existing file keeps its permissions and, where allowed, its owner and group; a file that
    // is meant to be private never becomes readable by others.
    mode_t permissions = mode & ~CurrentUmask();
    if (exists) {
        permissions = existing.st_mode & 07777;
        if ((mode & 077) == 0)
            permissions &= 07700;
    }
    std::string temporary = target + ".XXXXXX";
    const int descriptor = mkstemp(temporary.data());
    if (descriptor < 0)
        return false;
    if (exists) {
        // Not permitted for another user's file: the copy is then ours, as any new file would be.
        [[maybe_unused]] const int owned = fchown(descriptor, existing.st_uid, existing.st_gid);
    }
    const bool written
        = fchmod(descriptor, permissions) == 0 && WriteAll(descriptor, content) && fsync(descriptor) == 0;
    const bool closed = close(descriptor) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), target.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    // The rename itself survives a crash only once the folder is on disk too.
    return SyncFolderOf(target) == 0;
}

bool ReadWholeFile(const std::string& path, std::string& content, std::uint64_t maxBytes)
{
    CFileStatus status;
    std::FILE* file = OpenRegularFileStream(path, false, &status);
    if (!file)
        return false;
    if (status.size > maxBytes) {
        std::fclose(file);
        return false;
    }
    content.clear();
    char buffer[65536];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        content.append(buffer, count);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed;
}

} // namespace qor

#include "foundation/AtomicFile.h"

#include "foundation/RegularFile.h"

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
    std::string temporary = path + ".XXXXXX";
    const int descriptor = mkstemp(temporary.data());
    if (descriptor < 0)
        return false;
    const bool written
        = fchmod(descriptor, mode & ~CurrentUmask()) == 0 && WriteAll(descriptor, content) && fsync(descriptor) == 0;
    const bool closed = close(descriptor) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& content)
{
    std::FILE* file = OpenRegularFileStream(path);
    if (!file)
        return false;
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

#include "archive/DiskArchiver.h"

#include "foundation/Logger.h"
#include "foundation/RegularFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

constexpr std::size_t kBlock = 65'536;

// The folder's pieces joined by "/", with empty, "." and ".." pieces left out, so a copy can
// never land outside the archive's folder.
std::string SafeFolder(const std::string& folder)
{
    std::string safe;
    std::size_t start = 0;
    while (start <= folder.size()) {
        const auto slash = std::min(folder.find('/', start), folder.size());
        std::string piece = folder.substr(start, slash - start);
        while (!piece.empty() && piece.back() == ' ')
            piece.pop_back();
        if (!piece.empty() && piece != "." && piece != "..")
            safe += (safe.empty() ? "" : "/") + piece;
        start = slash + 1;
    }
    return safe;
}

// A folder that exists or was just made; a missing parent is a failure.
bool MakeFolder(const std::string& path)
{
    struct stat status { };
    if (mkdir(path.c_str(), 0777) == 0)
        return true;
    return errno == EEXIST && stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool CopyContent(int from, int to)
{
    // copy_file_range lets the file system copy without the data passing through us.
    for (;;) {
        const ssize_t copied = copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0);
        if (copied == 0)
            return true;
        if (copied > 0)
            continue;
        if (errno == EINTR)
            continue;
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
            return false;
        break;
    }
    char buffer[kBlock];
    for (;;) {
        const ssize_t got = read(from, buffer, sizeof buffer);
        if (got == 0)
            return true;
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = write(to, buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return false;
            done += put;
        }
    }
}

// Compares the two files through mappings of their pages, so the bytes are not copied to be read.
bool SameContent(const std::string& first, const std::string& second)
{
    CFileStatus firstStatus, secondStatus;
    const int a = OpenRegularFile(first, false, &firstStatus);
    const int b = OpenRegularFile(second, false, &secondStatus);
    bool same = a >= 0 && b >= 0 && firstStatus.size == secondStatus.size;
    const std::size_t size = firstStatus.size;
    if (same && size > 0) {
        void* left = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, a, 0);
        void* right = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, b, 0);
        same = left != MAP_FAILED && right != MAP_FAILED && std::memcmp(left, right, size) == 0;
        if (left != MAP_FAILED)
            munmap(left, size);
        if (right != MAP_FAILED)
            munmap(right, size);
    }
    if (a >= 0)
        close(a);
    if (b >= 0)
        close(b);
    return same;
}

} // namespace

CDiskArchiver::CDiskArchiver(ArchiveProgressFunction progress, IArchiveMessages* messages)
    : IArchiver(messages)
    , m_progress(std::move(progress))
{
}

int CDiskArchiver::Add(
    const std::string& target, const std::string& source, const std::string& folder, std::int64_t startTime)
{
    m_queue.push_back({ target, source, SafeFolder(folder), startTime });
    return 0;
}

int CDiskArchiver::Cancel()
{
    m_running = false;
    return 0;
}

void CDiskArchiver::Reset()
{
    IArchiver::Reset();
    m_copied.clear();
    m_verified.clear();
    m_running = false;
}

int CDiskArchiver::Write()
{
    m_running = true;
    int result = 0;
    const std::size_t total = m_queue.size();
    for (const CPending& call : m_queue) {
        if (!m_running || ThresholdReached())
            break;
        const std::string copy = CopyOne(call);
        if (copy.empty()) {
            result = kFailed;
            break;
        }
        ++m_count;
        m_copied.push_back({ call.source, copy });
        if (m_progress)
            m_progress(static_cast<double>(m_copied.size()) * 100.0 / static_cast<double>(total));
    }
    m_queue.clear();
    m_madeFolders.clear();
    m_running = false;
    // Once everything is on disk, each copy is compared with its original: only a call whose copy
    // is known to be intact may later be deleted or stripped.
    if (!m_copied.empty()) {
        const int folder = open(m_copied.front().copy.c_str(), O_RDONLY | O_CLOEXEC);
        if (folder >= 0) {
            syncfs(folder);
            close(folder);
        }
    }
    for (const CCopied& copied : m_copied)
        if (SameContent(copied.source, copied.copy))
            m_verified.insert(copied.source);
    return result;
}

std::string CDiskArchiver::CopyOne(const CPending& call)
{
    std::string folder = call.root;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (!m_madeFolders.contains(folder) && !MakeFolder(folder)) {
        ReportError("Cannot create the archive folder " + folder + ": " + std::strerror(errno));
        return {};
    }
    m_madeFolders.insert(folder);
    for (std::size_t start = 0; start < call.folder.size();) {
        const auto slash = std::min(call.folder.find('/', start), call.folder.size());
        const std::string level = folder + "/" + call.folder.substr(0, slash);
        if (!m_madeFolders.contains(level) && !MakeFolder(level)) {
            ReportError("Cannot create the folder " + level + ": " + std::strerror(errno));
            return {};
        }
        m_madeFolders.insert(level);
        start = slash + 1;
    }
    if (!call.folder.empty())
        folder += "/" + call.folder;
    const auto slash = call.source.rfind('/');
    const std::string copy = folder + "/" + (slash == std::string::npos ? call.source : call.source.substr(slash + 1));
    QOR_LOG("Archiver: CopyFile %s -> %s\r\n", call.source.c_str(), copy.c_str());

    CFileStatus status;
    const int from = OpenRegularFile(call.source, false, &status);
    // A new copy is written in place; one that replaces an older copy is made aside and renamed
    // over it, so the older copy is never half overwritten.
    int to = from >= 0 ? open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600) : -1;
    const bool replacing = from >= 0 && to < 0 && errno == EEXIST;
    std::string written = copy;
    if (replacing) {
        written = copy + ".XXXXXX";
        to = mkstemp(written.data());
    }
    const timespec times[2]
        = { { static_cast<time_t>(call.startTime), 0 }, { static_cast<time_t>(call.startTime), 0 } };
    // The copy keeps the original's permissions: a private recording stays private.
    const bool copied
        = to >= 0 && fchmod(to, status.mode & 0777u) == 0 && CopyContent(from, to) && futimens(to, times) == 0;
    const bool closed = to < 0 || close(to) == 0;
    if (from >= 0)
        close(from);
    if (!copied || !closed || (replacing && std::rename(written.c_str(), copy.c_str()) != 0)) {
        const int error = errno;
        if (to >= 0)
            unlink(written.c_str());
        ReportError("Cannot copy " + call.source + " to " + copy + ": " + std::strerror(error));
        return {};
    }
    m_sizeBytes += status.size;
    return copy;
}

} // namespace qor

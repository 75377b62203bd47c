#include "archive/iso/ReplacementFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

int FlushFolder(const std::string& folder)
{
    const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return errno;
    const int result = fsync(descriptor) == 0 ? 0 : errno;
    close(descriptor);
    return result;
}

} // namespace

CReplacementFile::CReplacementFile(std::string target)
    : m_target(std::move(target))
{
}

CReplacementFile::~CReplacementFile()
{
    if (m_descriptor >= 0)
        close(m_descriptor);
    if (!m_temporary.empty() && !m_committed)
        unlink(m_temporary.c_str());
}

int CReplacementFile::Create()
{
    if (m_target.empty())
        return ENOENT;
    // Not mkstemp: its fixed mode 0600 would hide the image from others, where a new file should get
    // the usual permissions the process's mask allows.
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%06x", static_cast<unsigned>(random() & 0xFFFFFF));
        const std::string candidate = m_target + suffix;
        m_descriptor = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_descriptor >= 0) {
            m_temporary = candidate;
            break;
        }
        if (errno != EEXIST)
            return errno;
    }
    if (m_descriptor < 0)
        return EEXIST;
    struct stat existing { };
    if (stat(m_target.c_str(), &existing) == 0 && fchmod(m_descriptor, existing.st_mode & 07777) != 0)
        return errno;
    return 0;
}

int CReplacementFile::Write(const unsigned char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = write(m_descriptor, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

int CReplacementFile::Commit()
{
    if (fsync(m_descriptor) != 0)
        return errno;
    const int closed = close(m_descriptor);
    m_descriptor = -1;
    if (closed != 0)
        return errno;
    if (std::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        return errno;
    m_committed = true;
    return FlushFolder(FolderOf(m_target));
}

} // namespace qor

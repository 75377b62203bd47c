#include "foundation/Logger.h"

#include "foundation/DataFolders.h"
#include "foundation/TrustedFolder.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

constexpr const char* kCurrentName = "Log.txt";
constexpr const char* kOldName = "Log-old.txt";

std::string TimeStamp()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d/%02d/%02d %02d:%02d:%02d.%03hd : ", local.tm_year + 1900, local.tm_mon + 1,
        local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<short>(now.tv_nsec / 1'000'000));
    return stamp;
}

// The entry with its own line end kept and every other control character escaped.
std::string Escaped(std::string_view entry)
{
    std::size_t end = entry.size();
    while (end > 0 && (entry[end - 1] == '\n' || entry[end - 1] == '\r'))
        --end;
    std::string out;
    const std::string_view text = entry.substr(0, end);
    for (std::size_t index = 0; index < text.size(); ++index) {
        const char c = text[index];
        const auto byte = static_cast<unsigned char>(c);
        // The line breaks of Unicode (U+0085, U+2028, U+2029) break lines in some viewers too.
        const std::string_view rest = text.substr(index);
        if (rest.starts_with("\xC2\x85") || rest.starts_with("\xE2\x80\xA8") || rest.starts_with("\xE2\x80\xA9")) {
            const std::size_t length = rest.starts_with("\xC2") ? 2 : 3;
            for (std::size_t part = 0; part < length; ++part) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(rest[part]));
                out += escape;
            }
            index += length - 1;
        } else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if ((byte < 0x20 && c != '\t') || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    out += entry.substr(end);
    return out;
}

// Appends to the log only when it is a regular file reached without another user's link, in its
// folder or at its end; a new one is made only where nothing is.
int OpenForAppending(const CFolderHandle& folder, const char* name)
{
    constexpr int kFlags = O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int descriptor = openat(folder.Descriptor(), name, kFlags);
    if (descriptor < 0 && errno == ENOENT)
        descriptor = openat(folder.Descriptor(), name, kFlags | O_CREAT | O_EXCL, 0600);
    struct stat status { };
    if (descriptor >= 0 && (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode))) {
        close(descriptor);
        return -1;
    }
    // The log names the user's calls and folders: hers alone, whatever the umask or an earlier
    // version left.
    if (status.st_uid == geteuid() && (status.st_mode & 077) != 0)
        fchmod(descriptor, 0600);
    return descriptor;
}

} // namespace

CRvLogger::CRvLogger()
    : CRvLogger(GetLogFolder())
{
}

CRvLogger::CRvLogger(std::string folder)
    : m_folder(std::move(folder))
    , m_currentFile(m_folder + kCurrentName)
    , m_oldFile(m_folder + kOldName)
{
}

CRvLogger::~CRvLogger()
{
    // Lets a write in progress on another thread finish before the lock goes away.
    std::lock_guard guard(m_lock);
}

void CRvLogger::Write(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    WriteEntry(format, arguments, false);
    va_end(arguments);
}

void CRvLogger::WriteLine(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    WriteEntry(format, arguments, true);
    va_end(arguments);
}

void CRvLogger::WriteEntry(const char* format, va_list arguments, bool appendLineEnd)
{
    if (!m_enabled)
        return;
    va_list measuring;
    va_copy(measuring, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    if (length < 0)
        return;
    std::string entry(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(entry.data(), entry.size(), format, arguments);
    entry.pop_back();
    if (appendLineEnd)
        entry += '\n';
    const std::string line = TimeStamp() + Escaped(entry);
    std::lock_guard guard(m_lock);
    CFolderHandle folder;
    if (!OpenTrustedFolder(m_folder, folder))
        return;
    const int file = OpenForAppending(folder, kCurrentName);
    if (file < 0)
        return;
    // One write, so entries of several programs appending at once never interleave.
    [[maybe_unused]] const ssize_t written = write(file, line.data(), line.size());
    struct stat status { };
    const bool known = fstat(file, &status) == 0;
    close(file);
    if (known && static_cast<std::uintmax_t>(status.st_size) > kSizeLimit) {
        unlinkat(folder.Descriptor(), kOldName, 0);
        renameat(folder.Descriptor(), kCurrentName, folder.Descriptor(), kOldName);
    }
}

} // namespace qor

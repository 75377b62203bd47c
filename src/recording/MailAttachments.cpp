#include "recording/MailAttachments.h"

#include "foundation/AtomicFile.h"
#include "foundation/FolderSync.h"
#include "foundation/RegularFile.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

namespace fs = std::filesystem;

bool IsNeutral(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '/' || c == '_';
}

// A folder of ours that only we may enter, made when missing; false when it is not ours or cannot
// be made so.
bool PrivateFolder(const std::string& path)
{
    std::error_code error;
    fs::create_directories(path, error);
    struct stat status { };
    return lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == geteuid()
        && ((status.st_mode & 077) == 0 || chmod(path.c_str(), 0700) == 0);
}

// The private folder that holds the messages' folders: the user's runtime folder when it is theirs,
// else their cache. Paths are handed to the mail program's launcher, so only neutral ones serve.
std::string AttachmentsRoot()
{
    std::string candidates[2];
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/')
        candidates[0] = std::string(runtime) + "/qortolvane-attachments";
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/')
        candidates[1] = std::string(cache) + "/qortolvane/attachments";
    else if (const char* home = std::getenv("HOME"); home && *home == '/')
        candidates[1] = std::string(home) + "/.cache/qortolvane/attachments";
    for (const std::string& candidate : candidates) {
        if (candidate.empty() || !std::all_of(candidate.begin(), candidate.end(), IsNeutral))
            continue;
        struct stat parent { };
        // The runtime folder must be the user's own and private, as the standard says it is.
        if (candidate == candidates[0]
            && (lstat(FolderOf(candidate).c_str(), &parent) != 0 || parent.st_uid != geteuid()
                || (parent.st_mode & 077) != 0))
            continue;
        if (PrivateFolder(candidate))
            return candidate;
    }
    return {};
}

void ClearOldMessages(const std::string& root)
{
    std::error_code error;
    const auto dayAgo = fs::file_time_type::clock::now() - std::chrono::hours(24);
    for (const auto& message : fs::directory_iterator(root, error))
        if (message.path().filename().string().starts_with("message-") && message.last_write_time(error) < dayAgo)
            fs::remove_all(message.path(), error);
}

} // namespace

std::string NewAttachmentFolder()
{
    const std::string root = AttachmentsRoot();
    if (root.empty())
        return {};
    ClearOldMessages(root);
    std::string folder = root + "/message-XXXXXX";
    // mkdtemp makes it with mode 0700 and a name nobody else chose.
    if (!mkdtemp(folder.data()))
        return {};
    return folder + "/";
}

std::string NeutralAttachmentName(std::string_view name)
{
    std::string neutral;
    for (const char c : name)
        neutral += std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' ? c : '-';
    // Never a hidden file, and never one that reads like an option.
    if (neutral.empty() || neutral.front() == '.' || neutral.front() == '-')
        neutral = "call" + neutral;
    return neutral;
}

std::string AttachmentCopy(const std::string& folder, const std::string& path)
{
    std::string content;
    const std::string copy = folder + NeutralAttachmentName(FileNameOf(path));
    if (folder.empty() || !ReadTrustedFile(path, content) || !WriteFileAtomically(copy, content, 0600))
        return {};
    return copy;
}

} // namespace qor

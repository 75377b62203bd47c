#include "foundation/TrustedFolder.h"

#include "foundation/WriteTrust.h"

#include <cerrno>
#include <climits>
#include <deque>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace qor {
namespace {

constexpr int kMostLinks = 40;
// A name that keeps changing between a folder and a link is given up on after this many looks.
constexpr int kMostLooks = 100;

std::deque<std::string> Components(const std::string& path)
{
    std::deque<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto slash = std::min(path.find('/', start), path.size());
        if (slash > start)
            parts.push_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    return parts;
}

std::string Absolute(const std::string& path)
{
    if (path.starts_with('/'))
        return path;
    std::string folder(PATH_MAX, '\0');
    if (!getcwd(folder.data(), folder.size()))
        return "/" + path;
    folder.resize(folder.find('\0'));
    return folder + "/" + path;
}

// Ours or root's, and not one where others may rename or replace what is in it: a folder the group
// or others can write must be sticky, as /tmp is (a group of our own alone, as user private groups
// are, is no other user).
bool FolderKeptFromOthers(int descriptor, uid_t alsoTrusted = 0)
{
    struct stat status { };
    if (fstat(descriptor, &status) != 0 || !(OwnedByUsOrRoot(status.st_uid) || status.st_uid == alsoTrusted))
        return false;
    if ((status.st_mode & S_ISVTX) != 0)
        return true;
    if ((status.st_mode & S_IWOTH) != 0 || AclLetsOthersWrite(descriptor))
        return false;
    return (status.st_mode & S_IWGRP) == 0 || (status.st_uid == geteuid() && IsOurPrivateGroup(status.st_gid));
}

// The folders from the root to where the walk stands, each opened from the one before.
class CWalk {
public:
    explicit CWalk(const CFolderWay& way)
        : m_way(way)
    {
    }

    bool Start()
    {
        m_chain.clear();
        m_names.clear();
        const int root = open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (root < 0)
            return false;
        m_chain.emplace_back(root, "/");
        return true;
    }

    bool StartAt(const CFolderHandle& base)
    {
        if (!Start())
            return false;
        if (base.Path() == "/")
            return true;
        CFolderHandle copy = base.Duplicate();
        if (!copy.IsOpen())
            return false;
        // Held as one step below the root; ".." out of it opens its real parent.
        m_chain.push_back(std::move(copy));
        m_names.push_back(base.Path().substr(1));
        m_based = true;
        return true;
    }

    bool Walk(std::deque<std::string> pending)
    {
        int looks = 0;
        while (!pending.empty()) {
            const std::string part = std::move(pending.front());
            pending.pop_front();
            if (part == ".")
                continue;
            if (part == "..") {
                if (!Up())
                    return false;
                continue;
            }
            const int next = openat(Current(), part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (next >= 0) {
                m_chain.emplace_back(next, std::string());
                m_names.push_back(part);
                if (m_way.ownFoldersOnly && !Trusted(next)) {
                    errno = EACCES;
                    return false;
                }
                continue;
            }
            if (++looks > kMostLooks)
                return false;
            if (errno == ENOENT && m_way.makeMissing) {
                if (mkdirat(Current(), part.c_str(), m_way.folderMode) != 0 && errno != EEXIST)
                    return false;
                pending.push_front(part);
                continue;
            }
            if (errno != ENOTDIR && errno != ELOOP)
                return false;
            std::string target;
            const int read = ReadLink(part, target);
            if (read == EAGAIN) {
                pending.push_front(part); // a folder again: look once more
                continue;
            }
            if (read != 0) {
                errno = read;
                return false;
            }
            if (target.starts_with('/'))
                ToRoot();
            std::deque<std::string> followed = Components(target);
            pending.insert(pending.begin(), followed.begin(), followed.end());
        }
        return true;
    }

    // What the link name in the current folder points to, when it is ours or root's: 0, EAGAIN
    // when name is a folder after all, ENOENT when nothing is there, ENOTDIR for another file,
    // EPERM for another user's link, ELOOP past the links allowed.
    int ReadLink(const std::string& name, std::string& target)
    {
        const int link = openat(Current(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        if (link < 0)
            return errno;
        struct stat status { };
        int result = 0;
        if (fstat(link, &status) != 0)
            result = errno;
        else if (S_ISDIR(status.st_mode))
            result = EAGAIN;
        else if (!S_ISLNK(status.st_mode))
            result = ENOTDIR;
        else if (!OwnedByUsOrRoot(status.st_uid) && status.st_uid != m_way.alsoTrusted)
            result = EPERM;
        else if (++m_links > kMostLinks)
            result = ELOOP;
        if (result == 0) {
            target.assign(PATH_MAX, '\0');
            const ssize_t length = readlinkat(link, "", target.data(), target.size());
            if (length <= 0)
                result = length < 0 ? errno : ENOENT;
            else
                target.resize(static_cast<std::size_t>(length));
        }
        close(link);
        return result;
    }

    void ToRoot()
    {
        m_chain.resize(1);
        m_names.clear();
        m_based = false;
    }

    bool Up()
    {
        if (m_chain.size() > 2 || (m_chain.size() == 2 && !m_based)) {
            m_chain.pop_back();
            m_names.pop_back();
            return true;
        }
        if (m_chain.size() == 1)
            return true;
        // ".." is never a link: it is the folder's real parent.
        const int parent = openat(Current(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (parent < 0)
            return false;
        const std::string above = m_names.back().substr(0, m_names.back().rfind('/') + 1);
        m_chain.back() = CFolderHandle(parent, std::string());
        m_names.back() = above.empty() ? above : above.substr(0, above.size() - 1);
        if (m_names.back().empty())
            ToRoot();
        return true;
    }

    int Current() const { return m_chain.back().Descriptor(); }

    CFolderHandle Finish()
    {
        std::string path;
        for (const std::string& name : m_names)
            path += "/" + name;
        return CFolderHandle(m_chain.back().Duplicate().Release(), path.empty() ? "/" : path);
    }

private:
    bool Trusted(int descriptor) const { return FolderKeptFromOthers(descriptor, m_way.alsoTrusted); }

    CFolderWay m_way;
    std::vector<CFolderHandle> m_chain;
    std::vector<std::string> m_names;
    int m_links = 0;
    bool m_based = false; // the walk began at a folder held open, not at the root
};

} // namespace

CFolderHandle::CFolderHandle(int descriptor, std::string path)
    : m_descriptor(descriptor)
    , m_path(std::move(path))
{
}

CFolderHandle::~CFolderHandle()
{
    if (m_descriptor >= 0)
        close(m_descriptor);
}

CFolderHandle::CFolderHandle(CFolderHandle&& other) noexcept
    : m_descriptor(std::exchange(other.m_descriptor, -1))
    , m_path(std::move(other.m_path))
{
}

CFolderHandle& CFolderHandle::operator=(CFolderHandle&& other) noexcept
{
    if (this != &other) {
        if (m_descriptor >= 0)
            close(m_descriptor);
        m_descriptor = std::exchange(other.m_descriptor, -1);
        m_path = std::move(other.m_path);
    }
    return *this;
}

std::string CFolderHandle::PathOf(const std::string& name) const
{
    return (m_path == "/" ? std::string() : m_path) + "/" + name;
}

CFolderHandle CFolderHandle::Duplicate() const
{
    // Close-on-exec, so the copy never leaks into a program we start.
    const int descriptor = m_descriptor < 0 ? -1 : fcntl(m_descriptor, F_DUPFD_CLOEXEC, 0);
    return descriptor < 0 ? CFolderHandle() : CFolderHandle(descriptor, m_path);
}

int CFolderHandle::Release()
{
    return std::exchange(m_descriptor, -1);
}

int CFolderHandle::Sync() const
{
    const int folder = openat(m_descriptor, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return errno;
    const int result = fsync(folder) == 0 ? 0 : errno;
    close(folder);
    return result;
}

bool CFolderHandle::OthersCanWrite() const
{
    struct stat status { };
    if (fstat(m_descriptor, &status) != 0 || (status.st_mode & S_IWOTH) != 0 || AclLetsOthersWrite(m_descriptor))
        return true;
    return (status.st_mode & S_IWGRP) != 0 && !(status.st_uid == geteuid() && IsOurPrivateGroup(status.st_gid));
}

bool CFolderHandle::KeptFromOthers() const
{
    return FolderKeptFromOthers(m_descriptor);
}

bool OpenTrustedFolder(const std::string& path, CFolderHandle& folder, const CFolderWay& way)
{
    CWalk walk(way);
    if (!walk.Start() || !walk.Walk(Components(Absolute(path))))
        return false;
    folder = walk.Finish();
    return folder.IsOpen();
}

bool OpenTrustedSubfolder(
    const CFolderHandle& base, const std::string& relative, CFolderHandle& folder, const CFolderWay& way)
{
    CWalk walk(way);
    if (!walk.StartAt(base) || !walk.Walk(Components(relative)))
        return false;
    folder = walk.Finish();
    return folder.IsOpen();
}

bool OpenParentForWriting(const std::string& path, CFolderHandle& folder, std::string& name, const CFolderWay& way)
{
    CWalk walk(way);
    if (!walk.Start())
        return false;
    std::deque<std::string> pending = Components(Absolute(path));
    if (path.ends_with('/'))
        pending.clear();
    for (int looks = 0; looks < kMostLooks; ++looks) {
        if (pending.empty() || pending.back() == "." || pending.back() == "..") {
            errno = EISDIR;
            return false;
        }
        name = pending.back();
        pending.pop_back();
        if (!walk.Walk(std::move(pending)))
            return false;
        std::string target;
        const int read = walk.ReadLink(name, target);
        if (read == ENOENT || read == ENOTDIR || read == EAGAIN) {
            // No file yet, a file, or a folder (which the writer then finds in its way).
            folder = walk.Finish();
            return folder.IsOpen();
        }
        if (read != 0) {
            errno = read;
            return false;
        }
        if (target.starts_with('/'))
            walk.ToRoot();
        pending = Components(target);
    }
    errno = ELOOP;
    return false;
}

int OpenTrustedFile(const std::string& path)
{
    CFolderHandle folder;
    std::string name;
    if (!OpenParentForWriting(path, folder, name))
        return -1;
    const int descriptor
        = openat(folder.Descriptor(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        // A link swapped in after the look.
        if (errno == ELOOP)
            errno = EPERM;
        return -1;
    }
    struct stat status { };
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        errno = EINVAL;
        return -1;
    }
    return descriptor;
}

} // namespace qor

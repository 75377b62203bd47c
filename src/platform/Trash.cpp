#include "platform/Trash.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

// The top of the file system that holds path: the last folder up from it on the same device.
std::string TopOfFileSystem(const std::string& path)
{
    char real[PATH_MAX];
    if (!realpath(path.c_str(), real))
        return {};
    std::string top = real;
    struct stat here { };
    if (stat(top.c_str(), &here) != 0)
        return {};
    while (top != "/") {
        const auto slash = top.rfind('/');
        const std::string up = slash == 0 ? "/" : top.substr(0, slash);
        struct stat above { };
        if (stat(up.c_str(), &above) != 0 || above.st_dev != here.st_dev)
            break;
        top = up;
    }
    return top;
}

// Why the trash folder at path, when it exists, is not this user's own private one.
std::string NotOurs(const std::string& path, bool mustBePrivate)
{
    struct stat status { };
    if (lstat(path.c_str(), &status) != 0)
        return {};
    if (S_ISLNK(status.st_mode) || !S_ISDIR(status.st_mode))
        return path + " is not a folder";
    if (status.st_uid != geteuid())
        return path + " belongs to another user, who could take the call back out of it";
    if (mustBePrivate && (status.st_mode & 077) != 0)
        return path + " may be entered by other users";
    return {};
}

// Why the trash a file goes to is not safe; empty when it is (or it is the home Trash).
std::string UnsafeTrash(const std::string& path, const QString& homeData)
{
    struct stat file {
    }, home{};
    if (stat(path.c_str(), &file) != 0 || stat(homeData.toStdString().c_str(), &home) != 0
        || file.st_dev == home.st_dev)
        return {};
    const std::string top = TopOfFileSystem(path);
    if (top.empty())
        return {};
    const std::string base = top == "/" ? std::string() : top;
    const std::string uid = std::to_string(geteuid());
    struct stat shared { };
    // A shared trash must be a sticky folder, not a link; then the user's folder inside it is used.
    // Its owner may move anything out of it, so it must be root's (or ours).
    if (lstat((base + "/.Trash").c_str(), &shared) == 0 && S_ISDIR(shared.st_mode) && (shared.st_mode & S_ISVTX)) {
        if (shared.st_uid != 0 && shared.st_uid != geteuid())
            return base + "/.Trash belongs to another user, who could take the call back out of it";
        if (std::string why = NotOurs(base + "/.Trash/" + uid, false); !why.empty())
            return why;
    }
    return NotOurs(base + "/.Trash-" + uid, true);
}

} // namespace

bool MoveToTrash(const std::string& path, std::string* why)
{
    // The home Trash lives in the user's data folder; without that folder Qt would not find the
    // Trash and could leave the file in the working folder instead.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty() || !QDir().mkpath(data))
        return false;
    if (const std::string unsafe = UnsafeTrash(path, data); !unsafe.empty()) {
        if (why)
            *why = unsafe;
        return false;
    }
    return QFile::moveToTrash(QString::fromStdString(path));
}

} // namespace qor

#include "foundation/DataFolders.h"

#include "foundation/WriteTrust.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <mutex>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace qor {
namespace {

namespace fs = std::filesystem;

struct DataFolderNames {
    std::mutex mutex;
    std::string company = "Veltrane";
    std::string product;
};

DataFolderNames& Names()
{
    static DataFolderNames names;
    return names;
}

// The folders this run made, in the order made, so that a run that ends in a usage error can take
// back those it left empty.
struct MadeFolders {
    std::mutex mutex;
    std::vector<std::string> paths;
};

MadeFolders& Made()
{
    static MadeFolders made;
    return made;
}

// mkdir that remembers what it made.
void MakeFolder(const std::string& path)
{
    if (mkdir(path.c_str(), 0700) != 0)
        return;
    MadeFolders& made = Made();
    std::lock_guard guard(made.mutex);
    made.paths.push_back(path);
}

// create_directories that remembers each folder it made.
void MakeFolders(const fs::path& path)
{
    std::vector<fs::path> missing;
    std::error_code error;
    for (fs::path at = path.lexically_normal(); !at.empty() && !fs::exists(at, error); at = at.parent_path()) {
        missing.push_back(at);
        if (at == at.parent_path())
            break;
    }
    fs::create_directories(path, error);
    MadeFolders& made = Made();
    std::lock_guard guard(made.mutex);
    for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder)
        if (fs::is_directory(*folder, error))
            made.paths.push_back(folder->string());
}

std::atomic<bool>& FoldersMayBeMade()
{
    static std::atomic<bool> mayBeMade{ true };
    return mayBeMade;
}

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string HomeFolder()
{
    std::string home = Environment("HOME");
    if (!home.empty() && home.front() == '/')
        return home;
    if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return {};
}

// An XDG base-directory variable counts only when it holds an absolute path.
std::optional<std::string> XdgFolder(const char* variable, const char* homeRelativeDefault)
{
    std::string value = Environment(variable);
    if (!value.empty() && value.front() == '/')
        return value;
    const std::string home = HomeFolder();
    if (home.empty())
        return std::nullopt;
    return home + "/" + homeRelativeDefault;
}

// What the machine shares (the office job and its log) lives under /var/lib, written by the office
// account alone; users only read it.
std::optional<std::string> MachineDataFolder()
{
    // Like the XDG variables, the override counts only when it holds an absolute path.
    std::string overridden = Environment("QOR_MACHINE_DATA_DIR");
    if (!overridden.empty() && overridden.front() == '/')
        return overridden;
    return std::string("/var/lib");
}

std::optional<std::string> BaseFolder(int kind)
{
    switch (kind) {
    case kFolderUserAppData:
        return XdgFolder("XDG_CONFIG_HOME", ".config");
    case kFolderMachineAppData:
        return MachineDataFolder();
    case kFolderMachineStartup:
        return std::string("/etc/xdg/autostart");
    case kFolderUserDesktop:
        return XdgFolder("XDG_DESKTOP_DIR", "Desktop");
    case kFolderUserLocalAppData:
        return XdgFolder("XDG_DATA_HOME", ".local/share");
    case kFolderUserDocuments:
        return XdgFolder("XDG_DOCUMENTS_DIR", "Documents");
    case kFolderProgramFiles:
    case kFolderProgramFilesX86:
        return std::string("/opt");
    case kFolderCommonProgramFiles:
    case kFolderCommonProgramFilesX86:
    case kFolderSystem:
    case kFolderSystemX86:
        return std::string("/usr/lib");
    case kFolderUserStartup:
        if (auto config = XdgFolder("XDG_CONFIG_HOME", ".config"))
            return *config + "/autostart";
        return std::nullopt;
    default: // no all-users desktop or documents and no Windows folder here
        return std::nullopt;
    }
}

std::string WithoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// The folder below a base folder kind: company, product and leaf. The folders of the user's own
// trees are hers alone (0700): what she keeps there is nobody else's to read, and nobody else's
// files can stand in for hers.
std::string BuildDataFolder(int baseKind, const std::string& company, const std::string& product, const char* leaf)
{
    std::string path;
    GetSpecialFolderPath(baseKind, path);
    if (path == "/")
        path.clear();
    std::vector<std::string> ours;
    const std::string leafName(leaf);
    for (const std::string* name : { &company, &product, &leafName })
        if (!name->empty()) {
            path += "/" + *name;
            ours.push_back(path);
        }
    if (!FoldersMayBeMade())
        return path + "/";
    for (const std::string& folder : ours) {
        MakeFolder(folder); // a failure shows up in the caller's first write
        if (struct stat status{}; lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode)
            && status.st_uid == geteuid() && (status.st_mode & 07777) != 0700)
            chmod(folder.c_str(), 0700);
    }
    return path + "/";
}

} // namespace

void OnlyLookAtDataFolders()
{
    FoldersMayBeMade() = false;
}

void RemoveEmptyFoldersMadeThisRun()
{
    MadeFolders& made = Made();
    std::lock_guard guard(made.mutex);
    for (auto folder = made.paths.rbegin(); folder != made.paths.rend(); ++folder)
        rmdir(folder->c_str()); // fails, and keeps the folder, once anything is in it
    made.paths.clear();
}

void SetDataFolderNames(const std::string& company, const std::string& product)
{
    DataFolderNames& names = Names();
    std::lock_guard guard(names.mutex);
    names.company = company;
    names.product = product;
}

void GetDataFolderNames(std::string& company, std::string& product)
{
    DataFolderNames& names = Names();
    std::lock_guard guard(names.mutex);
    company = names.company;
    product = names.product;
}

bool GetSpecialFolderPath(int kind, std::string& path, bool create)
{
    const std::optional<std::string> base = BaseFolder(kind);
    if (!base)
        return false;
    std::error_code error;
    if (!create || !FoldersMayBeMade()) {
        path = WithoutTrailingSlashes(*base);
        return true;
    }
    if (!fs::is_directory(*base, error))
        MakeFolders(*base);
    if (!fs::is_directory(*base, error))
        return false;
    path = WithoutTrailingSlashes(*base);
    return true;
}

std::string GetPrivateStateFolder(const std::string& leaf, bool create)
{
    std::optional<std::string> path = XdgFolder("XDG_STATE_HOME", ".local/state");
    if (!path)
        return {};
    std::string company, product;
    GetDataFolderNames(company, product);
    if (create)
        MakeFolders(*path);
    // Every folder of ours on the way is hers alone, as her data folders are.
    for (const std::string* name : { &std::as_const(company), &std::as_const(product), &leaf })
        if (!name->empty()) {
            *path += "/" + *name;
            if (!create)
                continue;
            MakeFolder(*path);
            if (struct stat made{}; lstat(path->c_str(), &made) == 0 && S_ISDIR(made.st_mode)
                && made.st_uid == geteuid() && (made.st_mode & 077) != 0)
                chmod(path->c_str(), 0700);
        }
    // Only a folder of our own is private; one we own is made so whatever mode it had.
    struct stat status { };
    if (lstat(path->c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != geteuid()
        || ((status.st_mode & 077) != 0 && chmod(path->c_str(), 0700) != 0))
        return {};
    return *path + "/";
}

std::string GetPrivateRuntimeFolder(std::string& why)
{
    const std::string runtime = Environment("XDG_RUNTIME_DIR");
    // Without one, a folder below the user's own state folder: a name under /tmp, anyone could
    // take first.
    std::string folder = !runtime.empty() && runtime.front() == '/' ? runtime : GetPrivateStateFolder("runtime");
    if (folder.empty()) {
        why = "no runtime folder of your own can be made ($XDG_RUNTIME_DIR is not set)";
        return {};
    }
    folder = WithoutTrailingSlashes(folder);
    struct stat status { };
    if (lstat(folder.c_str(), &status) != 0)
        why = folder + " cannot be made";
    else if (S_ISLNK(status.st_mode) || !S_ISDIR(status.st_mode))
        why = folder + " is not a folder";
    else if (status.st_uid != geteuid())
        why = folder + " belongs to another user";
    else if ((status.st_mode & 077) != 0)
        why = folder + " may be entered by other users";
    return why.empty() ? folder : std::string();
}

std::string GetLogFolder()
{
    std::string company, product;
    GetDataFolderNames(company, product);
    return BuildDataFolder(kFolderUserLocalAppData, company, product, "Log");
}

std::string GetConfigurationFolder(bool ownData)
{
    std::string company, product;
    GetDataFolderNames(company, product);
    return GetConfigurationFolder(ownData, company, product);
}

std::string GetConfigurationFolder(bool ownData, const std::string& company, const std::string& product)
{
    return BuildDataFolder(ownData ? kFolderUserLocalAppData : kFolderUserAppData, company, product, "Configuration");
}

std::string GetOfficeConfigurationFolder()
{
    std::string company, product;
    GetDataFolderNames(company, product);
    std::string path = MachineDataFolder().value_or("/var/lib");
    for (const std::string* name : { &company, &product })
        if (!name->empty())
            path += "/" + *name;
    return path + "/Configuration/";
}

std::string GetSystemConfigurationFile(
    const std::string& company, const std::string& product, const std::string& fileName)
{
    std::string relative;
    for (const std::string* name : { &company, &product })
        if (!name->empty())
            relative += "/" + *name;
    relative += "/Configuration/" + fileName;
    std::vector<std::string> folders;
    const std::string list = Environment("XDG_CONFIG_DIRS");
    for (std::size_t start = 0; start <= list.size();) {
        const auto colon = std::min(list.find(':', start), list.size());
        const std::string folder = WithoutTrailingSlashes(list.substr(start, colon - start));
        if (!folder.empty() && folder.front() == '/')
            folders.push_back(folder == "/" ? std::string() : folder);
        start = colon + 1;
    }
    if (folders.empty())
        folders.emplace_back("/etc/xdg");
    std::error_code error;
    for (const std::string& folder : folders)
        if (fs::exists(folder + relative, error))
            return folder + relative;
    return folders.front() + relative;
}

std::string GetModuleFolder()
{
    std::error_code error;
    const std::string program = fs::read_symlink("/proc/self/exe", error).string();
    const auto slash = program.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : program.substr(0, slash);
}

} // namespace qor

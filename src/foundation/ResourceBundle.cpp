#include "foundation/ResourceBundle.h"

#include "foundation/ResourceStrings.h"
#include "foundation/TrustedFolder.h"
#include "foundation/WriteTrust.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sstream>
#include <sys/stat.h>
#include <tinyxml2.h>

namespace qor {
namespace {

constexpr std::uint64_t kMostStringsBytes = 1u << 20;

struct CBundle {
    std::mutex mutex;
    std::string folder;
    std::map<int, std::string> strings;
};

CBundle& Bundle()
{
    static CBundle bundle;
    return bundle;
}

std::string FindBundleFolder(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return name;
    const char* variable = std::getenv("XDG_DATA_DIRS");
    std::istringstream folders(variable && *variable ? variable : "/usr/local/share:/usr/share");
    for (std::string base; std::getline(folders, base, ':');) {
        if (base.empty() || base.front() != '/')
            continue;
        const std::string candidate = base + "/qortolvane/branding/" + name;
        CFolderHandle folder;
        if (OpenTrustedFolder(candidate, folder) || errno != ENOENT)
            return candidate;
    }
    return {};
}

// The names become folder names: one that is no single name would put the data elsewhere.
bool NamesAFolder(const std::string& name)
{
    return name != "." && name != ".." && name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

bool ReadStrings(const std::string& folder, std::map<int, std::string>& strings, std::string& why)
{
    const std::string path = folder + "/strings.xml";
    std::string content, distrust;
    // Root stands as the owner: the file must then be writable by its owner alone, wherever it lies.
    switch (ReadConfiguration(path, content, distrust, kMostStringsBytes, uid_t{ 0 })) {
    case CConfigurationRead::Missing:
        return true; // icons only
    case CConfigurationRead::Untrusted:
        why = path + ": " + distrust;
        return false;
    case CConfigurationRead::Unreadable:
        why = path + ": cannot be read" + (distrust.empty() ? std::string() : ": " + distrust);
        return false;
    case CConfigurationRead::Read:
        break;
    }
    tinyxml2::XMLDocument document;
    if (document.Parse(content.data(), content.size()) != tinyxml2::XML_SUCCESS) {
        why = path + ": not well-formed XML (" + document.ErrorStr() + ")";
        return false;
    }
    const tinyxml2::XMLElement* root = document.FirstChildElement("strings");
    if (!root) {
        why = path + ": its root element is not <strings>";
        return false;
    }
    for (auto* string = root->FirstChildElement("string"); string; string = string->NextSiblingElement("string")) {
        int id = 0;
        if (string->QueryIntAttribute("id", &id) != tinyxml2::XML_SUCCESS) {
            why = path + ": line " + std::to_string(string->GetLineNum()) + ": a <string> without a number in id";
            return false;
        }
        if (const char* text = string->GetText(); text && *text)
            strings[id] = text;
    }
    for (const int id : { IDS_COMPANY_NAME, IDS_PRODUCT_NAME })
        if (const auto found = strings.find(id); found != strings.end() && !NamesAFolder(found->second)) {
            why = path + ": \"" + found->second + "\" (string " + std::to_string(id) + ") cannot name a folder";
            return false;
        }
    return true;
}

// Qt reads the icons later, by name: each must already be a regular file of ours or root's that
// nobody else can change, in a folder nobody else can add to.
bool CheckIcons(const CFolderHandle& bundle, std::string& why)
{
    const std::string path = bundle.PathOf("icons");
    CFolderHandle icons;
    if (!OpenTrustedFolder(path, icons, CFolderWay{ .ownFoldersOnly = true })) {
        if (errno == ENOENT)
            return true; // texts only
        why = path + ": " + std::strerror(errno);
        return false;
    }
    if (icons.OthersCanWrite()) {
        why = path + ": others can change it";
        return false;
    }
    DIR* listing = fdopendir(openat(icons.Descriptor(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!listing) {
        why = path + ": " + std::strerror(errno);
        return false;
    }
    bool usable = true;
    while (const dirent* entry = readdir(listing)) {
        const std::string name = entry->d_name;
        struct stat icon { };
        if (name == "." || name == "..")
            continue;
        if (fstatat(icons.Descriptor(), name.c_str(), &icon, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(icon.st_mode)
            || !OwnedByUsOrRoot(icon.st_uid) || !OnlyItsOwnerCanWrite(icon)) {
            why = icons.PathOf(name) + ": not a regular file of root's or yours that only its owner can write";
            usable = false;
            break;
        }
    }
    closedir(listing);
    return usable;
}

} // namespace

bool UseResourceBundle(const std::string& name, std::string& why)
{
    std::string folder;
    std::map<int, std::string> strings;
    if (!name.empty()) {
        folder = FindBundleFolder(name);
        CFolderHandle handle;
        if (folder.empty() || !OpenTrustedFolder(folder, handle, CFolderWay{ .ownFoldersOnly = true })) {
            why = folder.empty() || errno == ENOENT ? "not found"
                : errno == EACCES ? "a folder on its way belongs to another user, or others can change it"
                : errno == EPERM  ? "it is reached through another user's link"
                                  : std::strerror(errno);
            return false;
        }
        // Sticky is not enough here: anybody could add an icon or a strings file of his own.
        if (handle.OthersCanWrite()) {
            why = "others can change it";
            return false;
        }
        folder = handle.Path();
        if (!ReadStrings(folder, strings, why) || !CheckIcons(handle, why))
            return false;
    }
    CBundle& bundle = Bundle();
    std::lock_guard guard(bundle.mutex);
    bundle.folder = folder;
    bundle.strings = std::move(strings);
    return true;
}

std::string ResourceBundleFolder()
{
    CBundle& bundle = Bundle();
    std::lock_guard guard(bundle.mutex);
    return bundle.folder;
}

std::optional<std::string> ResourceBundleString(int id)
{
    CBundle& bundle = Bundle();
    std::lock_guard guard(bundle.mutex);
    const auto found = bundle.strings.find(id);
    return found == bundle.strings.end() ? std::nullopt : std::optional<std::string>(found->second);
}

} // namespace qor

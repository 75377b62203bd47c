#include "foundation/ResourceBundle.h"

#include "foundation/ResourceStrings.h"
#include "foundation/TrustedFolder.h"
#include "foundation/WriteTrust.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sstream>
#include <sys/stat.h>
#include <tinyxml2.h>
#include <unistd.h>
#include <utf8proc.h>

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

// The names become folder names: one that is no single name would put the data elsewhere, and one
// with control characters or that is not UTF-8 would be shown as another name than it is.
std::string WhyNoFolderName(const std::string& name)
{
    if (name == "." || name == ".." || name.find('/') != std::string::npos)
        return "is no single folder name";
    if (name.size() > NAME_MAX)
        return "is longer than a folder name may be (" + std::to_string(NAME_MAX) + " bytes)";
    if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }))
        return "holds a control character";
    const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(name.data());
    for (utf8proc_ssize_t at = 0, size = static_cast<utf8proc_ssize_t>(name.size()); at < size;) {
        utf8proc_int32_t character = 0;
        const utf8proc_ssize_t length = utf8proc_iterate(bytes + at, size - at, &character);
        if (length <= 0)
            return "is not UTF-8 text";
        // C1 controls reach terminals; format characters (a right-to-left override) show a name
        // as another.
        const utf8proc_category_t category = utf8proc_category(character);
        if (category == UTF8PROC_CATEGORY_CC)
            return "holds a control character";
        if (category == UTF8PROC_CATEGORY_CF)
            return "holds an invisible formatting character";
        at += length;
    }
    return {};
}

std::string Effective(const std::map<int, std::string>& strings, int id)
{
    const auto found = strings.find(id);
    return found == strings.end() ? BuiltInResourceString(id) : found->second;
}

// The names the data folders are made of, each one folder name; the product's folder must not be
// the one the administrator's restrictions are kept in (company/configuration tool).
bool CheckFolderNames(const std::string& path, const std::map<int, std::string>& strings, std::string& why)
{
    for (const int id : { IDS_COMPANY_NAME, IDS_PRODUCT_NAME, IDS_CONFIG_TOOL_NAME })
        if (const auto found = strings.find(id); found != strings.end()) {
            if (const std::string fault = WhyNoFolderName(found->second); !fault.empty()) {
                why = path + ": \"" + found->second + "\" (string " + std::to_string(id) + ") " + fault;
                return false;
            }
        }
    if (Effective(strings, IDS_PRODUCT_NAME) == Effective(strings, IDS_CONFIG_TOOL_NAME)) {
        why = path + ": the product is named \"" + Effective(strings, IDS_PRODUCT_NAME)
            + "\" as the configuration tool is, whose folder holds the administrator's restrictions";
        return false;
    }
    return true;
}

bool ReadStrings(const std::string& folder, std::map<int, std::string>& strings, std::string& why)
{
    const std::string path = folder + "/strings.xml";
    std::string content, distrust;
    switch (ReadOwnerOnlyConfiguration(path, content, distrust, kMostStringsBytes)) {
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
    std::map<int, int> lines;
    for (auto* string = root->FirstChildElement("string"); string; string = string->NextSiblingElement("string")) {
        int id = 0;
        const std::string line = "line " + std::to_string(string->GetLineNum());
        if (string->QueryIntAttribute("id", &id) != tinyxml2::XML_SUCCESS) {
            why = path + ": " + line + ": a <string> without a number in id";
            return false;
        }
        // Which of two texts was meant cannot be told: the administrator is asked to say.
        if (const auto [earlier, first] = lines.emplace(id, string->GetLineNum()); !first) {
            why = path + ": " + line + ": string " + std::to_string(id) + " was given on line "
                + std::to_string(earlier->second) + " already";
            return false;
        }
        if (const char* text = string->GetText(); text && *text)
            strings[id] = text;
    }
    return CheckFolderNames(path, strings, why);
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
        const int descriptor = openat(icons.Descriptor(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        usable = descriptor >= 0 && fstat(descriptor, &icon) == 0 && S_ISREG(icon.st_mode)
            && OwnedByUsOrRoot(icon.st_uid) && OnlyItsOwnerCanWrite(icon, descriptor);
        if (descriptor >= 0)
            close(descriptor);
        if (!usable) {
            why = icons.PathOf(name) + ": not a regular file of root's or yours that only its owner can write";
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
        // Against the working folder, a relative path would name another bundle in every folder.
        if (name.find('/') != std::string::npos && name.front() != '/') {
            why = "a path must start at / (or be a bare name, looked up among the system's data folders)";
            return false;
        }
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

// Where the program keeps its own files: the user's own trees (settings, and what the program keeps
// for her) and the machine's shared one (the office job), each named after the company and product,
// resolved (the user's created when missing) on every call; nothing is cached.
#pragma once

#include <string>

namespace qor {

// Folder kinds. The program itself uses the first two; the rest map to the nearest Linux folder.
enum FolderKind : int {
    kFolderUserAppData = 0,
    kFolderMachineAppData = 1,
    kFolderMachineDesktop = 2,
    kFolderMachineDocuments = 3,
    kFolderMachineStartup = 4,
    kFolderUserDesktop = 5,
    kFolderUserLocalAppData = 6,
    kFolderUserDocuments = 7,
    kFolderProgramFiles = 8,
    kFolderProgramFilesX86 = 9,
    kFolderCommonProgramFiles = 10,
    kFolderCommonProgramFilesX86 = 11,
    kFolderUserStartup = 12,
    kFolderWindows = 13,
    kFolderSystem = 14,
    kFolderSystemX86 = 15,
};

void SetDataFolderNames(const std::string& company, const std::string& product);
void GetDataFolderNames(std::string& company, std::string& product);

// Resolves one folder kind, creating the folder when it is missing (unless create is false or the
// process only looks, see below). On failure returns false and leaves path as it was.
bool GetSpecialFolderPath(int kind, std::string& path, bool create = true);

// For a run that only tells where the files are or how to use the program (--help, "paths"):
// from then on, asking where a data folder is makes none, so such a run leaves no trace.
void OnlyLookAtDataFolders();

// For a run that ends in a usage error: removes the data folders it made that are still empty.
void RemoveEmptyFoldersMadeThisRun();

// A folder only this user may enter (mode 0700), for what the program keeps for itself between runs
// (journals of archives being changed): $XDG_STATE_HOME (default ~/.local/state) + company +
// product + leaf, ending in "/". With create, it is made when missing; empty when it cannot be
// made, or exists but is not this user's own.
std::string GetPrivateStateFolder(const std::string& leaf, bool create = true);

// A runtime folder of this user's own that nobody else may enter: $XDG_RUNTIME_DIR when it is one
// (as the standard promises), else "runtime" in her private state folder (see above), which no
// other user can make first. Empty, with why, when the folder there is a link, another user's, or
// open to others.
std::string GetPrivateRuntimeFolder(std::string& why);

// The user's own log folder ($XDG_DATA_HOME/<company>/<product>/Log/), ending in "/".
std::string GetLogFolder();

// A configuration folder of the user's, ending in "/": with ownData, the folder of what the program
// keeps for her ($XDG_DATA_HOME/<company>/<product>/Configuration/: her calls-for-review trees,
// shortcuts, her scheduled job and its log); otherwise that of her settings ($XDG_CONFIG_HOME/...).
// Both are hers alone (0700 on the way from the company folder).
std::string GetConfigurationFolder(bool ownData);
std::string GetConfigurationFolder(bool ownData, const std::string& company, const std::string& product);

// What the machine shares, written by the office account alone and read by everyone: the office
// job and its log ($QOR_MACHINE_DATA_DIR or /var/lib, + <company>/<product>/Configuration/). Never
// made by the program: the administrator prepares it.
std::string GetOfficeConfigurationFolder();

// A file the administrator provides and the program only reads (branding, global settings,
// restrictions): in the system configuration folder, which users cannot write. The first
// $XDG_CONFIG_DIRS entry (default /etc/xdg) that holds <company>/<product>/Configuration/fileName
// wins; when none does, the path under the first entry.
std::string GetSystemConfigurationFile(
    const std::string& company, const std::string& product, const std::string& fileName);

// The folder of the running program file, without a trailing "/".
std::string GetModuleFolder();

} // namespace qor

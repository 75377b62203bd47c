// Walks a search source for recording files: a folder (optionally with its sub-folders) or a
// single recording. Folders are read in name order so runs are repeatable; unreadable folders are
// skipped. Linked folders are followed, each folder at most once (by device and inode), so a link
// loop cannot trap the walk; FIFOs, devices and dangling links are no recordings.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace qor {

// A folder by device and inode, whatever path or link reaches it.
struct CFolderIdentity {
    dev_t device = 0;
    ino_t inode = 0;
};

// The folders and files that walks have taken, by device and inode: walks that share it (the
// sources of one search) take each folder and each file given as a source once, whatever paths
// and links reach them.
struct CWalkMemory {
    std::set<std::pair<dev_t, ino_t>> taken;
    // A file was taken through a link or named as a source: another path may name the same call.
    bool pathsMayRepeat = false;
};

// What a walk leaves out besides what is no recording.
struct CWalkRules {
    // Folders left out with everything below them (archive folders inside the folders archived).
    std::vector<CFolderIdentity> excluded;
    // Asked for each symbolic link met (to a recording or a folder); false leaves it out.
    std::function<bool(const std::string& link)> followLink;
    // Asked before each folder is read; false stops the walk (a cancel in a tree of other files).
    std::function<bool()> keepGoing;
    // Told of each folder that could not be read (its path and errno), which the walk leaves out.
    std::function<void(const std::string& folder, int error)> unreadable;
    // Shared by the walks of one search; without it a walk remembers only its own folders.
    CWalkMemory* memory = nullptr;
};

// Calls visit with each recording path; stops early when visit returns false. Returns false when
// it was stopped.
bool WalkRecordings(const std::string& source, bool includeSubFolders,
    const std::function<bool(const std::string& path)>& visit, const CWalkRules& rules = {});

} // namespace qor

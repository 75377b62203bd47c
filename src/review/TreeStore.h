// The shared body of the calls-for-review and shortcut stores: groups and links in insertion order,
// kept in one XML file each in the per-machine configuration folder. The two stores differ only in
// their file, element and lock names and in the entries they start with when there is no file.
#pragma once

#include "foundation/FileStamp.h"
#include "foundation/LoggedSemaphore.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qor {

// What checking the links found: how many went, and the links kept because whether their calls
// are gone cannot be told now (the call's path and why).
struct CLinkCheck {
    int removed = 0;
    std::vector<std::pair<std::string, std::string>> unsure;
};

struct CTreeStoreEntry {
    std::int32_t id = 0;
    std::int32_t parentId = -1; // -1 for a top-level group
    std::string name;
    std::string target; // a recording's path for a link, a folder's for a shortcut; empty for a group
    bool isGroup = false;

    bool operator==(const CTreeStoreEntry&) const = default;
};

class CTreeStore {
public:
    static constexpr std::int32_t kNoParent = -1;

    // The ids are compared against an entry's own id or against its parent's.
    enum class FindBy : int { kId = 0, kParent = 1 };

    // Each entry's attribute and fields in the file.
    static constexpr const char* kRootName = "profile";
    static constexpr const char* kVersion = "1";
    static constexpr const char* kAttributeId = "ID";
    static constexpr const char* kKeyParentId = "ParentID";
    static constexpr const char* kKeyName = "Name";
    static constexpr const char* kKeyTarget = "Target";
    static constexpr const char* kKeyIsGroup = "IsGroup";

    CTreeStore(const CTreeStore&) = delete;
    CTreeStore& operator=(const CTreeStore&) = delete;

    // One above the highest id held, -1 for an empty store.
    std::int32_t NewId() const;
    // Appends a copy; false when the id is taken.
    bool Add(const CTreeStoreEntry& entry);
    // Removes the entry and everything below it, so the file never keeps orphans; false when the
    // id is unknown.
    bool Remove(std::int32_t id);
    // Hangs the entry under another group and puts it after that group's other children. Refused
    // when either is unknown, the new parent is no group, or it is the entry itself or below it.
    bool Move(std::int32_t id, std::int32_t newParentId);
    // Refused for an unknown id or an empty name.
    bool Rename(std::int32_t id, const std::string& name);
    // Among the group's direct children, keeps the first of each name (the same letters and case)
    // and removes the others with everything below them; how many children went.
    int RemoveDuplicateChildren(std::int32_t groupId);
    // Removes every link whose call is certainly gone: its folder can be read and the name is not
    // in it. A link whose folder cannot be read or is not there (a share not mounted) is kept.
    CLinkCheck RemoveLinksToMissingFiles();

    bool Exists(std::int32_t id) const;
    // A copy, so it stays valid when the store changes.
    std::optional<CTreeStoreEntry> Find(std::int32_t id);
    bool GetCopy(std::int32_t id, CTreeStoreEntry& entry);
    bool HasChildren(std::int32_t id) const;
    bool HasGroupChildren(std::int32_t id) const;

    // Walk the entries whose id or parent id equals key, in store order. FindFirst starts over;
    // when nothing more matches, both return nothing and the next FindNext starts over as well.
    std::optional<CTreeStoreEntry> FindFirst(std::int32_t key, FindBy mode);
    std::optional<CTreeStoreEntry> FindNext(std::int32_t key, FindBy mode);

    // Copies of the direct children, in store order.
    std::vector<CTreeStoreEntry> Children(std::int32_t id) const;
    // The targets of every link at any depth below the entry, depth first and in store order.
    std::vector<std::string> LinksBelow(std::int32_t id) const;

    // All entries in store order; valid until the next change.
    const std::vector<CTreeStoreEntry>& Entries() const { return m_entries; }
    void Clear();

    // Replaces the content by the file's. A file that cannot be read or parsed gives the default
    // entries and false; a readable file without entries gives an empty store. In a folder others
    // can write, a file that is not ours or root's (or that others can write) is not trusted: it is
    // ignored with a note in the log, and never saved over.
    bool Load();
    // Writes the store over the file in one step, under the file's lock and merged with what
    // another program saved since the load (see MergeTreeEntries). A store unchanged since the file
    // was read or written leaves the file alone. An empty store writes nothing,
    // so the previous file stays; false then, when the file is one Load did not trust, and when
    // the file cannot be written or stays locked.
    bool Save();
    // Why the file Load found was not trusted (and so is never saved over), for the window that
    // shows the store to say once; empty when it was.
    const std::string& NotTrustedBecause() const { return m_untrustedWhy; }
    // Takes in what another program saved since this one last read or wrote the file, keeping the
    // changes made here and not saved yet; true when the entries changed. Reads nothing while the
    // file is as it was.
    bool PickUpSavedChanges();
    std::string FilePath() const;

protected:
    CTreeStore(
        const char* lockName, const char* elementName, const char* fileName, std::vector<CTreeStoreEntry> defaults);
    ~CTreeStore() = default;

private:
    // Reads the file's entries; false when it is missing, not trusted or cannot be read (a
    // damaged one is kept aside). loading also records whether the file is trusted.
    bool ReadFile(std::vector<CTreeStoreEntry>& entries, bool loading);
    std::optional<CTreeStoreEntry> ScanFromCursor(std::int32_t key, FindBy mode);
    std::vector<std::size_t> IndexesBelow(std::int32_t id) const;
    // The entry's position in the store, -1 when the id is unknown.
    std::ptrdiff_t IndexOf(std::int32_t id) const;

    // Taken by the lookups that return copies and around Load's walk of the file. It is not
    // re-entrant, so nothing that holds it calls one of those.
    CRvLoggedSemaphore m_lock;
    const char* m_elementName;
    const char* m_fileName;
    std::vector<CTreeStoreEntry> m_defaults;
    std::vector<CTreeStoreEntry> m_entries;
    std::vector<CTreeStoreEntry> m_asRead; // the file as last loaded or saved, to merge from
    // Index of the entry FindFirst or FindNext returned last, -1 when none.
    std::ptrdiff_t m_cursor = -1;
    bool m_untrusted = false;
    std::string m_untrustedWhy;
    CFileStamp m_fileStamp; // the file as last read or written here
};

} // namespace qor

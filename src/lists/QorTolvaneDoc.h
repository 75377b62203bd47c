// One recording list: owner of its entries in list order, with a path index that refuses a second
// entry for the same file, running totals for the status line, the criteria that compiled it, and
// its ".reclist" file.
#pragma once

#include "foundation/XmlReader.h"
#include "lists/EntryLoading.h"
#include "lists/FileListEntry.h"
#include "lists/SearchCriteria.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace qor {

class IArchiveLookup;

enum ListKind : int {
    kListFolder = 0,
    kListCustom = 1,
    kListPlayHistory = 2,
};

class CQorTolvaneDoc : public IListEntryOwner {
public:
    using EntryList = std::vector<std::unique_ptr<CRvFileListEntry>>;

    CQorTolvaneDoc() = default;
    virtual ~CQorTolvaneDoc();
    CQorTolvaneDoc(const CQorTolvaneDoc&) = delete;
    CQorTolvaneDoc& operator=(const CQorTolvaneDoc&) = delete;

    // Adds the entry unless its path is listed already or its file does not exist; a refused
    // entry is destroyed.
    bool AddEntry(std::unique_ptr<CRvFileListEntry> entry);
    bool AddCopy(const CRvFileListEntry& entry);
    // The same for an entry whose file the search read a moment ago, without asking again whether
    // the file exists.
    bool AddFoundEntry(std::unique_ptr<CRvFileListEntry> entry);
    // The same for a search's result, whose paths differ from each other: into an empty list they
    // go without a look at each, and the list learns its paths only when it is first asked.
    void AddFoundEntries(std::vector<std::unique_ptr<CRvFileListEntry>>& entries);
    void RemoveEntry(int index);
    // Takes the entry out of the list and hands it over (null for a row that is not there).
    std::unique_ptr<CRvFileListEntry> TakeEntry(int index);
    // Puts an entry back at a row (or at the end when the list is shorter now); false when the
    // list already holds its path.
    bool InsertEntryAt(int index, std::unique_ptr<CRvFileListEntry> entry);
    void Clear();

    int GetCount() const { return static_cast<int>(m_entries.size()); }
    CRvFileListEntry* GetEntry(int index) const;
    bool Contains(const std::string& path) const;
    const EntryList& Entries() const { return m_entries; }

    // Always the sums over the entries: entries report their own changes (see IListEntryOwner).
    int GetImportantCount() const { return m_importantCount; }
    std::int64_t GetTotalDuration() const { return m_totalDuration; }

    void SortBy(int column, bool naturalOrder, IArchiveLookup* archive);

    int GetKind() const { return m_kind; }
    void SetKind(int kind) { m_kind = kind; }
    const std::string& GetFolder() const { return m_folder; }
    void SetFolder(const std::string& folder) { m_folder = folder; }
    const SearchCriteria& GetCriteria() const { return m_criteria; }
    void SetCriteria(const SearchCriteria& criteria) { m_criteria = criteria; }
    bool IsSearchCompiled() const { return m_searchCompiled; }
    void SetSearchCompiled(bool compiled) { m_searchCompiled = compiled; }
    bool IsModified() const { return m_modified; }
    void SetModifiedFlag(bool modified = true) { m_modified = modified; }

    // Writes the list as a ".reclist" file (nothing at all for an empty list), replacing the file
    // in one step; progress hears the index of each entry as it is written.
    bool Save(const std::string& path, const std::function<void(int index)>& progress = {});
    // The ".reclist" text Save writes.
    std::string ListText(const std::function<void(int index)>& progress = {}) const;
    // Reads a ".reclist" file into this list: every piece of text in its <root> element names a
    // recording, except the text of a "Folder" element. Listed paths and vanished files are
    // skipped; paths that name no call (no absolute ".qor" path: a list from elsewhere may name any
    // file) are left out and given in notCalls. On malformed input, or a file whose first element
    // is not <root>, what was read before the error stays and the error is returned. Loading into
    // an empty list leaves it unmodified; appending to one with entries modifies it.
    bool Load(const std::string& path, const std::string& passphrase, CXmlError* error = nullptr,
        std::vector<std::string>* notCalls = nullptr);

    // What a ".reclist" file holds, read without touching any list, so that a worker thread can
    // read a long list while the window stays responsive; Adopt then adds it as Load does.
    struct ListFile {
        std::optional<std::string> folder;
        EntryList entries; // in the file's order, each path once, vanished files left out
        std::vector<std::string> notCalls; // named in the file, left out
        bool parsed = false;
        CXmlError error;
    };
    // Paths in alreadyListed are left unread (the list they join holds them).
    static ListFile ReadListFile(const std::string& path, const std::string& passphrase,
        const std::unordered_set<std::string>& alreadyListed = {}, EntryLoadProgress* progress = nullptr);
    // The paths of the calls in the list, for a ReadListFile on another thread.
    std::unordered_set<std::string> ListedPaths() const;
    bool Adopt(ListFile&& file, CXmlError* error = nullptr, std::vector<std::string>* notCalls = nullptr);

    // The message a window shows for a file that could not be parsed.
    static std::string ParseErrorMessage(const std::string& path, const CXmlError& error);

    void OnEntryTotalsChanged(std::int64_t durationChange, int importantChange) override;

private:
    bool Insert(std::unique_ptr<CRvFileListEntry> entry);
    bool IndexHolds(std::size_t hash, const std::string& path) const;
    void BuildIndex() const;
    void Reserve(std::size_t more);
    void UnIndex(const CRvFileListEntry* entry);
    void TakeIntoTotals(const CRvFileListEntry& entry, int sign);

    int m_kind = kListFolder;
    std::string m_folder;
    EntryList m_entries;
    // Hashed: compiling or loading a list of tens of thousands of calls checks every path once.
    // The entries by the hash of their paths: a list of thousands keeps no second copy of each path,
    // and an entry is told from another of the same hash by the path it holds.
    mutable std::unordered_multimap<std::size_t, CRvFileListEntry*> m_index;
    mutable bool m_indexed = true; // false until a list filled all at once is first asked
    int m_importantCount = 0;
    std::int64_t m_totalDuration = 0;
    SearchCriteria m_criteria;
    bool m_searchCompiled = false;
    bool m_modified = false;
};

} // namespace qor

#include "review/TreeStore.h"

#include "foundation/DamagedFile.h"
#include "foundation/FileLock.h"
#include "foundation/Logger.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "foundation/WriteTrust.h"
#include "foundation/XMLSettings.h"
#include "foundation/XmlReader.h"
#include "review/TreeMerge.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

namespace qor {

CTreeStore::CTreeStore(
    const char* lockName, const char* elementName, const char* fileName, std::vector<CTreeStoreEntry> defaults)
    : m_lock(lockName)
    , m_elementName(elementName)
    , m_fileName(fileName)
    , m_defaults(std::move(defaults))
{
}

std::int32_t CTreeStore::NewId() const
{
    std::int32_t next = -1;
    bool largestTaken = false;
    for (const auto& entry : m_entries) {
        largestTaken = largestTaken || entry.id == std::numeric_limits<std::int32_t>::max();
        if (entry.id >= next && !largestTaken)
            next = entry.id + 1;
    }
    if (!largestTaken)
        return next;
    // A file may hold the largest id: rather than wrap around, the smallest id not in use.
    std::unordered_set<std::int32_t> taken;
    for (const auto& entry : m_entries)
        taken.insert(entry.id);
    std::int32_t free = 0;
    while (taken.contains(free))
        ++free;
    return free;
}

bool CTreeStore::Add(const CTreeStoreEntry& entry)
{
    // -1 stands for "no parent": an entry under that id would hold every top-level group.
    if (entry.id == kNoParent || Exists(entry.id))
        return false;
    m_entries.push_back(entry);
    return true;
}

bool CTreeStore::Remove(std::int32_t id)
{
    if (!Exists(id))
        return false;
    std::unordered_set<std::int32_t> doomed{ id };
    for (const std::size_t index : IndexesBelow(id))
        doomed.insert(m_entries[index].id);
    std::erase_if(m_entries, [&doomed](const CTreeStoreEntry& entry) { return doomed.contains(entry.id); });
    return true;
}

bool CTreeStore::Move(std::int32_t id, std::int32_t newParentId)
{
    const std::ptrdiff_t index = IndexOf(id);
    const std::ptrdiff_t parentIndex = IndexOf(newParentId);
    if (index < 0 || parentIndex < 0 || newParentId == id || !m_entries[static_cast<std::size_t>(parentIndex)].isGroup)
        return false;
    for (const std::size_t below : IndexesBelow(id)) {
        if (m_entries[below].id == newParentId)
            return false;
    }
    CTreeStoreEntry moved = std::move(m_entries[static_cast<std::size_t>(index)]);
    moved.parentId = newParentId;
    m_entries.erase(m_entries.begin() + index);
    m_entries.push_back(std::move(moved));
    return true;
}

bool CTreeStore::Rename(std::int32_t id, const std::string& name)
{
    const std::ptrdiff_t index = IndexOf(id);
    if (index < 0 || name.empty())
        return false;
    m_entries[static_cast<std::size_t>(index)].name = name;
    return true;
}

int CTreeStore::RemoveDuplicateChildren(std::int32_t groupId)
{
    std::unordered_set<std::string> seen;
    int removed = 0;
    for (const CTreeStoreEntry& child : Children(groupId))
        if (!seen.insert(child.name).second && Remove(child.id))
            ++removed;
    return removed;
}

namespace {

// Empty when the call at path is certainly gone; otherwise why that cannot be told. Only a folder
// that is there and can be read answers for the names it does not hold.
std::string WhyNotCertainlyGone(const std::string& path, int error)
{
    if (error == ENOENT) {
        const std::string folder = std::filesystem::path(path).parent_path().string();
        struct stat status { };
        if (stat(folder.c_str(), &status) != 0)
            return errno == ENOENT ? "its folder is not there now (a disk or share not mounted?)"
                                   : "its folder cannot be read: " + std::string(std::strerror(errno));
        if (S_ISDIR(status.st_mode) && access(folder.c_str(), R_OK | X_OK) == 0)
            return {};
        return "its folder cannot be read";
    }
    if (error == EACCES)
        return "its folder cannot be read";
    return std::strerror(error);
}

} // namespace

CLinkCheck CTreeStore::RemoveLinksToMissingFiles()
{
    CLinkCheck check;
    std::vector<std::int32_t> missing;
    for (const CTreeStoreEntry& entry : m_entries) {
        struct stat status { };
        if (entry.isGroup || stat(entry.target.c_str(), &status) == 0)
            continue;
        if (std::string why = WhyNotCertainlyGone(entry.target, errno); why.empty())
            missing.push_back(entry.id);
        else
            check.unsure.emplace_back(entry.target, std::move(why));
    }
    for (const std::int32_t id : missing)
        Remove(id);
    check.removed = static_cast<int>(missing.size());
    return check;
}

bool CTreeStore::Exists(std::int32_t id) const
{
    return IndexOf(id) >= 0;
}

std::optional<CTreeStoreEntry> CTreeStore::Find(std::int32_t id)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    const std::ptrdiff_t index = IndexOf(id);
    if (index < 0)
        return std::nullopt;
    return m_entries[static_cast<std::size_t>(index)];
}

bool CTreeStore::GetCopy(std::int32_t id, CTreeStoreEntry& entry)
{
    auto found = Find(id);
    if (!found)
        return false;
    entry = std::move(*found);
    return true;
}

bool CTreeStore::HasChildren(std::int32_t id) const
{
    return std::ranges::any_of(m_entries, [id](const CTreeStoreEntry& entry) { return entry.parentId == id; });
}

bool CTreeStore::HasGroupChildren(std::int32_t id) const
{
    return std::ranges::any_of(
        m_entries, [id](const CTreeStoreEntry& entry) { return entry.parentId == id && entry.isGroup; });
}

std::optional<CTreeStoreEntry> CTreeStore::FindFirst(std::int32_t key, FindBy mode)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    m_cursor = -1;
    return ScanFromCursor(key, mode);
}

std::optional<CTreeStoreEntry> CTreeStore::FindNext(std::int32_t key, FindBy mode)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    return ScanFromCursor(key, mode);
}

std::optional<CTreeStoreEntry> CTreeStore::ScanFromCursor(std::int32_t key, FindBy mode)
{
    for (auto index = static_cast<std::size_t>(m_cursor + 1); index < m_entries.size(); ++index) {
        const CTreeStoreEntry& entry = m_entries[index];
        if ((mode == FindBy::kId ? entry.id : entry.parentId) == key) {
            m_cursor = static_cast<std::ptrdiff_t>(index);
            return entry;
        }
    }
    m_cursor = -1;
    return std::nullopt;
}

std::vector<CTreeStoreEntry> CTreeStore::Children(std::int32_t id) const
{
    std::vector<CTreeStoreEntry> children;
    std::ranges::copy_if(
        m_entries, std::back_inserter(children), [id](const CTreeStoreEntry& entry) { return entry.parentId == id; });
    return children;
}

std::vector<std::string> CTreeStore::LinksBelow(std::int32_t id) const
{
    std::vector<std::string> targets;
    for (const std::size_t index : IndexesBelow(id)) {
        if (!m_entries[index].isGroup)
            targets.push_back(m_entries[index].target);
    }
    return targets;
}

void CTreeStore::Clear()
{
    m_entries.clear();
    m_cursor = -1;
}

namespace {

// Saving a store takes a moment; a holder that keeps the lock longer has hung.
constexpr std::chrono::seconds kLockPatience{ 10 };

// Reads the store's entries as the parser meets them, keeping only the entries: a store costs
// memory for what it holds, never for its markup. Depth 1 is the root element, 2 an entry, 3 one
// of its fields.
class CStoreReader : public IXmlHandler {
public:
    explicit CStoreReader(const char* elementName)
        : m_elementName(elementName)
    {
    }

    void StartElement(CXmlNode&& element) override
    {
        ++m_depth;
        if (m_depth == 1)
            m_sawRoot = true;
        if (m_depth == 2) {
            m_inEntry = element.name == m_elementName;
            if (m_inEntry) {
                m_entry = CTreeStoreEntry{};
                m_entry.parentId = 0; // what a missing field reads as
                m_fieldsSeen.clear();
                const std::string* id = element.Attribute(CTreeStore::kAttributeId);
                if (!id || !ParseLeadingInt(id->c_str(), m_entry.id))
                    m_entry.id = 0;
            }
        }
        if (m_depth == 3 && m_inEntry) {
            m_field = element.name;
            // Only the first of each field counts.
            m_fieldOpen = m_fieldsSeen.insert(m_field).second;
        }
    }

    void EndElement() override
    {
        if (m_depth == 3)
            m_fieldOpen = false;
        if (m_depth == 2 && m_inEntry) {
            // Of two entries with the same id (or none, which reads as 0) the first one wins.
            if (m_entry.id != CTreeStore::kNoParent && m_ids.insert(m_entry.id).second)
                entries.push_back(std::move(m_entry));
            m_inEntry = false;
        }
        --m_depth;
    }

    void Text(std::string&& text, const std::string&) override
    {
        if (m_depth != 3 || !m_fieldOpen)
            return;
        m_fieldOpen = false; // the field's first text is its value
        if (m_field == CTreeStore::kKeyParentId) {
            if (!ParseLeadingInt(text.c_str(), m_entry.parentId))
                m_entry.parentId = 0;
        } else if (m_field == CTreeStore::kKeyName) {
            m_entry.name = std::move(text);
        } else if (m_field == CTreeStore::kKeyTarget) {
            m_entry.target = std::move(text);
        } else if (m_field == CTreeStore::kKeyIsGroup) {
            int isGroup = 0;
            m_entry.isGroup = ParseLeadingInt(text.c_str(), isGroup) && isGroup != 0;
        }
    }

    bool SawRoot() const { return m_sawRoot; }

    std::vector<CTreeStoreEntry> entries;

private:
    const char* m_elementName;
    int m_depth = 0;
    bool m_sawRoot = false;
    bool m_inEntry = false;
    bool m_fieldOpen = false;
    std::string m_field;
    std::unordered_set<std::string> m_fieldsSeen;
    std::unordered_set<std::int32_t> m_ids;
    CTreeStoreEntry m_entry;
};

} // namespace

bool CTreeStore::Load()
{
    Clear();
    m_fileStamp = CFileStamp::Of(FilePath()); // before reading: a change made meanwhile is read again
    std::vector<CTreeStoreEntry> read;
    const bool loaded = ReadFile(read, true);
    QOR_SEMAPHORE_GUARD(m_lock);
    m_entries = loaded ? std::move(read) : m_defaults;
    // Without a file, the defaults are what this program read: another program that starts the
    // same way and saves first then holds the same groups, not a second set of them.
    m_asRead = m_entries;
    return loaded;
}

bool CTreeStore::ReadFile(std::vector<CTreeStoreEntry>& entries, bool loading)
{
    const std::string path = FilePath();
    std::string content, why;
    const CConfigurationRead read = ReadConfiguration(path, content, why);
    if (loading) {
        m_untrusted = read == CConfigurationRead::Untrusted;
        m_untrustedWhy = m_untrusted ? why : std::string();
    }
    if (read == CConfigurationRead::Untrusted) {
        QOR_LOG("Settings: %s is ignored and left as it is: %s\r\n", path.c_str(), why.c_str());
        return false;
    }
    if (read == CConfigurationRead::Missing)
        return false;
    CStoreReader store(m_elementName);
    if (read != CConfigurationRead::Read || !StartsAsMarkup(content) || !CXmlReader().Read(content, store)
        || !store.SawRoot()) {
        // A file that is there but cannot be read is kept, so the defaults saved at exit lose nothing.
        KeepDamagedFileAside(path);
        return false;
    }
    entries = std::move(store.entries);
    return true;
}

bool CTreeStore::Save()
{
    if (m_entries.empty() || m_untrusted)
        return false;
    // Nothing changed here nor in the file: it stays as it is, with whatever of a hand-made file
    // the tree cannot show.
    if (m_entries == m_asRead && m_fileStamp.size >= 0 && CFileStamp::Of(FilePath()) == m_fileStamp)
        return true;
    // Under the file's lock, what another program saved since we read it is merged with what we
    // changed, so a second login's save takes back nothing of ours, nor ours of its.
    CLockFile fileLock(FilePath());
    if (!fileLock.Lock(kLockPatience))
        return false;
    std::vector<CTreeStoreEntry> theirs;
    const bool exists = ReadFile(theirs, false);
    const std::vector<CTreeStoreEntry> merged = exists ? MergeTreeEntries(m_asRead, m_entries, theirs) : m_entries;
    auto xml = Singleton<CRvXMLSettings>::Instance();
    auto* root = xml->CreateDocument(FilePath(), kRootName, kVersion);
    for (const CTreeStoreEntry& entry : merged) {
        auto* element = xml->AddElement(root, m_elementName);
        xml->SetAttribute(element, kAttributeId, std::to_string(entry.id));
        xml->AddIntText(entry.parentId, xml->AddElement(element, kKeyParentId));
        xml->AddText(xml->AddElement(element, kKeyName), entry.name);
        xml->AddText(xml->AddElement(element, kKeyTarget), entry.target);
        xml->AddIntText(entry.isGroup ? 1 : 0, xml->AddElement(element, kKeyIsGroup));
    }
    if (!xml->SaveDocument())
        return false;
    m_fileStamp = CFileStamp::Of(FilePath()); // under the lock, so no other save slips in between
    QOR_SEMAPHORE_GUARD(m_lock);
    m_entries = merged;
    m_asRead = merged;
    m_cursor = -1;
    return true;
}

bool CTreeStore::PickUpSavedChanges()
{
    if (m_untrusted || CFileStamp::Of(FilePath()) == m_fileStamp)
        return false;
    // Asked for every few seconds by a window: a file being saved elsewhere is looked at next time.
    CLockFile fileLock(FilePath());
    if (!fileLock.Lock(std::chrono::milliseconds{ 0 }))
        return false;
    const CFileStamp stamp = CFileStamp::Of(FilePath());
    std::vector<CTreeStoreEntry> theirs;
    // A file gone or damaged takes nothing away: what is shown here is saved again at exit.
    if (!ReadFile(theirs, false)) {
        m_fileStamp = stamp;
        return false;
    }
    std::vector<CTreeStoreEntry> merged = MergeTreeEntries(m_asRead, m_entries, theirs);
    QOR_SEMAPHORE_GUARD(m_lock);
    m_fileStamp = stamp;
    m_asRead = std::move(theirs);
    if (merged == m_entries)
        return false;
    m_entries = std::move(merged);
    m_cursor = -1;
    return true;
}

std::string CTreeStore::FilePath() const
{
    return CSettings::GetConfigFilePath(true, m_fileName);
}

std::ptrdiff_t CTreeStore::IndexOf(std::int32_t id) const
{
    const auto found = std::ranges::find(m_entries, id, &CTreeStoreEntry::id);
    return found == m_entries.end() ? -1 : found - m_entries.begin();
}

std::vector<std::size_t> CTreeStore::IndexesBelow(std::int32_t id) const
{
    std::unordered_map<std::int32_t, std::vector<std::size_t>> children;
    for (std::size_t index = 0; index < m_entries.size(); ++index)
        children[m_entries[index].parentId].push_back(index);

    // Depth first without recursion, so a deep tree from a hand-edited file cannot exhaust the stack.
    std::vector<std::size_t> below;
    std::vector<std::size_t> pending;
    const auto pushChildren = [&](std::int32_t parentId) {
        if (const auto found = children.find(parentId); found != children.end())
            pending.insert(pending.end(), found->second.rbegin(), found->second.rend());
    };
    pushChildren(id);
    while (!pending.empty()) {
        const std::size_t index = pending.back();
        pending.pop_back();
        // With unique ids, a parent loop can only lead back to the starting entry; it is not below itself.
        if (m_entries[index].id == id)
            continue;
        below.push_back(index);
        pushChildren(m_entries[index].id);
    }
    return below;
}

} // namespace qor

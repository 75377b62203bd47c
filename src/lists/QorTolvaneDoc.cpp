#include "lists/QorTolvaneDoc.h"

#include "foundation/AtomicFile.h"
#include "foundation/XmlEscape.h"
#include "lists/EntryLoading.h"
#include "lists/EntrySort.h"
#include "lists/SearchFilters.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <string_view>
#include <strings.h>
#include <sys/stat.h>

namespace qor {
namespace {

bool FileExists(const std::string& path)
{
    struct stat status { };
    return stat(path.c_str(), &status) == 0;
}

std::size_t PathHash(std::string_view path)
{
    return std::hash<std::string_view>{}(path);
}

// Takes the texts inside a list file's elements, and tells what it was: a list holds its calls in
// a <root> element (or, written elsewhere, in another that names calls); plain text is none.
class CListFileHandler final : public IXmlHandler {
public:
    explicit CListFileHandler(CXmlReader::TextVisitor visit)
        : m_visit(std::move(visit))
    {
    }
    bool IsList(bool namesCalls) const
    {
        if (m_first.empty())
            return !m_strayText; // an empty file is the empty list Save writes
        return namesCalls || strcasecmp(m_first.c_str(), "root") == 0;
    }

    void StartElement(CXmlNode&& element) override
    {
        if (m_depth++ == 0 && m_first.empty())
            m_first = element.name;
    }
    void EndElement() override { --m_depth; }
    void Text(std::string&& text, const std::string& parentName) override
    {
        if (text.empty())
            return;
        if (m_depth == 0)
            m_strayText = true;
        else
            m_visit(text, parentName);
    }

private:
    CXmlReader::TextVisitor m_visit;
    std::string m_first;
    int m_depth = 0;
    bool m_strayText = false;
};

} // namespace

CQorTolvaneDoc::~CQorTolvaneDoc()
{
    Clear();
}

bool CQorTolvaneDoc::AddEntry(std::unique_ptr<CRvFileListEntry> entry)
{
    return entry && FileExists(entry->GetPath()) && Insert(std::move(entry));
}

bool CQorTolvaneDoc::Contains(const std::string& path) const
{
    return IndexHolds(PathHash(path), path);
}

bool CQorTolvaneDoc::IndexHolds(std::size_t hash, const std::string& path) const
{
    BuildIndex();
    const auto [first, last] = m_index.equal_range(hash);
    return std::any_of(first, last, [&](const auto& item) { return item.second->GetPath() == path; });
}

void CQorTolvaneDoc::BuildIndex() const
{
    if (m_indexed)
        return;
    m_index.clear();
    m_indexed = true;
    m_index.reserve(m_entries.size());
    for (const auto& entry : m_entries)
        m_index.emplace(PathHash(entry->GetPath()), entry.get());
    m_indexed = true;
}

void CQorTolvaneDoc::UnIndex(const CRvFileListEntry* entry)
{
    if (!m_indexed)
        return; // the entry leaves the list before the index is built from it
    const auto holdsEntry = [entry](const auto& item) { return item.second == entry; };
    const auto [first, last] = m_index.equal_range(PathHash(entry->GetPath()));
    if (const auto item = std::find_if(first, last, holdsEntry); item != last) {
        m_index.erase(item);
        return;
    }
    // Its path was changed while it was listed: no pointer to it may stay behind.
    std::erase_if(m_index, holdsEntry);
}

bool CQorTolvaneDoc::AddFoundEntry(std::unique_ptr<CRvFileListEntry> entry)
{
    return entry && Insert(std::move(entry));
}

void CQorTolvaneDoc::AddFoundEntries(std::vector<std::unique_ptr<CRvFileListEntry>>& entries)
{
    if (!m_entries.empty()) {
        Reserve(entries.size());
        for (auto& entry : entries)
            AddFoundEntry(std::move(entry));
        entries.clear();
        return;
    }
    m_entries.reserve(entries.size());
    for (auto& entry : entries) {
        if (!entry)
            continue;
        TakeIntoTotals(*entry, +1);
        entry->SetOwner(this);
        m_entries.push_back(std::move(entry));
    }
    entries.clear();
    m_indexed = m_entries.empty();
    m_modified = m_modified || !m_entries.empty();
}

void CQorTolvaneDoc::Reserve(std::size_t more)
{
    m_entries.reserve(m_entries.size() + more);
    m_index.reserve(m_entries.size() + more);
}

bool CQorTolvaneDoc::Insert(std::unique_ptr<CRvFileListEntry> entry)
{
    const std::size_t hash = PathHash(entry->GetPath());
    if (IndexHolds(hash, entry->GetPath()))
        return false;
    m_index.emplace(hash, entry.get());
    TakeIntoTotals(*entry, +1);
    entry->SetOwner(this);
    m_entries.push_back(std::move(entry));
    m_modified = true;
    return true;
}

bool CQorTolvaneDoc::AddCopy(const CRvFileListEntry& entry)
{
    return AddEntry(std::make_unique<CRvFileListEntry>(entry));
}

void CQorTolvaneDoc::RemoveEntry(int index)
{
    TakeEntry(index);
}

std::unique_ptr<CRvFileListEntry> CQorTolvaneDoc::TakeEntry(int index)
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    const auto position = m_entries.begin() + index;
    TakeIntoTotals(**position, -1);
    (*position)->SetOwner(nullptr);
    UnIndex(position->get());
    std::unique_ptr<CRvFileListEntry> entry = std::move(*position);
    m_entries.erase(position);
    m_modified = true;
    return entry;
}

bool CQorTolvaneDoc::InsertEntryAt(int index, std::unique_ptr<CRvFileListEntry> entry)
{
    if (!entry || !Insert(std::move(entry)))
        return false;
    const int row = std::clamp(index, 0, GetCount() - 1);
    std::rotate(m_entries.begin() + row, m_entries.end() - 1, m_entries.end());
    return true;
}

void CQorTolvaneDoc::Clear()
{
    if (!m_entries.empty())
        m_modified = true;
    for (const auto& entry : m_entries)
        entry->SetOwner(nullptr);
    m_entries.clear();
    m_index.clear();
    m_importantCount = 0;
    m_totalDuration = 0;
}

CRvFileListEntry* CQorTolvaneDoc::GetEntry(int index) const
{
    return index >= 0 && index < GetCount() ? m_entries[static_cast<std::size_t>(index)].get() : nullptr;
}

void CQorTolvaneDoc::OnEntryTotalsChanged(std::int64_t durationChange, int importantChange)
{
    m_totalDuration += durationChange;
    m_importantCount += importantChange;
}

void CQorTolvaneDoc::TakeIntoTotals(const CRvFileListEntry& entry, int sign)
{
    if (entry.GetImportant() != 0)
        m_importantCount += sign;
    m_totalDuration += sign * static_cast<std::int64_t>(entry.GetDurationSeconds());
}

void CQorTolvaneDoc::SortBy(int column, bool naturalOrder, IArchiveLookup* archive)
{
    SortEntries(m_entries, column, naturalOrder, archive);
}

std::string CQorTolvaneDoc::ListText(const std::function<void(int index)>& progress) const
{
    std::string text;
    if (m_entries.empty())
        return text;
    text = "<root>\r\n";
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        // Escaped, so that any path Linux allows ("<", "&amp;" or a CR in a name) reads back as it is.
        text += "   <rec>" + EscapeXmlText(m_entries[i]->GetPath()) + "</rec>\r\n";
        if (progress)
            progress(static_cast<int>(i));
    }
    text += "   <Folder>" + EscapeXmlText(m_folder) + "</Folder>\r\n</root>\r\n";
    return text;
}

bool CQorTolvaneDoc::Save(const std::string& path, const std::function<void(int index)>& progress)
{
    if (!WriteFileAtomically(path, ListText(progress), 0644))
        return false;
    m_modified = false;
    return true;
}

bool CQorTolvaneDoc::Load(
    const std::string& path, const std::string& passphrase, CXmlError* error, std::vector<std::string>* notCalls)
{
    return Adopt(ReadListFile(path, passphrase, ListedPaths()), error, notCalls);
}

std::unordered_set<std::string> CQorTolvaneDoc::ListedPaths() const
{
    std::unordered_set<std::string> paths;
    paths.reserve(m_entries.size());
    for (const auto& entry : m_entries)
        paths.insert(entry->GetPath());
    return paths;
}

CQorTolvaneDoc::ListFile CQorTolvaneDoc::ReadListFile(const std::string& path, const std::string& passphrase,
    const std::unordered_set<std::string>& alreadyListed, EntryLoadProgress* progress)
{
    ListFile file;
    std::vector<std::string> paths;
    std::set<std::string> named;
    bool namesCalls = false;
    CListFileHandler handler([&](const std::string& text, const std::string& parentName) {
        if (parentName == "Folder")
            file.folder = text;
        else if (text.front() != '/' || !IsRecordingPath(text))
            file.notCalls.push_back(text);
        else if (namesCalls = true; !alreadyListed.contains(text) && named.insert(text).second)
            paths.push_back(text);
    });
    CXmlReader reader;
    file.parsed = reader.ReadFile(path, handler);
    file.error = reader.Error();
    if (file.parsed && !handler.IsList(namesCalls)) {
        file.parsed = false;
        file.error = { 1, 1, CXmlReader::kErrorNotAList, "A recording list holds its calls in a <root> element." };
        file.notCalls.clear(); // another document's texts, not meant as calls
    }
    // The headers are read several at once; the entries keep the file's order.
    for (auto& entry : LoadEntries(paths, passphrase, progress))
        if (entry)
            file.entries.push_back(std::move(entry));
    return file;
}

bool CQorTolvaneDoc::Adopt(ListFile&& file, CXmlError* error, std::vector<std::string>* notCalls)
{
    if (notCalls)
        *notCalls = std::move(file.notCalls);
    const bool wasEmpty = m_entries.empty();
    const bool wasModified = m_modified;
    if (file.folder)
        m_folder = *file.folder;
    if (error)
        *error = file.error;
    Reserve(file.entries.size());
    for (auto& entry : file.entries)
        Insert(std::move(entry)); // a call listed here already is left out
    if (wasEmpty)
        m_modified = wasModified;
    return file.parsed;
}

std::string CQorTolvaneDoc::ParseErrorMessage(const std::string& path, const CXmlError& error)
{
    char text[4096];
    if (path.empty())
        std::snprintf(text, sizeof text, "Error parsing file.\n\nLine %d, Column %d. Error %d: %s\n\n%s", error.line,
            error.column, error.code, CXmlReader::ErrorText(error.code), error.message.c_str());
    else
        std::snprintf(text, sizeof text, "Error parsing file %s.\n\nLine %d, Column %d. Error %d: %s\n\n%s",
            path.c_str(), error.line, error.column, error.code, CXmlReader::ErrorText(error.code),
            error.message.c_str());
    return text;
}

} // namespace qor

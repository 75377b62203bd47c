#include "review/CallHistory.h"

#include "foundation/AtomicFile.h"
#include "foundation/DamagedFile.h"
#include "foundation/FileLock.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "foundation/XmlEscape.h"
#include "foundation/XmlReader.h"
#include "lists/EntryLoading.h"
#include "lists/EntrySort.h"
#include "lists/QorTolvaneDoc.h"

#include <chrono>

namespace qor {
namespace {

// Saving the history takes a moment; a holder that keeps the lock longer has hung.
constexpr std::chrono::seconds kLockPatience{ 10 };

} // namespace

std::string CCallHistory::FilePath()
{
    return CSettings::GetConfigFilePath(false, kFileName);
}

void CCallHistory::AddPlayed(const std::string& path)
{
    auto entry = std::make_unique<CRvFileListEntry>();
    entry->SetPath(path);
    entry->LoadDetails(Singleton<CSettings>::Instance()->GetPassphrase());
    if (entry->IsMissing())
        return;
    QOR_SEMAPHORE_GUARD(m_lock);
    m_playedSinceSave.push_back(path);
    m_entries.push_back(std::move(entry));
}

void CCallHistory::Clear()
{
    QOR_SEMAPHORE_GUARD(m_lock);
    m_entries.clear();
    m_playedSinceSave.clear();
    m_clearedSinceSave = true;
}

void CCallHistory::SortNewestFirst()
{
    SortEntries(m_entries, kColumnDateTime, true, nullptr);
}

void CCallHistory::FillDocument(CQorTolvaneDoc& document)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    SortNewestFirst();
    for (const auto& entry : m_entries)
        document.AddCopy(*entry);
}

void CCallHistory::Load()
{
    Clear();
    {
        QOR_SEMAPHORE_GUARD(m_lock);
        m_clearedSinceSave = false;
    }
    CXmlReader reader;
    // Every text names a played call, whatever element holds it.
    std::vector<std::string> paths;
    const bool parsed = reader.VisitFileTexts(
        FilePath(), [&](const std::string& path, const std::string&) { paths.push_back(path); });
    auto entries = LoadEntries(paths, Singleton<CSettings>::Instance()->GetPassphrase());
    {
        QOR_SEMAPHORE_GUARD(m_lock);
        for (auto& entry : entries)
            if (entry)
                m_entries.push_back(std::move(entry));
    }
    // A damaged history keeps what could be read, and the file itself is kept for whoever can
    // mend it, since the history saved at exit will hold only that part.
    if (!parsed && reader.Error().code != CXmlReader::kErrorCannotRead)
        KeepDamagedFileAside(FilePath());
}

bool CCallHistory::Save()
{
    {
        QOR_SEMAPHORE_GUARD(m_lock);
        if (m_entries.empty())
            return false;
    }
    // Another login of the same user may have saved calls it played since we read the file: under
    // the file's lock, ours are added to those (or, after Clear, replace them).
    CLockFile fileLock(FilePath());
    if (!fileLock.Lock(kLockPatience))
        return false;
    std::vector<std::string> paths;
    CXmlReader reader;
    reader.VisitFileTexts(FilePath(), [&](const std::string& path, const std::string&) { paths.push_back(path); });
    QOR_SEMAPHORE_GUARD(m_lock);
    if (m_clearedSinceSave)
        paths.clear();
    paths.insert(paths.end(), m_playedSinceSave.begin(), m_playedSinceSave.end());
    // Lines end in CR CR LF, as the file has always been written; readers accept any line end.
    std::string text = "<root>\r\r\n";
    for (const std::string& path : paths)
        text += "   <rec>" + EscapeXmlText(path) + "</rec>\r\r\n";
    text += "</root>\r\r\n";
    if (!WriteFileAtomically(FilePath(), text, 0600))
        return false;
    m_playedSinceSave.clear();
    m_clearedSinceSave = false;
    return true;
}

std::size_t CCallHistory::GetCount()
{
    QOR_SEMAPHORE_GUARD(m_lock);
    return m_entries.size();
}

std::vector<std::string> CCallHistory::GetPaths()
{
    QOR_SEMAPHORE_GUARD(m_lock);
    std::vector<std::string> paths;
    for (const auto& entry : m_entries)
        paths.push_back(entry->GetPath());
    return paths;
}

} // namespace qor

#include "archive/ArchiveLogger.h"

#include "archive/ArchiveLogReader.h"
#include "foundation/AtomicFile.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "foundation/XmlEscape.h"
#include "foundation/XmlReader.h"

#include <algorithm>

namespace qor {

std::string CArchiveLogger::FilePath()
{
    return CSettings::GetConfigFilePath(true, kFileName);
}

int CArchiveLogger::AddEntry(const CJobArchListEntry& job)
{
    auto copy = std::make_unique<CJobArchListEntry>(job);
    const std::string passphrase = Singleton<CSettings>::Instance()->GetPassphrase();
    for (CRvFileListEntry& call : copy->Calls())
        call.LoadDetails(passphrase);
    QOR_SEMAPHORE_GUARD(m_lock);
    m_entries.push_back(std::move(copy));
    m_changed = true;
    return static_cast<int>(m_entries.size()) - 1;
}

void CArchiveLogger::Clear()
{
    QOR_SEMAPHORE_GUARD(m_lock);
    m_changed = true;
    m_entries.clear();
}

bool CArchiveLogger::Load(bool clearFirst)
{
    if (clearFirst)
        Clear();
    CArchiveLogReader logReader;
    CXmlReader reader;
    if (!reader.ReadFile(FilePath(), logReader))
        return false;
    QOR_SEMAPHORE_GUARD(m_lock);
    for (auto& job : logReader.jobs)
        m_entries.push_back(std::move(job));
    m_loaded = true;
    m_changed = false;
    return true;
}

bool CArchiveLogger::Save()
{
    std::string text;
    {
        QOR_SEMAPHORE_GUARD(m_lock);
        if (!m_changed)
            return true;
        // Lines end in CR CR LF, as the log has always been written; readers take any line end.
        text = "<Root>\r\r\n";
        for (const auto& job : m_entries) {
            text += "   <entry id = " + std::to_string(job->GetJobTime()) + ">\r\r\n";
            text += "      <target>" + EscapeXmlText(job->target) + "</target>\r\r\n";
            text += "      <datetime>" + EscapeXmlText(job->GetDateTimeText()) + "</datetime>\r\r\n";
            text += std::string("      <archiver>") + ArchiveMethodLogName(job->archiveType) + "</archiver>\r\r\n";
            text += "      <callcount>" + std::to_string(job->callCount) + "</callcount>\r\r\n";
            text += "      <comment>" + EscapeXmlText(job->GetComment()) + "</comment>\r\r\n";
            text += "      <calls>\r\r\n";
            for (const CRvFileListEntry& call : job->Calls()) {
                text += "         <call_id>" + std::to_string(call.GetDisplayTime()) + "</call_id>\r\r\n";
                text += "         <file>" + EscapeXmlText(call.GetPath()) + "</file>\r\r\n";
            }
            text += "      </calls>\r\r\n   </entry>\r\r\n";
        }
        text += "</root>\r\r\n";
    }
    if (!WriteFileAtomically(FilePath(), text, 0644))
        return false;
    QOR_SEMAPHORE_GUARD(m_lock);
    m_changed = false;
    return true;
}

std::unique_ptr<CJobArchListEntry> CArchiveLogger::RemoveEntry(const CJobArchListEntry* job)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    const auto found
        = std::find_if(m_entries.begin(), m_entries.end(), [job](const auto& entry) { return entry.get() == job; });
    if (found == m_entries.end())
        return nullptr;
    auto removed = std::move(*found);
    m_entries.erase(found);
    m_changed = true;
    return removed;
}

void CArchiveLogger::SetComment(CJobArchListEntry* job, const std::string& comment)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    job->SetComment(comment);
    m_changed = true;
}

std::vector<CJobArchListEntry*> CArchiveLogger::Entries()
{
    QOR_SEMAPHORE_GUARD(m_lock);
    std::vector<CJobArchListEntry*> entries;
    for (const auto& entry : m_entries)
        entries.push_back(entry.get());
    return entries;
}

int CArchiveLogger::FindPath(const std::string& path)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    for (std::size_t index = m_entries.size(); index-- > 0;) {
        CJobArchListEntry& job = *m_entries[index];
        const auto& calls = job.Calls();
        // From where the last hit left off, wrapping round: lookups in archive order hit at once.
        for (std::size_t step = 0; step < calls.size(); ++step) {
            const std::size_t at = (job.searchCursor + step) % calls.size();
            if (calls[at].GetPath() == path) {
                job.searchCursor = (at + 1) % calls.size();
                return static_cast<int>(index);
            }
        }
    }
    return -1;
}

const CJobArchListEntry* CArchiveLogger::FindJobOfCall(const CRvFileListEntry& entry)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    for (std::size_t index = m_entries.size(); index-- > 0;) {
        const auto& calls = m_entries[index]->Calls();
        if (std::any_of(calls.begin(), calls.end(),
                [&](const CRvFileListEntry& call) { return call.GetDisplayTime() == entry.GetDisplayTime(); }))
            return m_entries[index].get();
    }
    return nullptr;
}

std::optional<std::int64_t> CArchiveLogger::ArchivedTime(const CRvFileListEntry& entry)
{
    const CJobArchListEntry* job = FindJobOfCall(entry);
    if (!job)
        return std::nullopt;
    return job->GetJobTime();
}

std::vector<std::string> CArchiveLogger::BuildReport(const CJobArchListEntry& job)
{
    return {
        "Archiver Report",
        "Issued: " + job.GetDateTimeText(),
        "-------------------------",
        std::string("Archive Job: ") + ArchiveMethodShortName(job.archiveType),
        "Archive File: " + job.target,
        "Created By: " + job.GetUserName(),
        "Created Date: " + job.GetDateTimeText(),
        "Files count: " + std::to_string(job.callCount),
        std::string("Structure Calls by: ") + StructureName(job.structureType),
        job.GetComment(),
    };
}

} // namespace qor

#include "archive/ArchiveLogFile.h"

#include "archive/ArchiveLogReader.h"
#include "archive/ArchiveLogRecovery.h"
#include "foundation/AtomicFile.h"
#include "foundation/DamagedFile.h"
#include "foundation/Logger.h"
#include "foundation/Utf8Text.h"
#include "foundation/WriteTrust.h"
#include "foundation/XmlEscape.h"
#include "foundation/XmlReader.h"

#include <cerrno>

namespace qor {
namespace {

constexpr std::uint64_t kLargestLog = std::uint64_t{ 1 } << 31;

std::size_t CallsIn(const ArchiveLogEntries& entries)
{
    std::size_t calls = 0;
    for (const auto& entry : entries)
        calls += entry->Calls().size();
    return calls;
}

} // namespace

std::string ArchiveLogText(const ArchiveLogEntries& entries)
{
    std::string text = "<Root>\r\r\n";
    for (const auto& job : entries) {
        text += "   <entry id = " + std::to_string(job->GetJobTime()) + ">\r\r\n";
        text += "      <target>" + EscapeXmlText(job->target) + "</target>\r\r\n";
        text += "      <datetime>" + EscapeXmlText(job->GetDateTimeText()) + "</datetime>\r\r\n";
        text += std::string("      <archiver>") + ArchiveMethodLogName(job->archiveType) + "</archiver>\r\r\n";
        text += "      <callcount>" + std::to_string(job->callCount) + "</callcount>\r\r\n";
        if (!job->GetUserName().empty()) // who made the job, for its report
            text += "      <user>" + EscapeXmlText(job->GetUserName()) + "</user>\r\r\n";
        // How the calls were laid out and what the job asked of the originals, for its report.
        text += "      <structure>" + std::to_string(job->structureType) + "</structure>\r\r\n";
        if (job->mediaProcessing != kModificationNotLogged)
            text += "      <modification>" + std::to_string(job->mediaProcessing) + "</modification>\r\r\n";
        text += "      <comment>" + EscapeXmlText(job->GetComment()) + "</comment>\r\r\n";
        text += "      <calls>\r\r\n";
        for (const CRvFileListEntry& call : job->Calls()) {
            text += "         <call_id>" + std::to_string(call.GetDisplayTime()) + "</call_id>\r\r\n";
            text += "         <file>" + EscapeXmlText(call.GetPath()) + "</file>\r\r\n";
        }
        text += "      </calls>\r\r\n";
        if (!job->originalsNote.empty())
            text += "      <originals>" + EscapeXmlText(job->originalsNote) + "</originals>\r\r\n";
        text += "   </entry>\r\r\n";
    }
    text += "</root>\r\r\n";
    return text;
}

bool ParseArchiveLog(const std::string& text, ArchiveLogEntries& entries)
{
    // What a damaged log still shows is taken by lines when that finds more than the XML reader
    // did before the damage.
    const std::string content = TextFileAsUtf8(text);
    CArchiveLogReader logReader;
    CXmlReader reader;
    const bool blank = content.find_first_not_of(" \t\r\n") == std::string::npos;
    if (reader.Read(content, logReader) && (logReader.sawElement || blank)) {
        entries = std::move(logReader.jobs);
        return true;
    }
    ArchiveLogEntries recovered = RecoverArchiveLogEntries(content);
    entries = CallsIn(recovered) + recovered.size() >= CallsIn(logReader.jobs) + logReader.jobs.size()
        ? std::move(recovered)
        : std::move(logReader.jobs);
    return false;
}

CArchiveLogFileRead ReadArchiveLogFile(const std::string& path)
{
    CArchiveLogFileRead read;
    std::string content, why;
    // Only a log no one else could have put there or changed decides what counts as archived.
    switch (ReadConfiguration(path, content, why, kLargestLog)) {
    case CConfigurationRead::Read:
        break;
    case CConfigurationRead::Missing:
        return read;
    case CConfigurationRead::Untrusted:
        QOR_LOG("Archiver: %s is ignored and not written over: %s\r\n", path.c_str(), why.c_str());
        read.refusedBecause = why;
        [[fallthrough]];
    case CConfigurationRead::Unreadable:
        read.exists = true;
        read.readable = false;
        return read;
    }
    read.exists = true;
    if (ParseArchiveLog(content, read.entries))
        return read;
    // Kept aside before anything is written under its name, with every entry it still shows.
    read.keptAside = KeepDamagedFileAside(path);
    QOR_LOG("Archiver: archive.log could not be read as written; %zu entries recovered\r\n", read.entries.size());
    if (read.keptAside.empty())
        read.readable = false;
    return read;
}

} // namespace qor

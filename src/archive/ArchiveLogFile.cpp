#include "archive/ArchiveLogFile.h"

#include "archive/ArchiveLogReader.h"
#include "archive/ArchiveLogRecovery.h"
#include "foundation/AtomicFile.h"
#include "foundation/DamagedFile.h"
#include "foundation/Logger.h"
#include "foundation/Utf8Text.h"
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

CArchiveLogFileRead ReadArchiveLogFile(const std::string& path)
{
    CArchiveLogFileRead read;
    std::string content;
    if (!ReadWholeFile(path, content, kLargestLog)) {
        read.readable = errno == ENOENT;
        read.exists = errno != ENOENT;
        return read;
    }
    read.exists = true;
    content = TextFileAsUtf8(content);
    CArchiveLogReader logReader;
    CXmlReader reader;
    const bool blank = content.find_first_not_of(" \t\r\n") == std::string::npos;
    if (reader.Read(content, logReader) && (logReader.sawElement || blank)) {
        read.entries = std::move(logReader.jobs);
        return read;
    }
    // Kept aside before anything is written under its name; then every entry it still shows is
    // taken, by lines when that finds more than the XML reader did before the damage.
    read.keptAside = KeepDamagedFileAside(path);
    ArchiveLogEntries recovered = RecoverArchiveLogEntries(content);
    read.entries = CallsIn(recovered) + recovered.size() >= CallsIn(logReader.jobs) + logReader.jobs.size()
        ? std::move(recovered)
        : std::move(logReader.jobs);
    QOR_LOG("Archiver: archive.log could not be read as written (%s, line %d); %zu entries recovered\r\n",
        reader.Error().message.c_str(), reader.Error().line, read.entries.size());
    if (read.keptAside.empty())
        read.readable = false;
    return read;
}

} // namespace qor

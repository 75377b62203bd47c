#include "archive/ArchiveLogReader.h"

#include "foundation/XMLSettings.h"

namespace qor {
namespace {

int LeadingInt(const std::string& text)
{
    int value = 0;
    return ParseLeadingInt(text.c_str(), value) ? value : 0;
}

} // namespace

void CArchiveLogReader::StartElement(CXmlNode&& element)
{
    ++m_depth;
    sawElement = true;
    const std::string* id = element.Attribute("id");
    // Depth 1 is the file's root element; jobs lie below it, at any depth, never inside a job.
    if (!m_job && m_depth > 1 && id) {
        m_job = std::make_unique<CJobArchListEntry>();
        m_job->mediaProcessing = kModificationNotLogged;
        m_jobDepth = m_depth;
        m_jobId = LeadingInt(*id);
        m_callId = 0;
        return;
    }
    if (m_job && m_depth == m_jobDepth + 1) {
        m_field = element.name;
        m_fieldTaken = false;
    }
}

void CArchiveLogReader::EndElement()
{
    if (m_job && m_depth == m_jobDepth) {
        if (m_jobId != 0) {
            m_job->SetJobTime(m_jobId);
            jobs.push_back(std::move(m_job));
        }
        m_job.reset();
        m_jobDepth = 0;
    }
    --m_depth;
}

void CArchiveLogReader::Text(std::string&& text, const std::string& parentName)
{
    if (!m_job)
        return;
    if (m_depth == m_jobDepth + 2 && m_field == "calls") {
        ReadArchiveLogField(*m_job, parentName, std::move(text), m_callId);
        return;
    }
    if (m_depth != m_jobDepth + 1 || m_fieldTaken || m_field == "call_id" || m_field == "file")
        return;
    m_fieldTaken = true;
    ReadArchiveLogField(*m_job, m_field, std::move(text), m_callId);
}

void ReadArchiveLogField(CJobArchListEntry& job, const std::string& field, std::string&& text, std::int32_t& callId)
{
    if (field == "call_id") {
        callId = LeadingInt(text);
    } else if (field == "file") {
        CRvFileListEntry call;
        call.SetPath(text);
        call.SetDisplayTime(callId);
        // Not AddCall: the log is read at start-up, and the archived files need not be asked
        // for their sizes.
        job.Calls().push_back(std::move(call));
    } else if (field == "target") {
        job.target = std::move(text);
    } else if (field == "archiver") {
        job.archiveType = ArchiveMethodFromLogName(text.c_str());
    } else if (field == "callcount") {
        job.callCount = LeadingInt(text);
    } else if (field == "comment") {
        job.SetComment(text);
    } else if (field == "user") {
        job.SetUserName(text);
    } else if (field == "originals") {
        job.originalsNote = std::move(text);
    } else if (field == "structure") {
        job.structureType = LeadingInt(text);
    } else if (field == "modification") {
        job.mediaProcessing = LeadingInt(text);
    }
}

} // namespace qor

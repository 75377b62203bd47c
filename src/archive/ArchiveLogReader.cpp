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
    const std::string* id = element.Attribute("id");
    // Depth 1 is the file's root element; jobs lie below it, at any depth, never inside a job.
    if (!m_job && m_depth > 1 && id) {
        m_job = std::make_unique<CJobArchListEntry>();
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
        if (parentName == "call_id") {
            m_callId = LeadingInt(text);
        } else if (parentName == "file") {
            CRvFileListEntry call;
            call.SetPath(text);
            call.SetDisplayTime(m_callId);
            // Not AddCall: the log is read at start-up, and the archived files need not be asked
            // for their sizes.
            m_job->Calls().push_back(std::move(call));
        }
        return;
    }
    if (m_depth != m_jobDepth + 1 || m_fieldTaken)
        return;
    m_fieldTaken = true;
    if (m_field == "target")
        m_job->target = std::move(text);
    else if (m_field == "archiver")
        m_job->archiveType = ArchiveMethodFromLogName(text.c_str());
    else if (m_field == "callcount")
        m_job->callCount = LeadingInt(text);
    else if (m_field == "comment")
        m_job->SetComment(text);
}

} // namespace qor

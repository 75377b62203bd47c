// Reads "archive.log" as the parser meets it, keeping only the jobs: any element below the file's
// root that carries an "id" is a job; its target, method, call count, comment, what became of the
// originals, and calls (a start time in "call_id", then the path in "file") are taken, the date
// text is rebuilt from the id, and a job whose id is 0 or missing is dropped.
#pragma once

#include "archive/JobArchListEntry.h"
#include "foundation/XmlReader.h"

#include <memory>
#include <vector>

namespace qor {

// Takes one field of a job as the log holds it: a call id sets the start of the calls that follow.
void ReadArchiveLogField(CJobArchListEntry& job, const std::string& field, std::string&& text, std::int32_t& callId);

class CArchiveLogReader : public IXmlHandler {
public:
    void StartElement(CXmlNode&& element) override;
    void EndElement() override;
    void Text(std::string&& text, const std::string& parentName) override;

    std::vector<std::unique_ptr<CJobArchListEntry>> jobs;
    bool sawElement = false; // a file with no element at all is no log

private:
    int m_depth = 0;
    int m_jobDepth = 0; // depth of the job being read, 0 outside one
    std::unique_ptr<CJobArchListEntry> m_job;
    std::int64_t m_jobId = 0;
    std::int32_t m_callId = 0;
    std::string m_field; // the job's child element being read
    bool m_fieldTaken = false; // only a field's first text counts
};

} // namespace qor

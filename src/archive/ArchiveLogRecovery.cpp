#include "archive/ArchiveLogRecovery.h"

#include "archive/ArchiveLogReader.h"
#include "foundation/XmlEscape.h"

#include <array>
#include <cstdlib>
#include <string>

namespace qor {
namespace {

constexpr std::array<std::string_view, 10> kFields = { "target", "archiver", "callcount", "user", "structure",
    "modification", "comment", "originals", "call_id", "file" };

std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        while (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

std::string_view Trimmed(std::string_view line)
{
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    return line;
}

// A line that starts markup of its own, where a text running over several lines must have ended.
bool StartsElement(std::string_view line)
{
    line = Trimmed(line);
    if (line.starts_with("<entry") || line.starts_with("</entry") || line.starts_with("<calls")
        || line.starts_with("</calls") || line.starts_with("</root") || line.starts_with("</Root"))
        return true;
    for (const std::string_view field : kFields)
        if (line.starts_with("<" + std::string(field) + ">"))
            return true;
    return false;
}

std::int64_t IdOf(std::string_view line)
{
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return 0;
    std::string digits(line.substr(equals + 1));
    const auto first = digits.find_first_not_of(" \t\"'");
    return first == std::string::npos ? 0 : std::strtoll(digits.c_str() + first, nullptr, 10);
}

class CRecovery {
public:
    explicit CRecovery(std::string_view text)
        : m_lines(SplitLines(text))
    {
    }

    std::vector<std::unique_ptr<CJobArchListEntry>> Run()
    {
        for (m_index = 0; m_index < m_lines.size(); ++m_index) {
            const std::string_view line = Trimmed(m_lines[m_index]);
            if (line.starts_with("<entry")) {
                Finish();
                m_job = std::make_unique<CJobArchListEntry>();
                m_job->mediaProcessing = kModificationNotLogged;
                m_job->SetJobTime(IdOf(line));
                m_callId = 0;
            } else if (line.starts_with("</entry")) {
                Finish();
            } else if (m_job) {
                Field(line);
            }
        }
        Finish();
        return std::move(m_jobs);
    }

private:
    void Field(std::string_view line)
    {
        for (const std::string_view field : kFields) {
            const std::string open = "<" + std::string(field) + ">";
            if (!line.starts_with(open))
                continue;
            const std::string close = "</" + std::string(field) + ">";
            std::string text(line.substr(open.size()));
            auto end = text.rfind(close);
            while (end == std::string::npos && m_index + 1 < m_lines.size() && !StartsElement(m_lines[m_index + 1])) {
                text += "\n";
                text += m_lines[++m_index];
                end = text.rfind(close);
            }
            if (end != std::string::npos)
                text.resize(end);
            ReadArchiveLogField(*m_job, std::string(field), DecodeXmlText(text), m_callId);
            return;
        }
    }

    void Finish()
    {
        if (m_job && m_job->GetJobTime() != 0)
            m_jobs.push_back(std::move(m_job));
        m_job.reset();
    }

    std::vector<std::string_view> m_lines;
    std::size_t m_index = 0;
    std::unique_ptr<CJobArchListEntry> m_job;
    std::int32_t m_callId = 0;
    std::vector<std::unique_ptr<CJobArchListEntry>> m_jobs;
};

} // namespace

std::vector<std::unique_ptr<CJobArchListEntry>> RecoverArchiveLogEntries(std::string_view text)
{
    return CRecovery(text).Run();
}

} // namespace qor

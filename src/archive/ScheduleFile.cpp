#include "archive/ScheduleFile.h"

#include "foundation/Logger.h"
#include "foundation/WriteTrust.h"
#include "foundation/XMLSettings.h"
#include "foundation/XmlEscape.h"
#include "foundation/XmlReader.h"

#include <algorithm>
#include <strings.h>

namespace qor {
namespace {

constexpr const char* kRoot = "ArchiveJobSchedulingData";

// Takes the settings from the file as the parser meets them: the fields are the children of the
// root element named as above (in any case), the folders the "path" children of "SpaceFolders".
class CScheduleReader : public IXmlHandler {
public:
    explicit CScheduleReader(CScheduleSettings& settings)
        : m_settings(settings)
    {
    }

    void StartElement(CXmlNode&& element) override
    {
        if (m_open.empty() && m_rootName.empty())
            m_rootName = element.name;
        m_open.push_back(std::move(element.name));
    }
    void EndElement() override { m_open.pop_back(); }

    void Text(std::string&& text, const std::string& parentName) override
    {
        if (m_open.empty() || strcasecmp(m_open.front().c_str(), kRoot) != 0)
            return;
        if (m_open.size() == 3 && m_open[1] == "SpaceFolders" && parentName == "path") {
            auto& folders = m_settings.spaceFolders;
            if (std::find(folders.begin(), folders.end(), text) == folders.end())
                folders.push_back(std::move(text));
        } else if (m_open.size() == 2) {
            Field(parentName, std::move(text));
        }
    }

    // The first element's name, which a schedule file has as kRoot; empty when there was none.
    const std::string& RootName() const { return m_rootName; }

private:
    static std::int32_t Number(const std::string& text)
    {
        int value = 0;
        return ParseLeadingInt(text.c_str(), value) ? value : 0;
    }

    void Field(const std::string& name, std::string&& text)
    {
        CScheduleSettings& s = m_settings;
        if (name == "Enabled")
            s.enabled = strcasecmp(text.c_str(), "TRUE") == 0;
        else if (name == "CancelJob")
            s.cancelJob = strcasecmp(text.c_str(), "TRUE") == 0;
        else if (name == "SelectionType")
            s.selectionType = Number(text);
        else if (name == "ScheduleType")
            s.scheduleType = Number(text);
        else if (name == "ArchiveType")
            s.archiveType = Number(text);
        else if (name == "MediaProcessing")
            s.mediaProcessing = Number(text);
        else if (name == "ArchStructureType")
            s.structureType = Number(text);
        else if (name == "ThresholdSize")
            s.thresholdSize = Number(text);
        else if (name == "DaysInterval")
            s.daysInterval = Number(text);
        else if (name == "LastJobTime")
            s.lastJobTime = Number(text);
        else if (name == "ScheduledTime")
            s.scheduledTime = Number(text);
        else if (name == "ArchivePath")
            s.archivePath = std::move(text);
        else if (name == "ArchiveName")
            s.archiveName = std::move(text);
        else if (name == "UserName")
            s.userName = std::move(text);
        else if (name == "Comment")
            s.comment = std::move(text);
    }

    CScheduleSettings& m_settings;
    std::vector<std::string> m_open;
    std::string m_rootName;
};

std::string Line(const char* name, const std::string& value)
{
    return std::string("   <") + name + ">" + value + "</" + name + ">\r\r\n";
}

std::string Flag(bool on)
{
    return on ? "TRUE" : "FALSE";
}

// Times are written as 32-bit seconds, as the file has always held them.
std::string Seconds(std::int64_t time)
{
    return std::to_string(static_cast<std::int32_t>(time));
}

} // namespace

std::string ScheduleFileText(const CScheduleSettings& s)
{
    // CR CR LF line ends, as the file has always been written; texts escaped so any folder reads back.
    std::string text = "<?xml version=\"1.0\" standalone=\"yes\" ?>\r\r\n<ArchiveJobSchedulingData>\r\r\n";
    text += "   <SpaceFolders>\r\r\n";
    for (const std::string& folder : s.spaceFolders)
        text += "      <path>" + EscapeXmlText(folder) + "</path>\r\r\n";
    text += "   </SpaceFolders>\r\r\n";
    text += Line("Enabled", Flag(s.enabled));
    text += Line("SelectionType", std::to_string(s.selectionType));
    text += Line("ScheduleType", std::to_string(s.scheduleType));
    text += Line("ArchiveType", std::to_string(s.archiveType));
    text += Line("ArchivePath", EscapeXmlText(s.archivePath));
    text += Line("ArchiveName", EscapeXmlText(s.archiveName));
    text += Line("MediaProcessing", std::to_string(s.mediaProcessing));
    text += Line("ArchStructureType", std::to_string(s.structureType));
    text += Line("ThresholdSize", std::to_string(s.thresholdSize));
    text += Line("CancelJob", Flag(s.cancelJob));
    text += Line("LastJobTime", Seconds(s.lastJobTime));
    text += Line("ScheduledTime", Seconds(s.scheduledTime));
    text += Line("DaysInterval", std::to_string(s.daysInterval));
    if (!s.userName.empty())
        text += Line("UserName", EscapeXmlText(s.userName));
    if (!s.comment.empty())
        text += Line("Comment", EscapeXmlText(s.comment));
    return text + "</ArchiveJobSchedulingData>\r\r\n";
}

CScheduleSettings MergeScheduleSettings(
    const CScheduleSettings& base, const CScheduleSettings& ours, const CScheduleSettings& theirs)
{
    CScheduleSettings merged = theirs;
    const auto keepOurs = [&](auto member) {
        if (ours.*member != base.*member)
            merged.*member = ours.*member;
    };
    keepOurs(&CScheduleSettings::spaceFolders);
    keepOurs(&CScheduleSettings::enabled);
    keepOurs(&CScheduleSettings::selectionType);
    keepOurs(&CScheduleSettings::scheduleType);
    keepOurs(&CScheduleSettings::archiveType);
    keepOurs(&CScheduleSettings::mediaProcessing);
    keepOurs(&CScheduleSettings::archivePath);
    keepOurs(&CScheduleSettings::archiveName);
    keepOurs(&CScheduleSettings::structureType);
    keepOurs(&CScheduleSettings::thresholdSize);
    keepOurs(&CScheduleSettings::cancelJob);
    keepOurs(&CScheduleSettings::userName);
    keepOurs(&CScheduleSettings::comment);
    keepOurs(&CScheduleSettings::lastJobTime);
    keepOurs(&CScheduleSettings::scheduledTime);
    keepOurs(&CScheduleSettings::daysInterval);
    return merged;
}

bool ReadScheduleFile(
    const std::string& path, CScheduleSettings& settings, std::string* why, std::optional<uid_t> owner)
{
    std::string content, distrust;
    const CConfigurationRead read = ReadConfiguration(path, content, distrust, 64u << 20, owner);
    if (read == CConfigurationRead::Untrusted) {
        QOR_LOG("Archiver: %s is ignored: %s\r\n", path.c_str(), distrust.c_str());
        if (why)
            *why = "is not trusted: " + distrust;
        return false;
    }
    CScheduleSettings readSettings = settings;
    CScheduleReader handler(readSettings);
    if (read != CConfigurationRead::Read || !StartsAsMarkup(content) || !CXmlReader().Read(content, handler)) {
        if (why)
            *why = "cannot be read or is malformed";
        return false;
    }
    // Another XML file in its place would otherwise read as the default job.
    if (strcasecmp(handler.RootName().c_str(), kRoot) != 0) {
        if (why)
            *why = "is not a schedule file: its root element is <" + handler.RootName() + ">, not <" + kRoot + ">";
        return false;
    }
    settings = std::move(readSettings);
    return true;
}

} // namespace qor

#include "CallLedger.h"

#include "archive/ArchiveLogReader.h"
#include "archive/ArchiveLogger.h"
#include "foundation/XmlReader.h"
#include "support/TestFolders.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>

namespace qor::test {
namespace {

namespace fs = std::filesystem;

bool IsPartial(const fs::path& path)
{
    const std::string name = path.filename().string();
    return name.starts_with(".qor-") && name.ends_with(".partial");
}

void ReadTree(const std::string& folder, std::vector<std::string>& contents)
{
    std::error_code error;
    for (auto item = fs::recursive_directory_iterator(folder, error);
         !error && item != fs::recursive_directory_iterator(); item.increment(error))
        if (item->is_regular_file() && !item->is_symlink() && !IsPartial(item->path()))
            contents.push_back(ReadFileText(item->path().string()));
}

int Shell(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

} // namespace

void CCallLedger::Record(const std::string& path)
{
    m_calls[path] = { ReadFileText(path) };
}

void CCallLedger::RecordAnyOf(const std::string& path, const std::vector<std::string>& contents)
{
    m_calls[path] = contents;
}

void CCallLedger::RecordFolder(const std::string& folder)
{
    std::error_code error;
    for (auto item = fs::recursive_directory_iterator(folder, error);
         !error && item != fs::recursive_directory_iterator(); item.increment(error))
        if (item->is_regular_file() && item->path().extension() == ".qor")
            Record(item->path().string());
}

bool ArchiveContents(const std::string& archive, std::vector<std::string>& contents, std::string& why)
{
    std::error_code error;
    if (fs::is_directory(archive, error)) {
        ReadTree(archive, contents);
        return true;
    }
    if (!fs::exists(archive, error)) {
        why = "it is gone";
        return false;
    }
    const CTempFolder extracted;
    const std::string quiet = " >/dev/null 2>&1";
    if (archive.ends_with(".zip")) {
        if (Shell("unzip -tqq " + Quoted(archive) + quiet) != 0) {
            why = "unzip -t refuses it";
            return false;
        }
        if (Shell("unzip -Z1 " + Quoted(archive) + " | sort | uniq -d | grep -q ." + quiet) == 0) {
            why = "it holds two entries of one name";
            return false;
        }
        if (Shell("unzip -qq -o " + Quoted(archive) + " -d " + Quoted(extracted.Path()) + quiet) != 0) {
            why = "unzip cannot extract it";
            return false;
        }
    } else if (Shell("xorriso -abort_on FAILURE -return_with SORRY 32 -indev " + Quoted(archive)
                   + " -osirrox on -extract / " + Quoted(extracted.File("image")) + quiet)
        != 0) {
        why = "xorriso refuses it";
        return false;
    }
    ReadTree(extracted.Path(), contents);
    return true;
}

std::vector<std::string> CCallLedger::Violations(const std::string& otherLog) const
{
    std::vector<std::string> violations;
    const std::string logPath = otherLog.empty() ? CArchiveLogger::FilePath() : otherLog;
    CArchiveLogReader logReader;
    CXmlReader reader;
    if (fs::exists(logPath) && !reader.ReadFile(logPath, logReader))
        violations.push_back("archive.log cannot be read: " + reader.Error().message);
    std::map<std::string, std::set<std::string>> targetsOf; // call path -> archives the log names for it
    std::set<std::string> targets;
    for (const auto& job : logReader.jobs) {
        targets.insert(job->target);
        for (const CRvFileListEntry& call : job->Calls())
            targetsOf[call.GetPath()].insert(job->target);
    }
    std::map<std::string, std::set<std::string>> held; // archive -> the bytes of what it holds
    for (const std::string& target : targets) {
        std::vector<std::string> contents;
        std::string why;
        if (ArchiveContents(target, contents, why))
            held[target] = std::set<std::string>(contents.begin(), contents.end());
        else if (why != "it is gone")
            violations.push_back("the archive " + target + " that archive.log names: " + why);
    }
    for (const auto& [path, states] : m_calls) {
        const std::string now = fs::exists(path) ? ReadFileText(path) : std::string();
        const auto named = targetsOf.find(path);
        const auto kept = [&](const std::string& content) {
            if (fs::exists(path) && now == content)
                return true;
            return named != targetsOf.end()
                && std::any_of(named->second.begin(), named->second.end(),
                    [&](const std::string& target) { return held.contains(target) && held[target].contains(content); });
        };
        if (!std::any_of(states.begin(), states.end(), kept))
            violations.push_back(path + " (" + std::to_string(states.back().size()) + " bytes) is gone or changed, and "
                + (named == targetsOf.end() ? "archive.log names no archive for it"
                                            : "no archive archive.log names for it holds it intact"));
    }
    return violations;
}

std::vector<std::string> PartialFilesBelow(const std::string& folder)
{
    std::vector<std::string> partials;
    std::error_code error;
    for (auto item = fs::recursive_directory_iterator(folder, error);
         !error && item != fs::recursive_directory_iterator(); item.increment(error))
        if (IsPartial(item->path()))
            partials.push_back(item->path().string());
    return partials;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

} // namespace qor::test

#include "ZipTools.h"

#include "archive/zip/ZipJournal.h"
#include "support/TestFolders.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <sys/wait.h>

namespace qor::test {
namespace {

// Single quotes for the shell; the tests' paths and names hold none.
std::string Quoted(const std::string& text)
{
    return "'" + text + "'";
}

constexpr const char* kReadEntries = R"(
import sys, zipfile
archive = zipfile.ZipFile(sys.argv[1])
if archive.testzip() is not None:
    sys.exit(1)
entries = archive.infolist()
pairs = sys.argv[2:]
for index in range(0, len(pairs), 2):
    entry = entries[index // 2]
    if entry.filename != pairs[index]:
        sys.exit(2)
    if pairs[index + 1] and archive.read(entry) != open(pairs[index + 1], "rb").read():
        sys.exit(3)
)";

} // namespace

int RunCommand(const std::string& command)
{
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool UnzipAccepts(const std::string& archive, const std::string& member)
{
    return RunCommand("unzip -tqq " + Quoted(archive) + (member.empty() ? "" : " " + Quoted(member))) == 0;
}

bool PythonReadsEntries(const std::string& archive, const std::vector<std::pair<std::string, std::string>>& expected)
{
    std::string command = "python3 -c " + Quoted(kReadEntries) + " " + Quoted(archive);
    for (const auto& [name, source] : expected)
        command += " " + Quoted(name) + " " + Quoted(source);
    return RunCommand(command) == 0;
}

std::vector<std::string> PythonEntryNames(const std::string& archive)
{
    const std::string command
        = "python3 -c 'import sys, zipfile; print(\"\\n\".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "
        + Quoted(archive);
    std::vector<std::string> names;
    std::FILE* output = popen(command.c_str(), "r");
    if (!output)
        return names;
    char line[4096];
    while (std::fgets(line, sizeof line, output)) {
        std::string name(line);
        if (!name.empty() && name.back() == '\n')
            name.pop_back();
        if (!name.empty())
            names.push_back(name);
    }
    pclose(output);
    return names;
}

void WriteRandomFile(const std::string& path, std::size_t size, unsigned seed)
{
    std::mt19937 generator(seed);
    std::string content(size, '\0');
    for (char& byte : content)
        byte = static_cast<char>(generator() & 0xFF);
    WriteFileText(path, content);
}

bool JournalWaits()
{
    const std::string folder = CZipJournal::Folder(false);
    std::error_code error;
    if (folder.empty())
        return false;
    for (const auto& item : std::filesystem::directory_iterator(folder, error))
        if (item.path().extension() == ".journal")
            return true;
    return false;
}

} // namespace qor::test

#include "archive/iso/IsoImageChecks.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

namespace qor::test {

std::set<std::string> ListImagePaths(const std::string& image, const std::string& tree)
{
    const std::string command = "xorriso -abort_on FATAL -local_charset UTF-8 -read_fs " + tree + " -indev '" + image
        + "' -find / 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    std::set<std::string> paths;
    if (!pipe) {
        ADD_FAILURE() << "xorriso cannot be started";
        return paths;
    }
    char line[4096];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string path(line);
        // xorriso quotes each path: '/a/b'
        if (path.size() < 3 || path.front() != '\'')
            continue;
        path = path.substr(1, path.rfind('\'') - 1);
        if (path != "/")
            paths.insert(path);
    }
    EXPECT_EQ(pclose(pipe), 0) << command;
    return paths;
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void CRecordedMessages::Show(Kind, const std::string& text)
{
    texts.push_back(text);
}

} // namespace qor::test

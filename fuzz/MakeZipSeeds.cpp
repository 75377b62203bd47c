// Writes ZIP archives with our own archiver into a folder, as seeds for the fuzz-zip target: one
// made in one run and one appended to in a second run.
#include "archive/zip/ZipArchiver.h"

#include <cstdio>
#include <string>

namespace {

bool WriteSource(const std::string& path, const std::string& content)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    return std::fclose(file) == 0 && written;
}

} // namespace

int main(int argumentCount, char** arguments)
{
    if (argumentCount != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", arguments[0]);
        return 2;
    }
    const std::string folder = arguments[1];
    const std::string first = folder + "/first.qor";
    const std::string second = folder + "/second.qor";
    if (!WriteSource(first, std::string(3000, 'a') + "seed call") || !WriteSource(second, "a short call"))
        return 1;
    qor::CZIPArchiver creating(nullptr, nullptr);
    creating.Add(folder + "/ours.zip", first, "1234", 0);
    creating.Add(folder + "/ours.zip", second, "Mar 2015", 0);
    qor::CZIPArchiver appending(nullptr, nullptr);
    appending.Add(folder + "/ours.zip", first, "", 0);
    const bool written = creating.Write() == 2 && appending.Write() == 1;
    std::remove(first.c_str());
    std::remove(second.c_str());
    return written ? 0 : 1;
}

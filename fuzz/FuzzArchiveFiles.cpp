// Feeds arbitrary bytes as "archive.log" and as "schedule.xml" to their readers, and checks that a
// log read back after writing holds the same jobs.
#include "archive/ArchiveLogReader.h"
#include "archive/ScheduleFile.h"
#include "foundation/XmlReader.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

const std::string& InputPath()
{
    static const std::string path
        = (std::filesystem::temp_directory_path() / ("qorfuzz-" + std::to_string(getpid()) + ".xml")).string();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace qor;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CArchiveLogReader log;
    CXmlReader reader;
    reader.Read(text, log);
    for (const auto& job : log.jobs)
        if (job->GetJobTime() == 0)
            std::abort(); // a job without an id is never kept

    std::FILE* file = std::fopen(InputPath().c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    CScheduleSettings settings;
    const CScheduleSettings before = settings;
    if (!ReadScheduleFile(InputPath(), settings) && settings.spaceFolders != before.spaceFolders)
        std::abort(); // a file that cannot be read changes nothing
    CScheduleSettings reread;
    std::FILE* written = std::fopen(InputPath().c_str(), "wb");
    if (!written)
        return 0;
    const std::string saved = ScheduleFileText(settings);
    std::fwrite(saved.data(), 1, saved.size(), written);
    std::fclose(written);
    if (!ReadScheduleFile(InputPath(), reread) || reread.spaceFolders != settings.spaceFolders
        || reread.comment != settings.comment || reread.archivePath != settings.archivePath)
        std::abort(); // what was written reads back as it was
    return 0;
}

#include "FuzzFiles.h"

#include "foundation/DataFolders.h"
#include "foundation/ResourceStrings.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace qor::fuzz {
namespace {

const std::filesystem::path& Scratch()
{
    static const std::filesystem::path folder = [] {
        std::filesystem::path made = std::filesystem::temp_directory_path() / ("qorfuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(made);
        return made;
    }();
    return folder;
}

} // namespace

std::string ScratchPath(const std::string& name)
{
    return (Scratch() / name).string();
}

bool WriteWholeFile(const std::string& path, std::string_view bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

void UsePrivateDataFolders()
{
    for (const char* variable :
        { "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "HOME", "XDG_CONFIG_DIRS", "QOR_MACHINE_DATA_DIR" })
        setenv(variable, ScratchPath(variable).c_str(), 1);
    // A runtime folder of its own, so that no target ever speaks to (or takes over) a real copy's socket.
    const std::string runtime = ScratchPath("XDG_RUNTIME_DIR");
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    SetDataFolderNames(LoadResourceString(IDS_COMPANY_NAME), LoadResourceString(IDS_PRODUCT_NAME));
}

} // namespace qor::fuzz

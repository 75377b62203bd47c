// qortolvane-cli: the headless companion of the desktop program, for batch and scheduled work.
#include "foundation/DataFolders.h"
#include "foundation/ResourceStrings.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"

#include <cstdio>
#include <cstring>

namespace {

using namespace qor;

void PrintUsage(std::FILE* out)
{
    std::fputs("Usage: qortolvane-cli COMMAND\n"
               "\n"
               "Commands:\n"
               "  paths      show where the program keeps its log and configuration files\n"
               "  settings   show the settings as the desktop program would load them\n"
               "  help       show this text\n",
        out);
}

void PrintPaths()
{
    std::printf("Log folder:                  %s\n", GetLogFolder().c_str());
    std::printf("Per-user configuration:      %s\n", GetConfigurationFolder(false).c_str());
    std::printf("Per-machine configuration:   %s\n", GetConfigurationFolder(true).c_str());
    std::printf(
        "User settings file:          %s\n", CSettings::GetConfigFilePath(false, CSettings::kConfigFile).c_str());
    std::printf("Administrator settings file: %s (per-user) or %s (per-machine)\n",
        CSettings::GetAdminConfigFilePath(false, CSettings::kConfigFile).c_str(),
        CSettings::GetAdminConfigFilePath(true, CSettings::kConfigFile).c_str());
}

void PrintSettings()
{
    auto settings = Singleton<CSettings>::Instance();
    const std::string resourceFile = settings->GetResourceFile();
    settings->Load();
    std::printf("Resource library:    %s\n", resourceFile.empty() ? "(built in)" : resourceFile.c_str());
    std::printf("Column widths:      ");
    for (int column = 0; column < static_cast<int>(CSettings::kColumnCount); ++column)
        std::printf(" %d", settings->GetColumnWidth(column));
    std::printf("\nPlay history at start-up: %s\n", settings->GetShowHistory() ? "yes" : "no");
    std::printf("Passphrase saved:    %s\n", settings->GetSavePassphrase() ? "yes" : "no");
    std::printf("Export blocked:      %s\n", settings->IsExportBlocked() ? "yes" : "no");
    std::printf("Delete disabled:     %s\n", settings->IsDeleteDisabled() ? "yes" : "no");
}

} // namespace

int main(int argc, char** argv)
{
    SetDataFolderNames(LoadResourceString(IDS_COMPANY_NAME), LoadResourceString(IDS_PRODUCT_NAME));
    const char* command = argc > 1 ? argv[1] : "help";
    if (std::strcmp(command, "paths") == 0) {
        PrintPaths();
        return 0;
    }
    if (std::strcmp(command, "settings") == 0) {
        PrintSettings();
        return 0;
    }
    if (std::strcmp(command, "help") == 0 || std::strcmp(command, "--help") == 0) {
        PrintUsage(stdout);
        return 0;
    }
    std::fprintf(stderr, "qortolvane-cli: unknown command '%s'\n\n", command);
    PrintUsage(stderr);
    return 2;
}

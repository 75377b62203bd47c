// samples, paths and settings: a demo library to try things on, and where the program keeps its
// files and what its settings are.
#include "cli/CliContext.h"
#include "cli/Commands.h"
#include "cli/ProgressBar.h"
#include "foundation/DataFolders.h"
#include "foundation/ResourceBundle.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "foundation/UserName.h"
#include "samplegen/DemoLibrary.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

namespace qor::cli {
namespace {

// Where Qt keeps the window's settings (QSettings by company and product): no Qt here to ask.
std::string RecentFilesPath()
{
    std::string configuration, company, product;
    GetSpecialFolderPath(kFolderUserAppData, configuration, false);
    GetDataFolderNames(company, product);
    return configuration + "/" + company + "/" + product + ".conf";
}

void PrintPaths()
{
    std::printf("Log folder:                  %s\n", GetLogFolder().c_str());
    std::printf("Per-user configuration:      %s\n", GetConfigurationFolder(false).c_str());
    std::printf("Your own data:               %s\n", GetConfigurationFolder(true).c_str());
    std::printf("Office job (read-only):      %s (of %s)\n", GetOfficeConfigurationFolder().c_str(),
        AccountName(CSettings::GetOfficeAccount()).c_str());
    if (const std::string mistake = CSettings::GetOfficeAccountMistake(); !mistake.empty())
        std::printf("                             (%s)\n", mistake.c_str());
    std::printf(
        "User settings file:          %s\n", CSettings::GetConfigFilePath(false, CSettings::kConfigFile).c_str());
    std::printf("Recent lists (the window's): %s\n", RecentFilesPath().c_str());
    std::printf("Branding file:               %s\n", CSettings::GetBrandingFilePath().c_str());
    std::printf("Administrator settings file: %s (per-user) or %s (per-machine)\n",
        CSettings::GetAdminConfigFilePath(false, CSettings::kConfigFile).c_str(),
        CSettings::GetAdminConfigFilePath(true, CSettings::kConfigFile).c_str());
}

void PrintSettings()
{
    auto settings = Singleton<CSettings>::Instance();
    // The bundle in use, as the start took it from branding.xml.
    const std::string bundle = ResourceBundleFolder();
    std::printf("Resource library:    %s\n", bundle.empty() ? "(built in)" : bundle.c_str());
    std::printf("Column widths:      ");
    for (int column = 0; column < static_cast<int>(CSettings::kColumnCount); ++column)
        std::printf(" %d", settings->GetColumnWidth(column));
    std::printf("\nPlay history at start-up: %s\n", settings->GetShowHistory() ? "yes" : "no");
    std::printf("Passphrase saved:    %s\n", settings->GetSavePassphrase() ? "yes" : "no");
    std::printf("Export blocked:      %s\n", settings->IsExportBlocked() ? "yes" : "no");
    std::printf("Delete disabled:     %s\n", settings->IsDeleteDisabled() ? "yes" : "no");
}

} // namespace

void AddHousekeepingCommands(CLI::App& program, CCliContext& context)
{
    auto folder = std::make_shared<std::string>();
    auto count = std::make_shared<int>(240);
    CLI::App* samples = program.add_subcommand("samples", "Write a library of demo calls into a folder");
    samples->add_option("DIR", *folder, "The folder (made if missing)")->required();
    samples->add_option("--count", *count, "How many calls")->check(CLI::Range(1, 100'000));
    samples->callback([folder, count, &context] {
        CProgressBar progress("writing", static_cast<std::size_t>(*count));
        const int written = samplegen::WriteDemoLibrary(
            *folder, *count, [&progress](int done) { progress.Update(static_cast<std::size_t>(done)); });
        progress.Finish();
        if (written < *count)
            return context.Fail(*folder, "could write only " + std::to_string(written) + " of the calls there");
        std::printf(
            "%d calls written to %s (the encrypted ones with the passphrase \"demo\")\n", written, folder->c_str());
    });
    program.add_subcommand("paths", "Show where the program keeps its log and configuration files")
        ->callback(PrintPaths);
    program.add_subcommand("settings", "Show the settings as the desktop program loads them")->callback(PrintSettings);
}

} // namespace qor::cli

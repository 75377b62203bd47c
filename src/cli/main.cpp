// qortolvane-cli: the headless companion of the desktop program, for servers, scripts and timers.
// It works on the same recordings, lists, settings and archive log as the desktop program.
#include "archive/zip/ZipRepair.h"
#include "cli/CliContext.h"
#include "cli/Commands.h"
#include "foundation/DataFolders.h"
#include "foundation/ResourceStrings.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"

#include <CLI/CLI.hpp>
#include <cstdio>

namespace {

constexpr const char* kFooter = "\n"
                                "Encrypted calls are read with the passphrase in the file given by --passphrase-file,\n"
                                "else in the variable QOR_PASSPHRASE, else the one saved in the desktop program.\n"
                                "Exit status: 0 success, 1 some files failed (each is named on standard error),\n"
                                "2 the command line was wrong.\n";

} // namespace

int main(int argc, char** argv)
{
    using namespace qor;
    using namespace qor::cli;
    SetDataFolderNames(LoadResourceString(IDS_COMPANY_NAME), LoadResourceString(IDS_PRODUCT_NAME));
    Singleton<CSettings>::Instance()->Load();
    // An archive that a killed run left half-written is put back before any command can use it.
    for (const CZipRepairOutcome& repair : RepairPendingZipJournals())
        std::fprintf(stderr, "qortolvane-cli: %s: %s\n", repair.archive.c_str(), repair.message.c_str());

    CCliContext context;
    CLI::App program(
        "qortolvane-cli: list, export, annotate and archive recorded calls without a window", "qortolvane-cli");
    program.footer(kFooter);
    program.require_subcommand(1);
    program.fallthrough(); // the options below may also follow the subcommand
    program.add_option("--passphrase-file", context.passphraseFile,
        "Read the passphrase for encrypted calls from the first line of this file");
    AddListCommand(program, context);
    AddInfoCommand(program, context);
    AddExportCommands(program, context);
    AddAnnotationCommands(program, context);
    AddArchiveCommand(program, context);
    AddLogAndScheduleCommands(program, context);
    AddHousekeepingCommands(program, context);

    try {
        program.parse(argc, argv);
    } catch (const CLI::Success& done) { // --help
        return program.exit(done);
    } catch (const CLI::ParseError& error) {
        program.exit(error);
        return kExitUsage;
    } catch (const UsageError& error) {
        std::fprintf(stderr, "qortolvane-cli: %s\n", error.what());
        return kExitUsage;
    }
    return context.Status();
}

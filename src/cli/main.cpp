// qortolvane-cli: the headless companion of the desktop program, for servers, scripts and timers.
// It works on the same recordings, lists, settings and archive log as the desktop program.
#include "archive/zip/ZipRepair.h"
#include "cli/CliContext.h"
#include "cli/CommandLineHelp.h"
#include "cli/Commands.h"
#include "cli/StandardOutput.h"
#include "foundation/DataFolders.h"
#include "foundation/EarlierFiles.h"
#include "foundation/ResourceBundle.h"
#include "foundation/ResourceStrings.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "foundation/TerminalText.h"

#include <CLI/CLI.hpp>
#include <cstdio>

namespace {

constexpr const char* kFooter
    = "\n"
      "Encrypted calls are read with the passphrase in the file given by --passphrase-file,\n"
      "else in the variable QOR_PASSPHRASE, else the one saved in the desktop program.\n"
      "Exit status: 0 done, 1 nothing matched or nothing to do, 2 some items failed (each\n"
      "is named on standard error; the others were handled), 64 the command line was wrong.\n";

// A run that only tells how to use the program or where its files are changes nothing on disk.
bool OnlyLooks(int argc, char** argv)
{
    std::string command;
    for (int at = 1; at < argc; ++at) {
        const std::string argument = argv[at];
        if (argument == "--")
            break;
        if (argument == "-h" || argument == "--help" || argument == "-V" || argument == "--version")
            return true;
        if (argument == "--passphrase-file")
            ++at;
        else if (command.empty() && !argument.starts_with("-"))
            command = argument;
    }
    return command == "paths" || command == "settings";
}

void Usage(const std::string& message)
{
    std::fprintf(
        stderr, "qortolvane-cli: %s\nRun 'qortolvane-cli --help' for the commands and options.\n", message.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    using namespace qor;
    using namespace qor::cli;
    CheckStandardOutputAtExit();
    // The bundle's names are the data folders' names: without it, the files would be another's.
    // What only looks (help, the version, where the files are) still answers, saying so.
    const bool onlyLooks = OnlyLooks(argc, argv);
    if (std::string bundle, why; !UseBrandingBundle(bundle, why)) {
        std::fprintf(stderr, "qortolvane-cli: Unable to locate the resources file (%s): %s%s\n",
            TerminalText(bundle).c_str(), TerminalText(why).c_str(),
            onlyLooks ? " (what follows is by the program's own names)" : "");
        if (!onlyLooks)
            return kExitConfiguration;
    }
    SetDataFolderNames(LoadResourceString(IDS_COMPANY_NAME), LoadResourceString(IDS_PRODUCT_NAME));
    if (onlyLooks)
        OnlyLookAtDataFolders();
    CCliContext context;
    CLI::App program(
        "qortolvane-cli: list, export, annotate and archive recorded calls without a window", "qortolvane-cli");
    program.footer(kFooter);
    program.require_subcommand(1);
    program.fallthrough(); // the options below may also follow the subcommand
    program.set_version_flag("-V,--version", "qortolvane-cli " QOR_VERSION);
    program.add_option("--passphrase-file", context.passphraseFile,
        "Read the passphrase for encrypted calls from the first line of this file");
    program.add_flag("-q,--quiet", context.quiet, "Say nothing on standard error but failures");
    program.add_flag("-v,--verbose", context.verbose, "Say more of what is done");
    AddListCommand(program, context);
    AddInfoCommand(program, context);
    AddIndexCommand(program, context);
    AddExportCommands(program, context);
    AddAnnotationCommands(program, context);
    AddArchiveCommand(program, context);
    AddLogAndScheduleCommands(program, context);
    AddHousekeepingCommands(program, context);
    // Only a command line that parses touches the data folders: a mistyped one leaves nothing behind.
    program.parse_complete_callback([onlyLooks] {
        Singleton<CSettings>::Instance()->Load();
        if (const std::string exposed = Singleton<CSettings>::Instance()->TakeExposureWarning(); !exposed.empty())
            std::fprintf(stderr, "qortolvane-cli: %s\n", exposed.c_str());
        if (onlyLooks)
            return;
        for (const std::string& refused : TakeOverEarlierFiles().refused)
            std::fprintf(stderr, "qortolvane-cli: %s\n", refused.c_str());
        // An archive that a killed run left half-written is put back before any command can use it.
        for (const CZipRepairOutcome& repair : RepairPendingZipJournals())
            std::fprintf(stderr, "qortolvane-cli: %s: %s\n", repair.archive.c_str(), repair.message.c_str());
    });

    if (const std::string unknown = UnknownCommand(program, argc, argv); !unknown.empty()) {
        Usage(UnknownCommandText(program, unknown));
        return kExitUsage;
    }
    try {
        program.parse(argc, argv);
    } catch (const CLI::Success& done) { // --help, --version
        return program.exit(done);
    } catch (const CLI::ParseError& error) {
        Usage(ParseErrorText(program, error, argc, argv));
        return kExitUsage;
    } catch (const UsageError& error) {
        Usage(error.what());
        RemoveEmptyFoldersMadeThisRun(); // a mistyped command leaves no trace
        return kExitUsage;
    }
    return context.Status();
}

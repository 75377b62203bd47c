// The subcommands of qortolvane-cli; each adds itself, its options and its action to the program.
#pragma once

namespace CLI {
class App;
}

namespace qor::cli {

class CCliContext;

void AddListCommand(CLI::App& program, CCliContext& context);
void AddInfoCommand(CLI::App& program, CCliContext& context);
void AddIndexCommand(CLI::App& program, CCliContext& context);
void AddExportCommands(CLI::App& program, CCliContext& context);
void AddAnnotationCommands(CLI::App& program, CCliContext& context);
void AddArchiveCommand(CLI::App& program, CCliContext& context);
void AddLogAndScheduleCommands(CLI::App& program, CCliContext& context);
void AddHousekeepingCommands(CLI::App& program, CCliContext& context);

} // namespace qor::cli

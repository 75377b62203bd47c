// What the program says when a command line is wrong: the unknown command or option named, with
// the nearest name it knows ("did you mean"), always under the program's own prefix.
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
class Error;
} // namespace CLI

namespace qor::cli {

// The known name closest to what was typed, or empty when none is near enough to be a typing slip.
std::string NearestName(const std::string& typed, const std::vector<std::string>& names);

// The first word of the command line that should name a subcommand but names none, or empty.
// Options of the program itself (and the value --passphrase-file takes) are skipped.
std::string UnknownCommand(const CLI::App& program, int argc, const char* const* argv);

// "unknown command 'x'; did you mean 'y'?"
std::string UnknownCommandText(const CLI::App& program, const std::string& typed);

// The message for a parse error, naming unknown options with their nearest neighbours in the
// subcommand that was being read.
std::string ParseErrorText(const CLI::App& program, const CLI::Error& error, int argc, const char* const* argv);

} // namespace qor::cli

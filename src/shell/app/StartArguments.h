// What the desktop program is started with: its own --help and --version, Qt's options, and the
// files and folders to open. A "--" ends the options, Qt's included, so that any name can be
// opened, one that starts with "-" too.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qor {

// The exit status once --help or --version was answered on standard output; nothing otherwise.
std::optional<int> AnswerHelpOrVersion(int argc, char** argv);

struct CStartArguments {
    std::vector<char*> forQt; // the program's name and what came before "--", for QApplication
    std::vector<std::string> afterDashes; // names, whatever they start with
};
CStartArguments SplitAtDashes(int argc, char** argv);

// The names to open, absolute against workingFolder (a copy already running has its own): what Qt
// left of forQt after the program's name (an option there stays one), then those after "--". With
// no working folder (it was deleted), a relative name is kept relative, and so named as lost.
std::vector<std::string> NamedPaths(
    int qtArgc, char** qtArgv, const std::vector<std::string>& afterDashes, const std::string& workingFolder);

} // namespace qor

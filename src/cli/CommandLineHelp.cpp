#include "cli/CommandLineHelp.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <numeric>

namespace qor::cli {
namespace {

std::size_t EditDistance(const std::string& from, const std::string& to)
{
    std::vector<std::size_t> row(to.size() + 1);
    std::iota(row.begin(), row.end(), 0);
    for (std::size_t i = 1; i <= from.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= to.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({ row[j] + 1, row[j - 1] + 1, diagonal + (from[i - 1] == to[j - 1] ? 0 : 1) });
            diagonal = above;
        }
    }
    return row[to.size()];
}

std::vector<std::string> SubcommandNames(const CLI::App& program)
{
    std::vector<std::string> names;
    for (const CLI::App* command : program.get_subcommands([](const CLI::App*) { return true; }))
        names.push_back(command->get_name());
    return names;
}

std::vector<std::string> OptionNames(const CLI::App& command)
{
    std::vector<std::string> names;
    for (const CLI::Option* option : command.get_options()) {
        for (const std::string& name : option->get_lnames())
            names.push_back("--" + name);
        for (const std::string& name : option->get_snames())
            names.push_back("-" + name);
    }
    return names;
}

bool Known(const CLI::App& command, const std::string& argument)
{
    const std::string name = argument.substr(0, argument.find('='));
    const auto names = OptionNames(command);
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::string WithSuggestion(std::string text, const std::string& nearest)
{
    if (!nearest.empty())
        text += "; did you mean '" + nearest + "'?";
    return text;
}

} // namespace

std::string NearestName(const std::string& typed, const std::vector<std::string>& names)
{
    std::string nearest;
    std::size_t best = std::max<std::size_t>(2, typed.size() / 3) + 1;
    for (const std::string& name : names) {
        const std::size_t distance = EditDistance(typed, name);
        if (distance < best) {
            best = distance;
            nearest = name;
        }
    }
    return nearest;
}

std::string UnknownCommand(const CLI::App& program, int argc, const char* const* argv)
{
    for (int at = 1; at < argc; ++at) {
        const std::string argument = argv[at];
        if (argument == "--")
            return {};
        if (argument.starts_with("-")) {
            const CLI::Option* option = program.get_option_no_throw(argument.substr(0, argument.find('=')));
            if (option && option->get_expected_min() > 0 && argument.find('=') == std::string::npos)
                ++at; // its value
            continue;
        }
        const auto names = SubcommandNames(program);
        return std::find(names.begin(), names.end(), argument) == names.end() ? argument : std::string();
    }
    return {};
}

std::string UnknownCommandText(const CLI::App& program, const std::string& typed)
{
    return WithSuggestion("unknown command '" + typed + "'", NearestName(typed, SubcommandNames(program)));
}

std::string ParseErrorText(const CLI::App& program, const CLI::Error& error, int argc, const char* const* argv)
{
    if (!dynamic_cast<const CLI::ExtrasError*>(&error))
        return error.what();
    // The subcommand being read knows its own options and, through fallthrough, the program's.
    const CLI::App* command = &program;
    for (const CLI::App* parsed : program.get_subcommands())
        command = parsed;
    std::string text;
    for (int at = 1; at < argc; ++at) {
        const std::string argument = argv[at];
        if (argument == "--")
            break;
        if (!argument.starts_with("-") || argument == "-" || Known(*command, argument) || Known(program, argument))
            continue;
        auto names = OptionNames(*command);
        const auto global = OptionNames(program);
        names.insert(names.end(), global.begin(), global.end());
        const std::string name = argument.substr(0, argument.find('='));
        text += (text.empty() ? "" : "\nqortolvane-cli: ")
            + WithSuggestion(
                "unknown option '" + name + "'" + (command == &program ? std::string() : " for " + command->get_name()),
                NearestName(name, names));
    }
    return text.empty() ? std::string(error.what()) : text;
}

} // namespace qor::cli

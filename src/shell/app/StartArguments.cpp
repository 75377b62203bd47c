#include "shell/app/StartArguments.h"

#include "lists/NamedSources.h"

#include <CLI/CLI.hpp>
#include <cstring>

namespace qor {

std::optional<int> AnswerHelpOrVersion(int argc, char** argv)
{
    CLI::App parser("Lists, plays, marks, exports and e-mails recorded telephone calls. Calls (.qor), lists "
                    "(.reclist) and folders named are opened; a copy already running opens them.",
        "qortolvane");
    parser.set_version_flag("-V,--version", "qortolvane " QOR_VERSION);
    std::vector<std::string> names;
    parser.add_option("FILE|FOLDER", names, "Calls, lists and folders to open; after \"--\" any name");
    // Qt's options (-platform, -style...) and unknown ones are the window's to take or name.
    parser.allow_extras();
    try {
        parser.parse(argc, argv);
    } catch (const CLI::Success& answered) { // --help or --version
        return parser.exit(answered);
    } catch (const CLI::ParseError&) {
    }
    return std::nullopt;
}

CStartArguments SplitAtDashes(int argc, char** argv)
{
    CStartArguments split;
    int at = 0;
    for (; at < argc && (at == 0 || std::strcmp(argv[at], "--") != 0); ++at)
        split.forQt.push_back(argv[at]);
    for (++at; at < argc; ++at)
        split.afterDashes.emplace_back(argv[at]);
    split.forQt.push_back(nullptr); // argv ends with a null, as Qt may look for it
    return split;
}

std::vector<std::string> NamedPaths(
    int qtArgc, char** qtArgv, const std::vector<std::string>& afterDashes, const std::string& workingFolder)
{
    std::vector<std::string> named;
    for (int at = 1; at < qtArgc; ++at)
        named.push_back(AbsoluteNamedPath(qtArgv[at], workingFolder));
    // An empty name names nothing (an unset variable in a script), never the working folder; one
    // named in a folder that is gone is lost, whatever it starts with.
    for (const std::string& name : afterDashes)
        if (!name.empty())
            named.push_back(AbsoluteNamedPath(name, workingFolder, false));
    return named;
}

} // namespace qor

#include "cli/ArchiveChoices.h"

namespace qor::cli {

std::string NameOf(const ChoiceNames& names, std::int32_t value)
{
    for (const auto& [name, known] : names)
        if (known == value)
            return name;
    return "unknown";
}

std::int32_t ValueOf(const ChoiceNames& names, const std::string& name)
{
    for (const auto& [known, value] : names)
        if (known == name)
            return value;
    return -1;
}

std::vector<std::string> Names(const ChoiceNames& names)
{
    std::vector<std::string> words;
    for (const auto& [name, value] : names)
        words.push_back(name);
    return words;
}

} // namespace qor::cli

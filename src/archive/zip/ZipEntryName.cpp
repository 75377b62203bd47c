#include "archive/zip/ZipEntryName.h"

#include <string_view>

namespace qor {
namespace {

// Appends the usable components of path to name; "\" counts as a separator because extractors on
// Windows treat it as one.
void AppendComponents(std::string_view path, std::string& name)
{
    while (!path.empty()) {
        const auto separator = path.find_first_of("/\\");
        const std::string_view component = path.substr(0, separator);
        path.remove_prefix(separator == std::string_view::npos ? path.size() : separator + 1);
        if (component.empty() || component == "." || component == "..")
            continue;
        if (!name.empty())
            name += '/';
        name += component;
    }
}

} // namespace

std::string MakeZipEntryName(const std::string& folder, const std::string& source)
{
    const auto slash = source.rfind('/');
    const std::string_view fileName
        = slash == std::string::npos ? std::string_view(source) : std::string_view(source).substr(slash + 1);
    std::string fileComponents;
    AppendComponents(fileName, fileComponents);
    if (fileComponents.empty())
        return {};
    std::string name;
    AppendComponents(folder, name);
    return name.empty() ? fileComponents : name + '/' + fileComponents;
}

} // namespace qor

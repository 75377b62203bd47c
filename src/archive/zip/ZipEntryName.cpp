#include "archive/zip/ZipEntryName.h"

#include <algorithm>
#include <string_view>

namespace qor {
namespace {

// Appends the usable components of path to name. A backslash becomes "_": extractors on Windows
// would take it for a separator, and a name must stay one name.
void AppendComponents(std::string_view path, std::string& name)
{
    while (!path.empty()) {
        const auto separator = path.find('/');
        std::string component(path.substr(0, separator));
        path.remove_prefix(separator == std::string_view::npos ? path.size() : separator + 1);
        std::replace(component.begin(), component.end(), '\\', '_');
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

#include "lists/ListTitles.h"

#include "foundation/Utf8Text.h"
#include "lists/QorTolvaneDoc.h"

namespace qor {

int EffectiveListKind(int kind, const std::string& folder)
{
    return kind == kListFolder && folder.empty() ? kListCustom : kind;
}

std::string LastPathElement(const std::string& folder)
{
    std::string trimmed = folder;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const auto slash = trimmed.rfind('/');
    return slash == std::string::npos || trimmed.size() == 1 ? trimmed : trimmed.substr(slash + 1);
}

std::string ListTitle(int kind, const std::string& folder, const std::string& fileTitle)
{
    switch (EffectiveListKind(kind, folder)) {
    case kListFolder: {
        const std::string name = LastPathElement(folder);
        return CountCharacters(name) > 20 ? std::string(FirstCharacters(name, 17)) + "..." : name;
    }
    case kListPlayHistory:
        return "Play History";
    default:
        return fileTitle.empty() ? "Custom" : fileTitle;
    }
}

std::string ListLabel(int kind, const std::string& folder, const std::string& when)
{
    switch (EffectiveListKind(kind, folder)) {
    case kListFolder:
        return LastPathElement(folder) + " - " + when;
    case kListPlayHistory:
        return "Play History - " + when;
    default:
        return "Custom Recordings - " + when;
    }
}

} // namespace qor

#include "foundation/ResourceStrings.h"

#include <map>

namespace qor {

std::string LoadResourceString(int id)
{
    static const std::map<int, std::string> table = {
        { IDS_PRODUCT_NAME, "Qor Tolvane" },
        { IDS_CONFIG_TOOL_NAME, "Qor Config" },
        { IDS_COMPANY_NAME, "Veltrane" },
    };
    const auto found = table.find(id);
    return found == table.end() ? std::string() : found->second;
}

} // namespace qor

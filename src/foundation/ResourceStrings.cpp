#include "foundation/ResourceStrings.h"

#include <map>

namespace qor {

std::string LoadResourceString(int id)
{
    static const std::map<int, std::string> table = {
        { IDS_PRODUCT_NAME, "Qor Tolvane" },
        { IDS_CALLS_MAIL_SUBJECT, "My Recorded Calls" },
        { IDS_CALLS_MAIL_BODY,
            "Please find attached, one or more telephone calls I have recorded\r\n\r\n"
            "These files are in compressed format.\r\nA free player is available from" },
        { IDS_PLAYER_DOWNLOAD_ADDRESS, "https://www.example.com/player" },
        { IDS_CONFIG_TOOL_NAME, "Qor Config" },
        { IDS_COMPANY_NAME, "Veltrane" },
    };
    const auto found = table.find(id);
    return found == table.end() ? std::string() : found->second;
}

} // namespace qor

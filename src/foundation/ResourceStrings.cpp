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
        { IDS_PLAYBACK_DEVICE_BUSY, "ERROR! Unable to open audio playback device\n\nPlayback device already in use" },
        { IDS_PLAYBACK_NO_DEVICE, "ERROR! Unable to open audio playback device\n\nNo playback device available" },
        { IDS_PLAYBACK_DEVICE_ERROR, "ERROR! There was an error opening your audio device.\n\nError Code = %d" },
        { IDS_CONFIG_TOOL_NAME, "Qor Config" },
        { IDS_COMPANY_NAME, "Veltrane" },
    };
    const auto found = table.find(id);
    return found == table.end() ? std::string() : found->second;
}

std::string FormatResourceString(int id, int number)
{
    std::string text = LoadResourceString(id);
    if (const auto placeholder = text.find("%d"); placeholder != std::string::npos)
        text.replace(placeholder, 2, std::to_string(number));
    return text;
}

} // namespace qor

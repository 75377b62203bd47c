// The program's numbered message and name texts. Branding may later replace them; until then the
// built-in table answers.
#pragma once

#include <string>

namespace qor {

enum ResourceStringId : int {
    IDS_PRODUCT_NAME = 128,
    IDS_CALLS_MAIL_SUBJECT = 137,
    IDS_CALLS_MAIL_BODY = 146,
    IDS_PLAYER_DOWNLOAD_ADDRESS = 147,
    IDS_PLAYBACK_DEVICE_BUSY = 155,
    IDS_PLAYBACK_NO_DEVICE = 156,
    IDS_PLAYBACK_DEVICE_ERROR = 157,
    IDS_CONFIG_TOOL_NAME = 159,
    IDS_COMPANY_NAME = 1000,
};

// The text of a numbered string; empty for a number the table does not hold.
std::string LoadResourceString(int id);

// The text with its first "%d" replaced by the number. Replacement tables come from outside, so
// their texts are never used as printf formats.
std::string FormatResourceString(int id, int number);

} // namespace qor

// The program's numbered message and name texts: a branding bundle's where it has one (see
// ResourceBundle.h), otherwise the built-in table's.
#pragma once

#include <string>

namespace qor {

enum ResourceStringId : int {
    IDS_PRODUCT_NAME = 128,
    IDS_NO_CALLS_TO_DISPLAY = 130,
    IDS_COLUMN_USER_ID = 133,
    IDS_COLUMN_CALLER_ID = 134,
    IDS_COLUMN_DATE_TIME = 135,
    IDS_COLUMN_DURATION = 136,
    IDS_CALLS_MAIL_SUBJECT = 137,
    IDS_COLUMN_BOOKMARK = 138,
    IDS_COLUMN_COMMENT = 139,
    IDS_SELECT_FOLDER_TO_ADD = 142,
    IDS_TASK_IN_PROGRESS = 143,
    IDS_SCANNING = 144,
    IDS_COMPILING_LIST = 145,
    IDS_CALLS_MAIL_BODY = 146,
    IDS_PLAYER_DOWNLOAD_ADDRESS = 147,
    IDS_EXPORTING_LIST = 149,
    IDS_SELECT_EXPORT_FOLDER = 151,
    IDS_CONFIRM_DELETE = 152,
    IDS_DELETING_LIST = 153,
    IDS_PLAYBACK_DEVICE_BUSY = 155,
    IDS_PLAYBACK_NO_DEVICE = 156,
    IDS_PLAYBACK_DEVICE_ERROR = 157,
    IDS_CONFIG_TOOL_NAME = 159,
    IDS_COLUMN_ENCRYPTED = 161,
    IDS_CLOSE_LIST_PROMPT = 164,
    IDS_COLUMN_ARCHIVED = 165,
    IDS_COMPANY_NAME = 1000,
    IDS_TIP_REFRESH = 2000,
    IDS_TIP_SEARCH = 2001,
    IDS_TIP_MAIL_WAV = 2002,
    IDS_TIP_MAIL_NATIVE = 2003,
    IDS_TIP_EXPORT_WAV = 2004,
    IDS_TIP_EXPORT_NATIVE = 2005,
    IDS_TIP_DELETE = 2006,
    IDS_TIP_ANNOTATE = 2007,
    IDS_TIP_MARK_IMPORTANT = 2008,
    IDS_TIP_PLAY = 2009,
    IDS_TIP_BOOKMARK = 2016,
    IDS_TIP_IMPORTANT = 2019,
    IDS_TIP_UNMARK_IMPORTANT = 2020,
    IDS_TIP_ARCHIVE = 2022,
    IDS_TIP_ENCRYPTED = 2023,
};

// The text of a numbered string; empty for a number the table does not hold.
std::string LoadResourceString(int id);
// The program's own text, whatever a branding bundle replaces.
std::string BuiltInResourceString(int id);

// The text with its first "%d" replaced by the number (and the second by second). Replacement
// tables come from outside, so their texts are never used as printf formats.
std::string FormatResourceString(int id, int number);
std::string FormatResourceString(int id, int number, int second);

} // namespace qor

#include "foundation/ResourceStrings.h"

#include "foundation/ResourceBundle.h"

#include <map>

namespace qor {

std::string LoadResourceString(int id)
{
    if (std::optional<std::string> branded = ResourceBundleString(id))
        return std::move(*branded);
    return BuiltInResourceString(id);
}

std::string BuiltInResourceString(int id)
{
    static const std::map<int, std::string> table = {
        { IDS_PRODUCT_NAME, "Qor Tolvane" },
        { IDS_NO_CALLS_TO_DISPLAY, "No recorded calls to display" },
        { IDS_COLUMN_USER_ID, "User ID" },
        { IDS_COLUMN_CALLER_ID, "Caller ID" },
        { IDS_COLUMN_DATE_TIME, "Date + Time" },
        { IDS_COLUMN_DURATION, "Duration" },
        { IDS_CALLS_MAIL_SUBJECT, "My Recorded Calls" },
        { IDS_COLUMN_BOOKMARK, "BM" },
        { IDS_COLUMN_COMMENT, "Comment" },
        { IDS_SELECT_FOLDER_TO_ADD, "Select directory to add to this recordings list" },
        { IDS_TASK_IN_PROGRESS, "Task in progress..." },
        { IDS_SCANNING, "Scanning..." },
        { IDS_COMPILING_LIST, "Compiling Recording List\u2026\n\nReading %d of %d recordings found." },
        { IDS_CALLS_MAIL_BODY,
            "Please find attached, one or more telephone calls I have recorded\r\n\r\n"
            "These files are in compressed format.\r\nA free player is available from" },
        { IDS_PLAYER_DOWNLOAD_ADDRESS, "https://www.example.com/player" },
        { IDS_EXPORTING_LIST, "Exporting Recording List\u2026\n\nExporting %d of %d." },
        { IDS_SELECT_EXPORT_FOLDER, "Select the location to save the exported files." },
        { IDS_CONFIRM_DELETE, "This will delete %d call(s)\n\nAre you sure?" },
        { IDS_DELETING_LIST, "Deleteing Recording List\u2026\n\nDeleting %d of %d." },
        { IDS_PLAYBACK_DEVICE_BUSY, "ERROR! Unable to open audio playback device\n\nPlayback device already in use" },
        { IDS_PLAYBACK_NO_DEVICE, "ERROR! Unable to open audio playback device\n\nNo playback device available" },
        { IDS_PLAYBACK_DEVICE_ERROR, "ERROR! There was an error opening your audio device.\n\nError Code = %d" },
        { IDS_CONFIG_TOOL_NAME, "Qor Config" },
        { IDS_COLUMN_ENCRYPTED, "ENC" },
        { IDS_CLOSE_LIST_PROMPT,
            "You are about to close current list window and lose your results.\nSave changes to %1?\n"
            " - Press 'Save' to save and close current list.\n - Press 'Discard' to close current list without "
            "saving.\n - Press 'Cancel' to cancel." },
        { IDS_COLUMN_ARCHIVED, "Archived" },
        { IDS_COMPANY_NAME, "Veltrane" },
        { IDS_TIP_REFRESH, "Refresh the call list" },
        { IDS_TIP_SEARCH, "Search for calls" },
        { IDS_TIP_MAIL_WAV, "Email the call in Windows WAV format" },
        { IDS_TIP_MAIL_NATIVE, "Email call(s) in native QOR format" },
        { IDS_TIP_EXPORT_WAV, "Export call(s) in Windows WAV format" },
        { IDS_TIP_EXPORT_NATIVE, "Export call(s) in native QOR format" },
        { IDS_TIP_DELETE, "Delete the call(s)" },
        { IDS_TIP_ANNOTATE, "Annotate the call" },
        { IDS_TIP_MARK_IMPORTANT, "Mark the call(s) as important" },
        { IDS_TIP_PLAY, "Play the call" },
        { IDS_TIP_BOOKMARK, "Bookmark the call" },
        { IDS_TIP_IMPORTANT, "Important" },
        { IDS_TIP_UNMARK_IMPORTANT, "Un mark the call(s) as important" },
        { IDS_TIP_ARCHIVE, "Launches the Stowmere Window to perform various Archiver actions" },
        { IDS_TIP_ENCRYPTED, "Call Encrypted" },
    };
    const auto found = table.find(id);
    return found == table.end() ? std::string() : found->second;
}

namespace {

void ReplaceFirstNumber(std::string& text, int number)
{
    if (const auto placeholder = text.find("%d"); placeholder != std::string::npos)
        text.replace(placeholder, 2, std::to_string(number));
}

} // namespace

std::string FormatResourceString(int id, int number)
{
    std::string text = LoadResourceString(id);
    ReplaceFirstNumber(text, number);
    return text;
}

std::string FormatResourceString(int id, int number, int second)
{
    std::string text = LoadResourceString(id);
    ReplaceFirstNumber(text, number);
    ReplaceFirstNumber(text, second);
    return text;
}

} // namespace qor

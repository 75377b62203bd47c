#include "archive/iso/IsoLibrary.h"

#include <mutex>
#include <system_error>

namespace qor {

std::string CIsoStatus::Text() const
{
    std::string text = iso_error_to_msg(code);
    if (systemError != 0)
        text += ": " + std::generic_category().message(systemError);
    return text;
}

int InitIsoLibrary()
{
    static std::once_flag once;
    static int result = ISO_SUCCESS;
    std::call_once(once, [] {
        // Leave the process's locale alone: recording names are UTF-8 whatever it says.
        constexpr int kKeepLocale = 1;
        result = iso_init_with_flag(kKeepLocale);
        if (result < 0)
            return;
        static char utf8[] = "UTF-8";
        static char never[] = "NEVER";
        static char prefix[] = "libisofs";
        iso_set_local_charset(utf8, 0);
        // Errors reach the user through the archiver's messages, never the terminal.
        iso_set_msgs_severities(never, never, prefix);
    });
    return result;
}

} // namespace qor

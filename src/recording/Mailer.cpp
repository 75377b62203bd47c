#include "recording/Mailer.h"

namespace qor {

std::string MailResultMessage(CMailResult result)
{
    switch (result) {
    case CMailResult::kCannotLoad:
        return "Unable to load mail system support.";
    case CMailResult::kFailed:
        return "Send Mail failed to send message.";
    case CMailResult::kSent:
    case CMailResult::kCancelled:
        break;
    }
    return {};
}

} // namespace qor

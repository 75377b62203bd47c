// The mail system as the program sees it: hand over a message with attachments and learn how it
// went. The Linux implementation lives in platform; tests and other front ends supply their own.
#pragma once

#include <string>
#include <vector>

namespace qor {

struct CMailMessage {
    std::string subject;
    std::string body;
    std::vector<std::string> attachments; // paths, in the order they are attached
};

enum class CMailResult {
    kSent,
    kCancelled, // the user closed the message unsent; nothing to report
    kCannotLoad, // no mail system to hand the message to
    kFailed,
};

class IMailer {
public:
    virtual ~IMailer() = default;
    virtual CMailResult Send(const CMailMessage& message) = 0;
};

// What to tell the user about a result; empty when there is nothing to tell.
std::string MailResultMessage(CMailResult result);

} // namespace qor

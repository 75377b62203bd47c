// Mail through the desktop's own mail program: the message goes to xdg-email, which opens the
// user's mail client with it for the user to send.
#pragma once

#include "recording/Mailer.h"

namespace qor {

class CXdgEmailMailer : public IMailer {
public:
    // Runs xdg-email (found on PATH, no shell between) and waits for it to finish.
    CMailResult Send(const CMailMessage& message) override;
};

} // namespace qor

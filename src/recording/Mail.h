// Mailing calls: the messages the program composes for one call or several, and sending a call as
// an attachment, natively or as a WAV file made for the occasion.
#pragma once

#include "recording/Mailer.h"
#include "recording/RecordFile.h"
#include "recording/RecordFileHdr.h"

#include <string>
#include <string_view>
#include <vector>

namespace qor {
// Subject and body naming the call's caller, start time and comment, with the one attachment.
CMailMessage MakeCallMailMessage(const CRvRecordFileHdr& header, const std::string& attachmentPath);

// The message for several native recordings, pointing to the player.
CMailMessage MakeCallsMailMessage(const std::vector<std::string>& paths);

// Mails the file at path as the call the header describes. The file is left where it is: a mail
// program may read it only after the launcher has returned, so attachments made for a message
// belong in the private temporary folder, which goes when the program exits.
CMailResult MailAsAttachment(IMailer& mailer, const CRvRecordFileHdr& header, const std::string& path);

// Writes the whole call as a WAV file into the process's private temporary folder, named after the
// recording, and mails it. kFailed when the WAV file cannot be written.
CMailResult MailWav(IMailer& mailer, CRvRecordFile& recording, bool forcePcm);

} // namespace qor

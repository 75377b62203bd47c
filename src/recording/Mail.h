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

// Mails the file at path as the call the header describes, attached as a copy made for the message
// (see MailAttachments.h). kFailed when the copy cannot be made.
CMailResult MailAsAttachment(IMailer& mailer, const CRvRecordFileHdr& header, const std::string& path);

// Mails several recordings in their own format, each attached as a copy made for the message.
CMailResult MailCalls(IMailer& mailer, const std::vector<std::string>& paths);

// Writes the whole call as a WAV file made for the message, named after the recording, and mails
// it. kFailed when the WAV file cannot be written.
CMailResult MailWav(IMailer& mailer, CRvRecordFile& recording, bool forcePcm);

} // namespace qor

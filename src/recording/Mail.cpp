#include "recording/Mail.h"

#include "foundation/ResourceStrings.h"
#include "foundation/Utf8Text.h"
#include "recording/Bookmark.h"
#include "recording/MailAttachments.h"
#include "recording/WavWriter.h"

#include <filesystem>
#include <sys/stat.h>

namespace qor {

CMailMessage MakeCallMailMessage(const CRvRecordFileHdr& header, const std::string& attachmentPath)
{
    const std::string callerId = DisplayText(header.CallerId());
    const std::string startTime = header.FormatStartTime();
    // The user's words only: the bookmark's padding and system block are the file's business.
    const std::string comment = CommentWholeText(DisplayText(header.Comment()));
    CMailMessage message;
    message.subject = "Recording With " + callerId + " at " + startTime;
    message.body = "Please find attached a telephone conversation recorded by me as follows:\n"
                   "Conversation With: "
        + callerId + "\nDate & Time: " + startTime + "\n";
    if (!comment.empty())
        message.body += "My comments: " + comment + "\n";
    message.attachments = { attachmentPath };
    return message;
}

CMailMessage MakeCallsMailMessage(const std::vector<std::string>& paths)
{
    CMailMessage message;
    message.subject = LoadResourceString(IDS_CALLS_MAIL_SUBJECT);
    message.body = LoadResourceString(IDS_CALLS_MAIL_BODY) + " " + LoadResourceString(IDS_PLAYER_DOWNLOAD_ADDRESS);
    message.attachments = paths;
    return message;
}

CMailResult MailAsAttachment(IMailer& mailer, const CRvRecordFileHdr& header, const std::string& path)
{
    const std::string copy = AttachmentCopy(NewAttachmentFolder(), path);
    if (copy.empty())
        return CMailResult::kFailed;
    return mailer.Send(MakeCallMailMessage(header, copy));
}

CMailResult MailCalls(IMailer& mailer, const std::vector<std::string>& paths)
{
    const std::string folder = NewAttachmentFolder();
    std::vector<std::string> copies;
    for (const std::string& path : paths) {
        copies.push_back(AttachmentCopy(folder, path));
        if (copies.back().empty())
            return CMailResult::kFailed;
    }
    return mailer.Send(MakeCallsMailMessage(copies));
}

CMailResult MailWav(IMailer& mailer, CRvRecordFile& recording, bool forcePcm)
{
    const std::string folder = NewAttachmentFolder();
    if (folder.empty())
        return CMailResult::kFailed;
    const std::string path
        = folder + NeutralAttachmentName(std::filesystem::path(recording.GetPath()).stem().string() + ".wav");
    if (!WriteWav(path, recording, forcePcm) || chmod(path.c_str(), 0600) != 0)
        return CMailResult::kFailed;
    return mailer.Send(MakeCallMailMessage(recording.GetHeader(), path));
}

} // namespace qor

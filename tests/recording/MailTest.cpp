#include "recording/Mail.h"

#include "samplegen/SampleRecording.h"
#include "support/TestFolders.h"

#include <cctype>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace qor {
namespace {

namespace fs = std::filesystem;

// Stands in for the mail system, which cannot run here: keeps each message and what its
// attachments held at the moment of sending.
class CRecordingMailer : public IMailer {
public:
    CMailResult Send(const CMailMessage& message) override
    {
        messages.push_back(message);
        for (const std::string& path : message.attachments)
            attachmentBytes.push_back(fs::exists(path) ? test::ReadFileText(path) : std::string());
        return result;
    }

    CMailResult result = CMailResult::kSent;
    std::vector<CMailMessage> messages;
    std::vector<std::string> attachmentBytes;
};

class Mail : public ::testing::Test {
protected:
    samplegen::CSampleCall call;
    test::CTempFolder folder;
    CRecordingMailer mailer;
};

TEST_F(Mail, OneCallNamesCallerTimeAndComment)
{
    call.callerId = ">0123456";
    call.comment = "Call back Monday\nabout the invoice";
    const std::string time = samplegen::MakeHeader(call).FormatStartTime();
    ASSERT_FALSE(time.empty());
    const std::string intro = "Please find attached a telephone conversation recorded by me as follows:\n"
                              "Conversation With: >0123456\nDate & Time: "
        + time + "\n";

    const CMailMessage message = MakeCallMailMessage(samplegen::MakeHeader(call), "/calls/a.wav");
    EXPECT_EQ(message.subject, "Recording With >0123456 at " + time);
    EXPECT_EQ(message.body, intro + "My comments: Call back Monday\nabout the invoice\n");
    EXPECT_EQ(message.attachments, std::vector<std::string>{ "/calls/a.wav" });

    call.bookmarkStart = 2;
    call.bookmarkEnd = 5;
    EXPECT_EQ(MakeCallMailMessage(samplegen::MakeHeader(call), "/calls/a.wav").body,
        intro + "My comments: Call back Monday\nabout the invoice\n")
        << "no padding, no bookmark block";

    call.comment.clear();
    EXPECT_EQ(MakeCallMailMessage(samplegen::MakeHeader(call), "/calls/a.wav").body, intro);
}

TEST_F(Mail, SeveralCallsPointToThePlayer)
{
    const std::vector<std::string> paths{ "/calls/b.qor", "/calls/a.qor", "/other/c.qor" };
    const CMailMessage message = MakeCallsMailMessage(paths);
    EXPECT_EQ(message.subject, "My Recorded Calls");
    EXPECT_EQ(message.body,
        "Please find attached, one or more telephone calls I have recorded\r\n\r\n"
        "These files are in compressed format.\r\nA free player is available from "
            + std::string("https://www.example.com/player"));
    EXPECT_EQ(message.attachments, paths);
}

TEST_F(Mail, AttachmentsAreCopiesUnderNeutralNamesThatOutliveTheLauncher)
{
    // A call in a shared folder whose name would add a recipient, were it passed on as it is.
    const CRvRecordFileHdr header = samplegen::MakeHeader(call);
    const std::string shared = folder.File("Bob-1',to='attacker@example.com',cc='.qor");
    test::WriteFileText(shared, "call");
    // xdg-email returns before a mail program started in the background has read the file.
    mailer.result = CMailResult::kCancelled;
    EXPECT_EQ(MailAsAttachment(mailer, header, shared), CMailResult::kCancelled);
    ASSERT_EQ(mailer.messages.size(), 1u);
    const fs::path attached = mailer.messages[0].attachments.at(0);
    EXPECT_EQ(attached.filename(), "Bob-1--to--attacker-example.com--cc--.qor");
    for (const char c : attached.string())
        EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || std::string("/-._").find(c) != std::string::npos)
            << attached;
    EXPECT_TRUE(fs::exists(attached)) << "kept after the launcher has returned";
    EXPECT_EQ(mailer.attachmentBytes, (std::vector<std::string>{ "call" }));
    struct stat status { };
    ASSERT_EQ(stat(attached.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0077, 0u);
    ASSERT_EQ(stat(attached.parent_path().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u) << "nobody else can read or swap the attachment";

    // Several calls: each a copy, in one folder of the message's own.
    test::WriteFileText(folder.File("a.qor"), "a");
    ASSERT_EQ(MailCalls(mailer, { folder.File("a.qor"), shared }), CMailResult::kCancelled);
    ASSERT_EQ(mailer.messages.size(), 2u);
    const std::vector<std::string>& copies = mailer.messages[1].attachments;
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(fs::path(copies[0]).parent_path(), fs::path(copies[1]).parent_path());
    EXPECT_NE(fs::path(copies[0]).parent_path(), attached.parent_path());
}

TEST_F(Mail, WavGoesThroughAPrivateFolder)
{
    const std::string source = folder.File("User-20160129-134525.qor");
    ASSERT_TRUE(samplegen::WriteRecording(source, call));
    CRvRecordFile recording;
    ASSERT_EQ(recording.Open(source, ""), 1);
    ASSERT_EQ(MailWav(mailer, recording, false), CMailResult::kSent);

    ASSERT_EQ(mailer.messages.size(), 1u);
    EXPECT_EQ(mailer.messages[0].subject, MakeCallMailMessage(recording.GetHeader(), "").subject);
    const fs::path attached = mailer.messages[0].attachments.at(0);
    EXPECT_EQ(attached.filename(), "User-20160129-134525.wav");
    struct stat status { };
    ASSERT_EQ(stat(attached.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0077, 0u) << "a decrypted call is readable by its user only";
    EXPECT_EQ(mailer.attachmentBytes.at(0).size(), 60u + 16'250u) << "the whole call, as GSM";

    CRvRecordFile closed;
    EXPECT_EQ(MailWav(mailer, closed, true), CMailResult::kFailed);
    EXPECT_EQ(mailer.messages.size(), 1u) << "nothing is sent without the WAV file";
}

} // namespace
} // namespace qor

#include "lists/FileListEntry.h"

#include "samplegen/SampleRecording.h"
#include "support/RecordingFolder.h"

#include <gtest/gtest.h>

namespace qor {
namespace {

using samplegen::CSampleCall;

class FileListEntry : public ::testing::Test {
protected:
    test::CRecordingFolder folder;
};

TEST_F(FileListEntry, NameGuessBeforeTheHeaderIsRead)
{
    CRvFileListEntry entry;
    entry.SetPath("/rec/Line1-20160129-134525.qor");
    EXPECT_EQ(entry.GetUserIdText(), "Line1");
    EXPECT_EQ(entry.GetDateTimeText(), "20160129-134525.qor");
    EXPECT_EQ(entry.GetCallerIdText(), "?");
    EXPECT_EQ(entry.GetDurationText(), "?");
    EXPECT_FALSE(entry.IsLoaded());

    entry.SetPath("/rec/notes.qor");
    EXPECT_EQ(entry.GetUserIdText(), "?");
    EXPECT_EQ(entry.GetDateTimeText(), "?");

    entry.SetPath("/rec/Box-2016/Line2-20170101-000000.qor");
    EXPECT_EQ(entry.GetUserIdText(), "") << "the guess starts at the folder's -2";
    EXPECT_EQ(entry.GetDateTimeText(), "2016/Line2-20170101-000000.qor");
}

TEST_F(FileListEntry, DetailsComeFromTheHeaderOnce)
{
    CSampleCall call;
    call.callerId = ">0123";
    call.userId = "Alice";
    call.durationSeconds = 75;
    call.important = true;
    call.comment = "Call back Monday";
    call.bookmarkStart = 1;
    call.bookmarkEnd = 2;
    call.startTime = 1'454'075'125;
    const std::string path = folder.Write("Alice-20160129-134525.qor", call);

    CRvFileListEntry entry;
    entry.SetPath(path);
    entry.LoadDetails("");
    EXPECT_TRUE(entry.IsLoaded());
    EXPECT_EQ(entry.GetCallerIdText(), ">0123");
    EXPECT_EQ(entry.GetUserIdText(), "Alice");
    EXPECT_EQ(entry.GetDurationSeconds(), 75);
    EXPECT_EQ(entry.GetDurationText(), "00:01:15");
    EXPECT_EQ(entry.GetDateTimeText(), "01/29/16 13:45:25");
    EXPECT_EQ(entry.GetDisplayTime(), 1'454'075'125);
    EXPECT_EQ(entry.GetImportant(), 1);
    EXPECT_TRUE(entry.HasBookmark());
    EXPECT_EQ(entry.GetCommentText().size(), 1023u) << "the raw comment, bookmark block included";
    EXPECT_EQ(entry.Direction(), CallDirection::Incoming);
    EXPECT_EQ(entry.FileSize(), 1440u + 75 * 1650) << "GSM takes 1650 bytes a second";

    // Loaded once: a changed file is not read again.
    call.callerId = "<999";
    folder.Write("Alice-20160129-134525.qor", call);
    entry.LoadDetails("");
    EXPECT_EQ(entry.GetCallerIdText(), ">0123");

    CRvFileListEntry copy = entry;
    EXPECT_EQ(copy.GetCommentText(), entry.GetCommentText());
    EXPECT_TRUE(copy.IsLoaded());
}

TEST_F(FileListEntry, FailuresBecomeTexts)
{
    CSampleCall call;
    call.version = 5;
    call.passphrase = "demo";
    const std::string path = folder.Write("enc.qor", call);
    CRvFileListEntry encrypted;
    encrypted.SetPath(path);
    encrypted.LoadDetails("wrong");
    EXPECT_TRUE(encrypted.IsEncrypted());
    EXPECT_EQ(encrypted.GetCallerIdText(), "Decryption error!");
    EXPECT_EQ(encrypted.GetDateTimeText(), "Decryption error!");
    EXPECT_EQ(
        encrypted.GetCommentText(), "Decryption error! Unable to decrypt the file using the passphrase specified!");
    encrypted.LoadDetails("demo");
    EXPECT_EQ(encrypted.GetCallerIdText(), "Decryption error!") << "a failed entry is not retried";

    CRvFileListEntry missing;
    missing.SetPath(folder.File("gone.qor"));
    missing.LoadDetails("");
    EXPECT_FALSE(missing.IsEncrypted());
    EXPECT_EQ(missing.GetUserIdText(), "File error!");
    EXPECT_EQ(missing.GetCommentText(), "File error! Unable to find or open the filename specified!");
    EXPECT_EQ(missing.FileSize(), 0u);
    EXPECT_EQ(missing.GetDurationSeconds(), 0);
}

TEST_F(FileListEntry, LongTextsAreCut)
{
    CSampleCall call;
    call.callerId = std::string(200, 'c');
    const std::string path = folder.Write("long.qor", call);
    CRvFileListEntry entry;
    entry.SetPath(path);
    entry.LoadDetails("");
    EXPECT_EQ(entry.GetCallerIdText().size(), 127u);
    entry.SetComment(std::string(2000, 'x'));
    EXPECT_EQ(entry.GetCommentText().size(), 1023u);
    entry.SetPath("/" + std::string(300, 'u') + "-2016.qor");
    EXPECT_EQ(entry.GetUserIdText().size(), 127u);
}

TEST_F(FileListEntry, DirectionFollowsTheChevrons)
{
    const std::pair<const char*, CallDirection> cases[] = { { ">0123", CallDirection::Incoming },
        { "<0123", CallDirection::Outgoing }, { "<0123>", CallDirection::None }, { "0123", CallDirection::None },
        { ">0123<", CallDirection::Incoming } };
    for (const auto& [callerId, direction] : cases) {
        CSampleCall call;
        call.callerId = callerId;
        CRvFileListEntry entry;
        entry.SetPath(folder.Write("d.qor", call));
        entry.LoadDetails("");
        EXPECT_EQ(entry.Direction(), direction) << callerId;
    }
}

TEST_F(FileListEntry, BookmarkFlagFollowsChanges)
{
    CRvFileListEntry entry;
    entry.SetPath(folder.Write("b.qor", CSampleCall{}));
    entry.UpdateBookmark("", 3, 9);
    EXPECT_TRUE(entry.HasBookmark());
    entry.UpdateBookmark("", 4, 4);
    EXPECT_FALSE(entry.HasBookmark());

    CRvFileListEntry missing;
    missing.SetPath(folder.File("gone.qor"));
    missing.UpdateBookmark("", 3, 9);
    EXPECT_FALSE(missing.HasBookmark()) << "a header that cannot be read leaves the flag alone";
}

} // namespace
} // namespace qor

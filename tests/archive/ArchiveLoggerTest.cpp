#include "archive/ArchiveLogger.h"

#include "recording/RecordFileHdr.h"
#include "support/RecordingFolder.h"

#include <gtest/gtest.h>

namespace qor {
namespace {

using test::ReadFileText;
using test::WriteFileText;

class ArchiveLogger : public ::testing::Test {
protected:
    CJobArchListEntry Job(std::int64_t id, std::int32_t method, std::vector<std::pair<std::string, std::int32_t>> calls)
    {
        CJobArchListEntry job;
        job.SetJobTime(id);
        job.archiveType = method;
        job.target = "/archives/job" + std::to_string(id);
        job.callCount = static_cast<std::int32_t>(calls.size());
        job.SetComment("comment & <notes> " + std::to_string(id));
        job.SetUserName("ann");
        job.structureType = kStructureByUser;
        for (const auto& [path, start] : calls) {
            CRvFileListEntry call;
            call.SetPath(path);
            call.SetDisplayTime(start);
            job.AddCall(call);
        }
        return job;
    }

    test::CDataFolderSandbox sandbox;
    CArchiveLogger log;
};

TEST_F(ArchiveLogger, JobsReadBackWithTheirMethodsCountsCommentsAndCalls)
{
    CJobArchListEntry byUser
        = Job(1'400'000'000, kArchiveZip, { { "/calls/a.qor", 1'399'000'000 }, { "/calls/b&c.qor", 2 } });
    byUser.structureType = kStructureByUser;
    byUser.mediaProcessing = kDeleteOriginals;
    log.AddEntry(byUser);
    log.SetOriginalsNote(byUser, "2 of 2 deleted");
    log.AddEntry(Job(1'400'000'100, kArchiveIso, { { "/calls/<odd>\r.qor", 3 } }));
    log.AddEntry(Job(1'400'000'200, 0, {}));
    ASSERT_TRUE(log.Save());
    const std::string text = ReadFileText(CArchiveLogger::FilePath());
    EXPECT_TRUE(
        text.starts_with("<Root>\r\r\n   <entry id = 1400000000>\r\r\n      <target>/archives/job1400000000</target>"))
        << text.substr(0, 120);
    EXPECT_TRUE(text.ends_with("</root>\r\r\n"));
    EXPECT_NE(text.find("<archiver>Disk</archiver>"), std::string::npos) << "method 0 is written as Disk";

    CArchiveLogger reloaded;
    ASSERT_TRUE(reloaded.Load(true));
    const auto entries = reloaded.Entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0]->archiveType, kArchiveZip);
    EXPECT_EQ(entries[1]->archiveType, kArchiveIso);
    EXPECT_EQ(entries[2]->archiveType, kArchiveDisk);
    EXPECT_EQ(entries[0]->GetJobTime(), 1'400'000'000);
    EXPECT_EQ(entries[0]->callCount, 2);
    EXPECT_EQ(entries[0]->GetComment(), "comment & <notes> 1400000000");
    ASSERT_EQ(entries[0]->Calls().size(), 2u);
    EXPECT_EQ(entries[0]->Calls()[1].GetPath(), "/calls/b&c.qor");
    EXPECT_EQ(entries[0]->Calls()[0].GetDisplayTime(), 1'399'000'000);
    EXPECT_EQ(entries[1]->Calls()[0].GetPath(), "/calls/<odd>\r.qor");
    EXPECT_FALSE(reloaded.IsChanged());

    const auto report = CArchiveLogger::BuildReport(*entries[0]);
    ASSERT_EQ(report.size(), 11u);
    EXPECT_EQ(report[0], "Archiver Report");
    EXPECT_EQ(report[3], "Archive Job: ZIP");
    EXPECT_EQ(report[5], "Created By: ann") << "the log keeps who made the job";
    EXPECT_EQ(report[7], "Files count: 2");
    EXPECT_EQ(report[8], "Structure Calls by: By User") << "the log keeps the structure";
    EXPECT_EQ(report[9], "Original Calls Modification: Delete calls - 2 of 2 deleted");
    EXPECT_EQ(CArchiveLogger::BuildReport(*entries[1])[9], "Original Calls Modification: Don't modify");
    EXPECT_EQ(report[1], "Issued: " + entries[0]->GetDateTimeText());
}

// A call is its start and file name: found when moved, not confused with another user's call of
// the same second; a call whose start was unknown when it was archived, or is now, goes by its path.
TEST_F(ArchiveLogger, ACallIsFoundByItsStartAndNameOrByItsPathWhenAStartIsUnknown)
{
    log.AddEntry(Job(100, kArchiveZip, { { "/calls/Ann-1.qor", 10 }, { "/calls/Ann-2.qor", 20 } }));
    log.AddEntry(Job(200, kArchiveDisk, { { "/calls/Ann-2.qor", 20 }, { "/calls/locked.qor", 0 } }));
    EXPECT_EQ(log.FindPath("/calls/Ann-2.qor"), 1) << "the last job holding it";
    EXPECT_EQ(log.FindPath("/calls/A.qor"), -1);
    const auto archived = [this](const std::string& path, std::int32_t start, bool readable = true) {
        CRvFileListEntry call;
        call.SetPath(path);
        call.LoadDetailsFrom(CRvRecordFileHdr(), readable ? 1 : 0);
        call.SetDisplayTime(start);
        return log.ArchivedTime(call);
    };
    EXPECT_EQ(archived("/calls/Ann-1.qor", 10), 100);
    EXPECT_EQ(archived("/calls/Ann-2.qor", 20), 200) << "the latest job";
    EXPECT_EQ(archived("/moved/Ann-1.qor", 10), 100) << "moved, same call";
    EXPECT_EQ(archived("/calls/Bob-1.qor", 10), std::nullopt) << "another user's call of the same second";
    EXPECT_EQ(archived("/calls/Ann-1.qor", 99), std::nullopt);
    EXPECT_EQ(archived("/calls/locked.qor", 30), 200) << "archived without its passphrase";
    EXPECT_EQ(archived("/calls/other-locked.qor", 0, false), std::nullopt) << "not every unreadable call";
    EXPECT_EQ(archived("/calls/Ann-2.qor", 0, false), 200) << "unreadable now: its path";
}

TEST_F(ArchiveLogger, ForgivingReadingAndAnEmptyLogIsWritten)
{
    // Older logs: unescaped "&", CR LF line ends, a job nested one level further down, an id of 0.
    WriteFileText(CArchiveLogger::FilePath(),
        "<Root>\r\n <group>\r\n   <entry id = 300>\r\n      <target>/a & b.zip</target>\r\n"
        "      <archiver>ZIP format</archiver>\r\n      <callcount>1</callcount>\r\n"
        "      <calls>\r\n         <call_id>5</call_id>\r\n         <file>/calls/x.qor</file>\r\n"
        "      </calls>\r\n   </entry>\r\n </group>\r\n   <entry id = "
        "0><target>/dropped</target></entry>\r\n</root>\r\n");
    ASSERT_TRUE(log.Load(true));
    auto entries = log.Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0]->target, "/a & b.zip");
    EXPECT_EQ(entries[0]->Calls()[0].GetDisplayTime(), 5);

    // Deleting every entry and saving empties the file rather than keeping the old one.
    log.RemoveEntry(log.Entries()[0]);
    ASSERT_TRUE(log.Save());
    EXPECT_EQ(ReadFileText(CArchiveLogger::FilePath()), "<Root>\r\r\n</root>\r\r\n");
}

} // namespace
} // namespace qor

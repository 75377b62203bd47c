#include "archive/JobArchScheduler.h"

#include "archive/ArchiveLogger.h"
#include "archive/ArchiveManager.h"
#include "samplegen/SampleRecording.h"
#include "support/Locales.h"
#include "support/RecordingFolder.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace qor {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::ReadFileText;
using test::WriteFileText;

constexpr std::int64_t kDay = 86'400;

std::int64_t LocalMidnight(std::int64_t now)
{
    const auto time = static_cast<std::time_t>(now);
    std::tm local{};
    localtime_r(&time, &local);
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

class JobArchScheduler : public ::testing::Test {
protected:
    test::CDataFolderSandbox sandbox;
    test::CRecordingFolder folder;
    std::shared_ptr<CArchiveLogger> log = std::make_shared<CArchiveLogger>();
    std::shared_ptr<CArchiveManager> manager = std::make_shared<CArchiveManager>(log);
    CJobArchScheduler scheduler{ manager, log };
};

TEST_F(JobArchScheduler, DueRuleAndNextStart)
{
    const std::int64_t now = 1'700'000'000;
    EXPECT_TRUE(scheduler.IsDue(now)) << "a fresh installation is due at once";
    EXPECT_EQ(scheduler.GetSettings().scheduledTime, LocalMidnight(now) + kDay);
    EXPECT_FALSE(scheduler.IsDue(now));
    EXPECT_EQ(scheduler.NextRunTime(now), LocalMidnight(now) + kDay);

    // Missed for a week, every day: due once, then not again until the first time after now.
    CScheduleSettings settings = scheduler.GetSettings();
    settings.scheduledTime = now - 7 * kDay - 3600;
    settings.daysInterval = 1;
    scheduler.SetSettings(settings);
    EXPECT_EQ(scheduler.NextRunTime(now), now) << "overdue: it runs at the next tick";
    EXPECT_TRUE(scheduler.IsDue(now));
    EXPECT_EQ(scheduler.GetSettings().scheduledTime, now - 3600 + kDay);
    for (std::int64_t tick = now; tick < now + kDay - 3600; tick += 900)
        EXPECT_FALSE(scheduler.IsDue(tick)) << "a later tick of the same day runs nothing";
    EXPECT_EQ(scheduler.NextRunTime(now + 900), now - 3600 + kDay);
}

TEST_F(JobArchScheduler, TheFileIsWrittenAsLaidOutAndReadTolerantly)
{
    CScheduleSettings settings;
    settings.spaceFolders = { "/calls/a", "/calls/b & c" };
    settings.enabled = true;
    settings.archiveType = kArchiveZip;
    settings.archivePath = "/archives/";
    settings.lastJobTime = 1'500'000'000;
    scheduler.SetSettings(settings);
    ASSERT_TRUE(scheduler.SaveSchedule());
    const std::string text = ReadFileText(CJobArchScheduler::FilePath());
    EXPECT_TRUE(text.starts_with("<?xml version=\"1.0\" standalone=\"yes\" ?>\r\r\n<ArchiveJobSchedulingData>\r\r\n"
                                 "   <SpaceFolders>\r\r\n      <path>/calls/a</path>\r\r\n"
                                 "      <path>/calls/b &amp; c</path>\r\r\n   </SpaceFolders>\r\r\n"
                                 "   <Enabled>TRUE</Enabled>\r\r\n"));
    EXPECT_NE(text.find("   <LastJobTime>1500000000</LastJobTime>\r\r\n"), std::string::npos);
    EXPECT_EQ(text.find("<UserName>"), std::string::npos) << "written only when set";

    scheduler.SetSettings(CScheduleSettings{});
    ASSERT_TRUE(scheduler.LoadSchedule());
    ASSERT_TRUE(scheduler.LoadSchedule());
    EXPECT_EQ(scheduler.GetSettings().spaceFolders, settings.spaceFolders) << "reading twice adds no folder twice";
    EXPECT_TRUE(scheduler.GetSettings().enabled);
    EXPECT_EQ(scheduler.GetSettings().archivePath, "/archives/");

    WriteFileText(CJobArchScheduler::FilePath(),
        "<archivejobschedulingdata><Enabled>true</Enabled><ThresholdSize>x</ThresholdSize></archivejobschedulingdata>");
    ASSERT_TRUE(scheduler.LoadSchedule());
    EXPECT_TRUE(scheduler.GetSettings().enabled) << "true in lower case enables";
    EXPECT_EQ(scheduler.GetSettings().thresholdSize, 0) << "a non-number reads as 0";
    WriteFileText(CJobArchScheduler::FilePath(), "<ArchiveJobSchedulingData><Enabled>FALSE</Enabled>");
    EXPECT_FALSE(scheduler.LoadSchedule());
    EXPECT_TRUE(scheduler.GetSettings().enabled) << "a damaged file changes nothing";
}

// The desktop program, "schedule set" and the timer's run each save the job from what they read; a
// save never takes back what another saved meanwhile.
TEST_F(JobArchScheduler, SavesFromStaleCopiesKeepEachOthersChanges)
{
    CScheduleSettings settings;
    settings.spaceFolders = { folder.File("calls") };
    settings.archiveType = kArchiveZip;
    scheduler.SetSettings(settings);
    ASSERT_TRUE(scheduler.SaveSchedule());

    CJobArchScheduler settingsPage{ manager, log };
    CJobArchScheduler timerRun{ manager, log };
    ASSERT_TRUE(settingsPage.LoadSchedule());
    ASSERT_TRUE(timerRun.LoadSchedule());
    CScheduleSettings changed = settingsPage.GetSettings();
    changed.daysInterval = 3;
    changed.enabled = true;
    settingsPage.SetSettings(changed);
    ASSERT_TRUE(settingsPage.SaveSchedule());
    CScheduleSettings ran = timerRun.GetSettings();
    ran.lastJobTime = 1'700'000'000;
    timerRun.SetSettings(ran);
    ASSERT_TRUE(timerRun.SaveSchedule());

    CJobArchScheduler reader{ manager, log };
    ASSERT_TRUE(reader.LoadSchedule());
    EXPECT_EQ(reader.GetSettings().daysInterval, 3);
    EXPECT_TRUE(reader.GetSettings().enabled);
    EXPECT_EQ(reader.GetSettings().lastJobTime, 1'700'000'000);
    EXPECT_EQ(timerRun.GetSettings().daysInterval, 3) << "the saver now holds what was saved";
}

TEST_F(JobArchScheduler, ArchiveNamesSortByTimeAndNeedNoQuoting)
{
    test::CTimeZone zone("UTC");
    CScheduleSettings settings;
    settings.archivePath = "/archives";
    settings.archiveType = kArchiveZip;
    EXPECT_EQ(CJobArchScheduler::TargetFor(settings, 1'449'137'700), "/archives/Stowmere-Job-2015-12-03_1015.zip");
    settings.archiveName = "calls";
    settings.archiveType = kArchiveIso;
    EXPECT_EQ(CJobArchScheduler::TargetFor(settings, 1'449'137'700), "/archives/calls-2015-12-03_1015.iso");
    settings.archiveType = kArchiveDisk;
    EXPECT_EQ(CJobArchScheduler::TargetFor(settings, 0), "/archives/calls/");
}

TEST_F(JobArchScheduler, ARunIsLoggedModifiesTheOriginalsAndKeepsItsComment)
{
    samplegen::CSampleCall call;
    call.durationSeconds = 1;
    const std::string a = folder.Write("space/a.qor", call);
    CScheduleSettings settings;
    settings.spaceFolders = { folder.File("space") };
    settings.archiveType = kArchiveDisk;
    settings.archivePath = folder.File("archives");
    fs::create_directory(settings.archivePath);
    settings.mediaProcessing = kDeleteOriginals;
    scheduler.SetSettings(settings);
    settings.scheduledTime = 1'449'100'000;
    scheduler.SetSettings(settings);
    ASSERT_TRUE(scheduler.SaveSchedule());
    // While the run goes on, the file keeps the time it was due at and its last run: a run killed
    // now leaves the job due for the next tick, and never shows as having run.
    settings.lastJobTime = 1'449'000'000;
    scheduler.SetSettings(settings);
    ASSERT_TRUE(scheduler.SaveSchedule());
    std::vector<CJobArchScheduler::Notice> notices;
    std::int64_t savedWhileRunning = 0;
    std::int64_t lastRunWhileRunning = 0;
    scheduler.SetNotifier([&](CJobArchScheduler::Notice notice) {
        if (notice == CJobArchScheduler::Notice::Started) {
            CScheduleSettings onDisk;
            ASSERT_TRUE(ReadScheduleFile(CJobArchScheduler::FilePath(), onDisk));
            savedWhileRunning = onDisk.scheduledTime;
            lastRunWhileRunning = onDisk.lastJobTime;
        }
        notices.push_back(notice);
    });

    const std::int64_t now = 1'449'137'715;
    ASSERT_TRUE(scheduler.IsDue(now));
    const std::int64_t next = scheduler.GetSettings().scheduledTime;
    ASSERT_GT(next, now);
    ASSERT_TRUE(scheduler.RunNow(now));
    while (manager->IsRunning())
        std::this_thread::sleep_for(1ms);
    EXPECT_TRUE(fs::exists(folder.File("archives/Stowmere Job/a.qor")));
    EXPECT_FALSE(fs::exists(a)) << "deleted once its copy was read back";
    ASSERT_EQ(log->Entries().size(), 1u);
    EXPECT_EQ(log->Entries()[0]->Calls().at(0).GetPath(), a);
    EXPECT_GE(log->Entries()[0]->GetJobTime(), std::time(nullptr) - 60) << "dated when the calls were collected";
    EXPECT_TRUE(fs::exists(CArchiveLogger::FilePath()));
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices.front(), CJobArchScheduler::Notice::Started);
    EXPECT_EQ(notices.back(), CJobArchScheduler::Notice::Finished);

    const std::string comment = scheduler.GetSettings().comment;
    EXPECT_TRUE(comment.starts_with("arch_records_till_")) << comment;
    CJobArchScheduler reloaded(manager, log);
    ASSERT_TRUE(reloaded.LoadSchedule());
    EXPECT_EQ(reloaded.GetSettings().comment, comment) << "the generated comment is kept for later runs";
    EXPECT_EQ(reloaded.GetSettings().lastJobTime, now);
    EXPECT_EQ(savedWhileRunning, 1'449'100'000);
    EXPECT_EQ(lastRunWhileRunning, 1'449'000'000);
    EXPECT_EQ(reloaded.GetSettings().scheduledTime, next) << "the run that ended moved the job on";

    // Run by hand while due (no tick asked first), by the same program: it uses up the due time, so
    // the next tick does not run it again, and its log entry names only its own calls.
    const std::string b = folder.Write("space/b.qor", call);
    settings = scheduler.GetSettings();
    settings.scheduledTime = 1'449'100'000;
    scheduler.SetSettings(settings);
    const std::int64_t later = now + 600;
    ASSERT_TRUE(scheduler.RunNow(later));
    while (manager->IsRunning())
        std::this_thread::sleep_for(1ms);
    EXPECT_FALSE(scheduler.IsDue(later + 60)) << "not run again by the next tick";
    ASSERT_EQ(log->Entries().size(), 2u);
    ASSERT_EQ(log->Entries()[1]->Calls().size(), 1u) << "not the earlier run's call again";
    EXPECT_EQ(log->Entries()[1]->Calls().at(0).GetPath(), b);
}

} // namespace
} // namespace qor

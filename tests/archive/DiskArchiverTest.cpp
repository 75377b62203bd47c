#include "archive/DiskArchiver.h"

#include "samplegen/SampleRecording.h"
#include "support/RecordingFolder.h"
#include "support/VerifiedSources.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace qor {
namespace {

namespace fs = std::filesystem;

class CRecordedMessages : public IArchiveMessages {
public:
    void Show(Kind, const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

class DiskArchiver : public ::testing::Test {
protected:
    std::string Call(const std::string& name, int seconds = 2)
    {
        samplegen::CSampleCall call;
        call.durationSeconds = seconds;
        return folder.Write("calls/" + name, call);
    }

    test::CRecordingFolder folder;
    CRecordedMessages messages;
    std::vector<double> progress;
    CDiskArchiver archiver{ [this](double percent) { progress.push_back(percent); }, &messages };
};

TEST_F(DiskArchiver, CopiesIntoFoldersDatedToTheCallAndReadsThemBack)
{
    const std::string target = folder.File("archive");
    const std::string a = Call("1234-a.qor"), b = Call("b.qor");
    EXPECT_EQ(archiver.Add(target, a, "/1234/Mar 2015/", 1'425'168'000), 0);
    EXPECT_EQ(archiver.Add(target, b, "../../outside", 1'500'000'000), 0);
    EXPECT_EQ(archiver.Write(), 0);
    EXPECT_EQ(archiver.Count(), 2);
    const std::string copyA = target + "/1234/Mar 2015/1234-a.qor";
    ASSERT_TRUE(fs::exists(copyA)) << "the target is made, one level, and each folder level below it";
    EXPECT_EQ(test::ReadFileText(copyA), test::ReadFileText(a));
    EXPECT_TRUE(fs::exists(target + "/outside/b.qor")) << "a folder never leads out of the archive";
    struct stat status { };
    ASSERT_EQ(stat(copyA.c_str(), &status), 0);
    EXPECT_EQ(status.st_mtime, 1'425'168'000) << "the copy is dated to the call's start";
    EXPECT_EQ(test::SourcesOf(archiver.Verified()), (std::set<std::string>{ a, b }));
    EXPECT_EQ(progress, (std::vector<double>{ 50.0, 100.0 }));

    // Archiving again overwrites the copies.
    CDiskArchiver again({}, nullptr);
    again.Add(target, a, "1234/Mar 2015", 1'425'168'000);
    EXPECT_EQ(again.Write(), 0);
}

TEST_F(DiskArchiver, AMissingParentFailsAndTheThresholdStopsCopying)
{
    archiver.Add(folder.File("no/such/parent"), Call("a.qor"), "", 0);
    EXPECT_EQ(archiver.Write(), IArchiver::kFailed);
    EXPECT_EQ(archiver.Count(), 0);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_NE(messages.texts[0].find("no/such/parent"), std::string::npos);

    // Two 1.15 MB calls: the first brings the total past 1 MB, so the second is not copied.
    CDiskArchiver limited({}, nullptr);
    limited.SetThresholdMB(1);
    const std::string target = folder.File("limited");
    limited.Add(target, Call("big1.qor", 700), "", 0);
    limited.Add(target, Call("big2.qor", 700), "", 0);
    EXPECT_EQ(limited.Write(), 0);
    EXPECT_EQ(limited.Count(), 1);
    EXPECT_FALSE(fs::exists(target + "/big2.qor"));
}

} // namespace
} // namespace qor

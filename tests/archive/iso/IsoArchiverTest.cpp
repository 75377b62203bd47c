#include "archive/iso/IsoArchiver.h"

#include "archive/iso/IsoImageChecks.h"
#include "archive/iso/IsoTreeListing.h"
#include "support/RecordingFolder.h"
#include "support/TestFolders.h"
#include "support/Unprivileged.h"
#include "support/VerifiedSources.h"

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <random>
#include <sys/stat.h>
#include <thread>

namespace qor {
namespace {

namespace fs = std::filesystem;
using test::CRecordedMessages;
using test::ListImagePaths;

// The running size estimate, which the archiver otherwise only shows in whole megabytes.
class CMeasuredIsoArchiver : public CISOArchiver {
public:
    using CISOArchiver::CISOArchiver;
    std::uint64_t EstimatedBytes() const { return m_sizeBytes; }
};

samplegen::CSampleCall SampleCall(std::uint32_t seed, std::int32_t durationSeconds = 10)
{
    samplegen::CSampleCall call;
    call.seed = seed;
    call.durationSeconds = durationSeconds;
    return call;
}

std::string RandomBytes(std::size_t size, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    std::generate(bytes.begin(), bytes.end(), [&random] { return static_cast<char>(random()); });
    return bytes;
}

TEST(IsoArchiver, PutsCallsIntoTheirFoldersUnderRockRidgeAndJolietNames)
{
    test::CDataFolderSandbox sandbox;
    test::CRecordingFolder recordings;
    test::CTempFolder output;
    const std::string image = output.File("calls.iso");
    CRecordedMessages messages;
    std::vector<double> progress;
    CISOArchiver archiver([&progress](double percent) { progress.push_back(percent); }, &messages);

    // The longest name Joliet holds: 103 characters.
    const std::string longName = std::string(83, 'n') + "-20160101-090000.qor";
    const std::string foreignName = "Grüße aus Köln 9012 📞.qor";
    const struct {
        std::string file, folder, inImage;
    } calls[] = {
        { "1234-20150301-101500.qor", "1234", "/1234/1234-20150301-101500.qor" },
        { "1234-20150302-111500.qor", "/1234  ", "/1234/1234-20150302-111500.qor" },
        { "5678-20150315-080000.qor", "Mar 2015", "/Mar 2015/5678-20150315-080000.qor" },
        { "x/" + foreignName, "home/user/calls/2016", "/home/user/calls/2016/" + foreignName },
        { longName, "", "/" + longName },
    };
    std::set<std::string> expected{ "/1234", "/Mar 2015", "/home", "/home/user", "/home/user/calls",
        "/home/user/calls/2016" };
    std::set<std::string> sources;
    std::uint32_t seed = 1;
    for (const auto& call : calls) {
        const std::string source = recordings.Write(call.file, SampleCall(seed++));
        ASSERT_EQ(archiver.Add(image, source, call.folder, 0), 0) << call.file;
        expected.insert(call.inImage);
        sources.insert(source);
    }
    EXPECT_EQ(archiver.Count(), 5);
    ASSERT_EQ(archiver.Write(), 0);

    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(ListImagePaths(image, "any"), expected);
    EXPECT_EQ(ListImagePaths(image, "norock"), expected) << "the Joliet tree keeps the same names";
    EXPECT_EQ(ListImagePaths(image, "ecma119").size(), expected.size());
    EXPECT_EQ(test::SourcesOf(archiver.Verified()), sources);
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), 100.0);
    const auto log = test::LogEntries();
    const std::string logged
        = "Archiver: ISO " + recordings.File("x/" + foreignName) + " -> /home/user/calls/2016/" + foreignName;
    EXPECT_NE(std::find(log.begin(), log.end(), logged), log.end());
}

TEST(IsoArchiver, SizeEstimateStaysWithinThreePercentOfTheWrittenImage)
{
    test::CDataFolderSandbox sandbox;
    test::CRecordingFolder recordings;
    test::CTempFolder output;

    // Ordinary recordings by user, and the worst case for the folders' share: many tiny calls
    // with very long names in folders with long names.
    const auto measure = [&](const std::string& name, int calls, const auto& addCall) {
        const std::string image = output.File(name);
        CMeasuredIsoArchiver archiver(nullptr, nullptr);
        for (int call = 0; call < calls; ++call)
            ASSERT_EQ(addCall(archiver, image, call), 0) << name << " call " << call;
        const std::uint64_t estimate = archiver.EstimatedBytes();
        ASSERT_EQ(archiver.Write(), 0);
        EXPECT_EQ(test::SourcesOf(archiver.Verified()).size(), static_cast<std::size_t>(calls))
            << "found by their full names";
        const double ratio = static_cast<double>(estimate) / static_cast<double>(fs::file_size(image));
        EXPECT_NEAR(ratio, 1.0, 0.03) << name << ": estimate " << estimate << ", image " << fs::file_size(image);
    };
    measure("users.iso", 40, [&](CISOArchiver& archiver, const std::string& image, int call) {
        const std::string user = std::to_string(1000 + call % 8);
        const std::string file
            = user + "-201603" + std::to_string(10 + call % 18) + "-1015" + std::to_string(10 + call);
        const std::string source
            = recordings.Write(file + ".qor", SampleCall(static_cast<std::uint32_t>(call), 5 + call));
        return archiver.Add(image, source, user, 0);
    });
    measure("long-names.iso", 300, [&](CISOArchiver& archiver, const std::string& image, int call) {
        const std::string source = recordings.File(std::to_string(call) + "-" + std::string(150 + call % 100, 'k'));
        test::WriteFileText(source, RandomBytes(static_cast<std::size_t>(call * 10), 7));
        return archiver.Add(image, source, "Gespräche " + std::string(80, 'g') + "/" + std::to_string(call % 3), 0);
    });
}

TEST(IsoArchiver, RefusesCallsOnceTheEstimateReachesTheThreshold)
{
    test::CDataFolderSandbox sandbox;
    test::CTempFolder folder;
    const std::string image = folder.File("calls.iso");
    CRecordedMessages messages;
    CISOArchiver archiver(nullptr, &messages);
    archiver.SetThresholdMB(1);

    // 300 KiB calls: three leave the image under 1 MiB, the fourth takes it over.
    std::vector<int> results;
    for (int call = 0; call < 6; ++call) {
        const std::string source = folder.File(std::to_string(call) + ".qor");
        test::WriteFileText(source, RandomBytes(300 * 1024, static_cast<std::uint32_t>(call)));
        results.push_back(archiver.Add(image, source, "1234", 0));
    }
    EXPECT_EQ(results, (std::vector<int>{ 0, 0, 0, 0, -1, -1 }));
    EXPECT_EQ(archiver.Count(), 4);
    EXPECT_EQ(archiver.SizeMB(), 1);
    ASSERT_EQ(archiver.Write(), 0);
    EXPECT_EQ(ListImagePaths(image, "any"),
        (std::set<std::string>{ "/1234", "/1234/0.qor", "/1234/1.qor", "/1234/2.qor", "/1234/3.qor" }));
    EXPECT_TRUE(messages.texts.empty()) << "a refusal for the threshold is no error";
}

TEST(IsoArchiver, CancelledJobWritesNoImageAndKeepsTheOldFileByteForByte)
{
    test::CDataFolderSandbox sandbox;
    test::CRecordingFolder recordings;
    test::CTempFolder output;
    const std::string image = output.File("calls.iso");
    CISOArchiver first(nullptr, nullptr);
    ASSERT_EQ(first.Add(image, recordings.Write("earlier.qor", SampleCall(3)), "", 0), 0);
    ASSERT_EQ(first.Write(), 0);
    const std::string earlier = test::ReadFileText(image);

    CRecordedMessages messages;
    CISOArchiver cancelledFirst(nullptr, &messages);
    ASSERT_EQ(cancelledFirst.Add(image, recordings.Write("1234-1.qor"), "1234", 0), 0);
    cancelledFirst.Cancel();
    EXPECT_EQ(cancelledFirst.Add(image, recordings.Write("1234-2.qor"), "1234", 0), IArchiver::kCancelled);
    EXPECT_EQ(cancelledFirst.Count(), 1);
    EXPECT_EQ(cancelledFirst.Write(), IArchiver::kCancelled);
    EXPECT_EQ(messages.texts, std::vector<std::string>{ CISOArchiver::kCancelledText });
    EXPECT_EQ(test::ReadFileText(image), earlier);
    EXPECT_EQ(test::FolderEntries(output.Path()), std::vector<std::string>{ "calls.iso" });

    // Cancelled from another thread while the image is being written: the writer waits at 10 %
    // until the other thread has asked it to stop.
    messages.texts.clear();
    std::mutex lock;
    std::condition_variable changed;
    bool halfway = false;
    bool cancelled = false;
    CISOArchiver archiver(
        [&](double percent) {
            if (percent < 10 || halfway)
                return;
            std::unique_lock guard(lock);
            halfway = true;
            changed.notify_all();
            changed.wait(guard, [&] { return cancelled; });
        },
        &messages);
    for (int call = 0; call < 3; ++call) {
        const std::string source = recordings.File("large-" + std::to_string(call) + ".qor");
        test::WriteFileText(source, RandomBytes(4 * 1024 * 1024, static_cast<std::uint32_t>(call)));
        ASSERT_EQ(archiver.Add(image, source, "", 0), 0);
    }
    std::thread canceller([&] {
        std::unique_lock guard(lock);
        changed.wait(guard, [&] { return halfway; });
        archiver.Cancel();
        cancelled = true;
        changed.notify_all();
    });
    EXPECT_EQ(archiver.Write(), IArchiver::kCancelled);
    {
        // Lets the other thread go even when the writer never got to 10 %.
        const std::lock_guard guard(lock);
        halfway = true;
        changed.notify_all();
    }
    canceller.join();
    EXPECT_EQ(messages.texts, std::vector<std::string>{ CISOArchiver::kCancelledText });
    EXPECT_EQ(test::ReadFileText(image), earlier);
    EXPECT_EQ(test::FolderEntries(output.Path()), std::vector<std::string>{ "calls.iso" });
    EXPECT_TRUE(test::SourcesOf(archiver.Verified()).empty());
}

TEST(IsoArchiver, RefusedSourcesAndFailedWritesNameTheFileAndShowTheLibrarysText)
{
    test::CDataFolderSandbox sandbox;
    test::CRecordingFolder recordings;
    CRecordedMessages messages;
    CISOArchiver archiver(nullptr, &messages);
    const std::string image = recordings.File("calls.iso");

    const std::string kept = recordings.Write("1234-1.qor");
    ASSERT_EQ(archiver.Add(image, kept, "1234", 0), 0);
    EXPECT_EQ(archiver.Add(image, recordings.File("missing.qor"), "1234", 0), IArchiver::kFailed);
    EXPECT_EQ(archiver.Count(), 1) << "a refused call leaves the others in the job";
    fs::create_directories(recordings.File("folder.qor"));
    EXPECT_EQ(archiver.Add(image, recordings.File("folder.qor"), "", 0), IArchiver::kFailed);
    EXPECT_EQ(messages.texts,
        (std::vector<std::string>{ "The call " + recordings.File("missing.qor") + " cannot be added to the image "
                + image + ": The file does not exist in the filesystem",
            "The call " + recordings.File("folder.qor") + " cannot be added to the image " + image
                + ": File cannot be added to the tree" }));
    ASSERT_EQ(archiver.Write(), 0);
    EXPECT_EQ(test::SourcesOf(archiver.Verified()), std::set<std::string>{ kept }) << "the image holds the others";

    const std::string locked = recordings.Write("1234-locked.qor");
    chmod(recordings.Path().c_str(), 0755);
    chmod(locked.c_str(), 0);
    test::CTempFolder shared;
    chmod(shared.Path().c_str(), 0777);
    const std::string sharedImage = shared.File("calls.iso");
    EXPECT_EQ(test::RunUnprivileged([&] {
        CRecordedMessages childMessages;
        CISOArchiver childArchiver(nullptr, &childMessages);
        const int result = childArchiver.Add(sharedImage, locked, "", 0);
        const bool shown = childMessages.texts.size() == 1
            && childMessages.texts[0].ends_with(
                locked + " cannot be added to the image " + sharedImage + ": Access to file is not allowed");
        return result == IArchiver::kFailed && shown ? 0 : 1;
    }),
        0);

    messages.texts.clear();
    CISOArchiver nowhere(nullptr, &messages);
    const std::string missingFolder = recordings.File("no such folder/calls.iso");
    EXPECT_EQ(nowhere.Add(missingFolder, recordings.Write("1234-2.qor"), "", 0), IArchiver::kFailed);
    EXPECT_EQ(nowhere.Write(), IArchiver::kFailed);
    EXPECT_EQ(messages.texts,
        std::vector<std::string>{
            "The image " + missingFolder + " was left unchanged: it cannot be written (No such file or directory)." });

    // A file of that name that is no image is never replaced.
    messages.texts.clear();
    const std::string notAnImage = recordings.File("notes.iso");
    test::WriteFileText(notAnImage, RandomBytes(5000, 3));
    CISOArchiver refusing(nullptr, &messages);
    EXPECT_EQ(refusing.Add(notAnImage, recordings.Write("1234-3.qor"), "", 0), IArchiver::kFailed);
    EXPECT_EQ(refusing.Write(), IArchiver::kFailed);
    EXPECT_EQ(test::ReadFileText(notAnImage), RandomBytes(5000, 3));
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_TRUE(messages.texts[0].starts_with(
        "The image " + notAnImage + " was left unchanged: it is not an ISO image that calls can be added to"))
        << messages.texts[0];
}

TEST(IsoArchiver, VerifiesOnlyTheCallsWhoseCopiesInTheImageMatchTheirSource)
{
    test::CDataFolderSandbox sandbox;
    test::CRecordingFolder recordings;
    CISOArchiver archiver(nullptr, nullptr);
    const std::string image = recordings.File("calls.iso");
    std::map<std::string, std::string> sources;
    for (const char* name : { "intact", "removed", "truncated", "grown" }) {
        sources[name] = recordings.File(std::string(name) + ".qor");
        test::WriteFileText(sources[name], RandomBytes(10000, 5));
        ASSERT_EQ(archiver.Add(image, sources[name], "1234", 0), 0);
    }
    ASSERT_EQ(archiver.Add(image, recordings.File("missing.qor"), "1234", 0), IArchiver::kFailed);

    // Changed between being taken and being written: the image holds no faithful copy of them.
    fs::remove(sources["removed"]);
    fs::resize_file(sources["truncated"], 4000);
    test::WriteFileText(sources["grown"], RandomBytes(12000, 5));
    ASSERT_EQ(archiver.Write(), 0);
    EXPECT_EQ(test::SourcesOf(archiver.Verified()), std::set<std::string>{ sources["intact"] });
}

TEST(IsoArchiver, ListsTheImageTreeOnStandardOutputBeforeWriting)
{
    test::CDataFolderSandbox sandbox;
    test::CTempFolder folder;
    CISOArchiver archiver(nullptr, nullptr);
    const std::string image = folder.File("calls.iso");
    const auto add = [&](const std::string& name, const std::string& content, const std::string& inImage) {
        const std::string source = folder.File(name);
        test::WriteFileText(source, content);
        ASSERT_EQ(archiver.Add(image, source, inImage, 0), 0);
    };
    add("top.qor", "12345", "");
    add("a.qor", "abc", "Mar 2015");
    add("b.qor", std::string(70000, 'b'), "home/user");

    testing::internal::CaptureStdout();
    SetIsoTreeListing(stdout);
    const int written = archiver.Write();
    SetIsoTreeListing(nullptr);
    const std::string listing = testing::internal::GetCapturedStdout();
    ASSERT_EQ(written, 0);
    EXPECT_EQ(listing,
        "Mar 2015 (directory)\n"
        "  a.qor (regular file), size 3\n"
        "home (directory)\n"
        "  user (directory)\n"
        "    b.qor (regular file), size 70000\n"
        "top.qor (regular file), size 5\n");
}

} // namespace
} // namespace qor

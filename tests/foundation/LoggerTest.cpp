#include "foundation/Logger.h"

#include "support/TestFolders.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <thread>

namespace qor {
namespace {

namespace fs = std::filesystem;
using test::ReadFileLines;
using test::ReadFileText;

constexpr std::size_t kPrefixLength = 26; // "2024/01/31 17:05:09.042 : "
const std::regex kPrefix(R"(^\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}\.\d{3} : )");

// Grows the log to the given size without writing 20 MiB of data.
void MakeSparseFile(const std::string& path, std::uintmax_t size)
{
    test::WriteFileText(path, "");
    fs::resize_file(path, size);
}

class Logger : public ::testing::Test {
protected:
    test::CDataFolderSandbox sandbox;
    CRvLogger& log = *Singleton<CRvLogger>::Instance();
};

TEST_F(Logger, EntriesGoToLogTxtInTheLogFolderWithATimeStamp)
{
    EXPECT_EQ(log.CurrentFile(), sandbox.UserData() + "/Veltrane/Qor Tolvane/Log/Log.txt");
    EXPECT_EQ(log.OldFile(), sandbox.UserData() + "/Veltrane/Qor Tolvane/Log/Log-old.txt");
    log.Write("Thread: Entered thread:%s id:0x%04x.\n", "Search Manager", 0xa1c);
    log.WriteLine("Archiver: %d files", 3);
    const std::string empty;
    log.Write("%s", empty.c_str());

    const std::string text = ReadFileText(log.CurrentFile());
    const auto lines = ReadFileLines(log.CurrentFile());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(std::regex_search(lines[0], kPrefix)) << lines[0];
    EXPECT_EQ(lines[0].substr(kPrefixLength), "Thread: Entered thread:Search Manager id:0x0a1c.");
    EXPECT_EQ(lines[1].substr(kPrefixLength), "Archiver: 3 files");
    EXPECT_EQ(lines[2].size(), kPrefixLength) << "an empty entry still has its prefix, and no line end";
    EXPECT_NE(text.back(), '\n');
}

TEST_F(Logger, RotatesOnlyAboveTheLimitAndKeepsOneOldGeneration)
{
    const std::string entry = "Archiver: padding";
    const std::uintmax_t entrySize = kPrefixLength + entry.size();
    test::WriteFileText(log.OldFile(), "older generation");

    MakeSparseFile(log.CurrentFile(), CRvLogger::kSizeLimit - entrySize);
    log.Write("%s", entry.c_str());
    EXPECT_EQ(fs::file_size(log.CurrentFile()), CRvLogger::kSizeLimit) << "exactly the limit is not rotated";
    EXPECT_EQ(ReadFileText(log.OldFile()), "older generation");

    log.Write("%s", entry.c_str());
    ASSERT_FALSE(fs::exists(log.CurrentFile()));
    EXPECT_EQ(fs::file_size(log.OldFile()), CRvLogger::kSizeLimit + entrySize)
        << "the entry that crosses the limit is written in full before the file is moved";

    log.WriteLine("Thread: next");
    const auto lines = ReadFileLines(log.CurrentFile());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(kPrefixLength), "Thread: next");
}

TEST_F(Logger, ConcurrentWritersNeverMixTheirEntries)
{
    constexpr int kEntriesPerThread = 300;
    auto writer = [this](char letter) {
        const std::string text(80, letter);
        for (int i = 0; i < kEntriesPerThread; ++i)
            log.WriteLine("%s", text.c_str());
    };
    std::thread first(writer, 'a');
    std::thread second(writer, 'b');
    first.join();
    second.join();

    const auto lines = ReadFileLines(log.CurrentFile());
    ASSERT_EQ(lines.size(), 2u * kEntriesPerThread);
    const std::regex whole(R"(^\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}\.\d{3} : (a{80}|b{80})$)");
    for (const std::string& line : lines)
        ASSERT_TRUE(std::regex_match(line, whole)) << line;
}

TEST_F(Logger, FailuresAreSilent)
{
    CRvLogger missingFolder(sandbox.Home() + "/no/such/folder/");
    missingFolder.WriteLine("lost");
    EXPECT_FALSE(fs::exists(sandbox.Home() + "/no/such/folder/Log.txt"));

    // A rotation that cannot move the file (here a folder is in the way, which stops root too)
    // leaves the current file in place and is tried again with the next entry.
    test::WriteFileText(log.OldFile() + "/blocker", "x");
    MakeSparseFile(log.CurrentFile(), CRvLogger::kSizeLimit + 1);
    log.WriteLine("kept");
    EXPECT_TRUE(fs::exists(log.CurrentFile()));
    fs::remove_all(log.OldFile());
    log.WriteLine("rotated now");
    EXPECT_FALSE(fs::exists(log.CurrentFile()));
    EXPECT_TRUE(fs::is_regular_file(log.OldFile()));
}

} // namespace
} // namespace qor

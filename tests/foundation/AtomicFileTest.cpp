#include "foundation/AtomicFile.h"

#include "support/TestFolders.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace qor {
namespace {

namespace fs = std::filesystem;

TEST(AtomicFile, ReplacesContentAndPermissionsAndLeavesNoTemporaryFile)
{
    test::CTempFolder folder;
    const std::string path = folder.File("store.xml");
    test::WriteFileText(path, "old content that is longer than the new one");
    ASSERT_TRUE(WriteFileAtomically(path, std::string("new\0bytes", 9), 0600));
    EXPECT_EQ(test::ReadFileText(path), std::string("new\0bytes", 9));
    struct stat status { };
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);

    std::string content;
    ASSERT_TRUE(ReadWholeFile(path, content));
    EXPECT_EQ(content.size(), 9u);
}

TEST(AtomicFile, FailureLeavesTheOldFileAlone)
{
    test::CTempFolder folder;
    EXPECT_FALSE(WriteFileAtomically(folder.File("missing/store.xml"), "x"));

    const std::string blocked = folder.File("blocked");
    test::WriteFileText(blocked + "/inside", "keep");
    EXPECT_FALSE(WriteFileAtomically(blocked, "x"));
    EXPECT_EQ(test::ReadFileText(blocked + "/inside"), "keep");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);

    std::string content = "unchanged";
    EXPECT_FALSE(ReadWholeFile(folder.File("missing.txt"), content));
    EXPECT_FALSE(ReadWholeFile(folder.Path(), content)) << "a folder is not a file";
}

} // namespace
} // namespace qor

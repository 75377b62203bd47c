#include "foundation/AtomicFile.h"

#include "support/TestFolders.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

TEST(AtomicFile, SavingThroughALinkReplacesTheSharedFileAndKeepsItsPermissions)
{
    test::CTempFolder folder;
    fs::create_directories(folder.File("shared"));
    fs::create_directories(folder.File("mine"));
    const std::string shared = folder.File("shared/week.reclist");
    test::WriteFileText(shared, "old");
    chmod(shared.c_str(), 0664);
    fs::create_symlink("../shared/week.reclist", folder.File("mine/week.reclist"));
    fs::create_symlink("week.reclist", folder.File("mine/again.reclist"));

    ASSERT_TRUE(WriteFileAtomically(folder.File("mine/again.reclist"), "new", 0644));
    EXPECT_TRUE(fs::is_symlink(folder.File("mine/week.reclist")));
    EXPECT_TRUE(fs::is_symlink(folder.File("mine/again.reclist")));
    EXPECT_EQ(test::ReadFileText(shared), "new");
    struct stat status { };
    ASSERT_EQ(stat(shared.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0664u) << "a shared list stays writable by its group";

    ASSERT_TRUE(WriteFileAtomically(shared, "secret", 0600));
    ASSERT_EQ(stat(shared.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u) << "a private file never stays readable by others";
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.File("shared")), fs::directory_iterator()), 1);
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

TEST(AtomicFile, NoFifoOrDeviceIsReplacedAndAKilledWriterLeavesNothingBehind)
{
    test::CTempFolder folder;
    const std::string fifo = folder.File("list.reclist");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_FALSE(WriteFileAtomically(fifo, "x"));
    EXPECT_TRUE(fs::is_fifo(fifo)) << "the FIFO is still there";
    fs::create_symlink("/dev/null", folder.File("null.reclist"));
    EXPECT_FALSE(WriteFileAtomically(folder.File("null.reclist"), "x")) << "a device, reached through our link";
    fs::remove(fifo);
    fs::remove(folder.File("null.reclist"));

    // Killed at random moments while writing 32 MiB, the writer leaves the old file or the new one,
    // and no part of either under another name.
    const std::string target = folder.File("big.bin");
    const std::string content(32u << 20, 'n');
    test::WriteFileText(target, "old");
    for (int round = 0; round < 20; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            WriteFileAtomically(target, content);
            _exit(0);
        }
        usleep(static_cast<useconds_t>(2000 + round * 1500));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const auto size = fs::file_size(target);
        EXPECT_TRUE(size == 3 || size == content.size()) << size;
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1)
            << "round " << round;
    }

    // Two processes saving at once: the file is one of the two contents whole, never a mixture.
    const std::string other(8u << 20, 'o');
    for (int round = 0; round < 5; ++round) {
        pid_t writers[2];
        for (int which = 0; which < 2; ++which) {
            writers[which] = fork();
            ASSERT_GE(writers[which], 0);
            if (writers[which] == 0)
                _exit(WriteFileAtomically(target, which == 0 ? std::string_view(content).substr(0, 8u << 20) : other)
                        ? 0
                        : 1);
        }
        for (const pid_t writer : writers) {
            int status = 0;
            waitpid(writer, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        const std::string saved = test::ReadFileText(target);
        EXPECT_TRUE(saved == content.substr(0, 8u << 20) || saved == other) << "round " << round;
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);
    }
}

} // namespace
} // namespace qor

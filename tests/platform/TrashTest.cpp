#include "platform/Trash.h"

#include "support/OtherUser.h"
#include "support/TestFolders.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

namespace fs = std::filesystem;

// A call on a file system of its own (a mounted tmpfs, as a shared disk would be), whose trash
// folder another user made first.
TEST(Trash, AnotherUsersTrashFolderOnASharedDiskIsRefused)
{
    test::CDataFolderSandbox sandbox;
    const auto other = test::COtherUser::Get();
    if (!other)
        GTEST_SKIP() << "a second user is made, and a file system mounted, only when the tests run as root";
    test::CTempFolder disk;
    ASSERT_EQ(mount("tmpfs", disk.Path().c_str(), "tmpfs", 0, "size=1m,mode=1777"), 0);
    const std::string call = disk.File("1000-a.qor");
    test::WriteFileText(call, "call");
    const std::string trash = disk.File(".Trash-" + std::to_string(geteuid()));
    ASSERT_EQ(
        other->Run([&] { return mkdir(trash.c_str(), 0777) == 0 && chmod(trash.c_str(), 0777) == 0 ? 0 : 1; }), 0);

    std::string why;
    EXPECT_FALSE(MoveToTrash(call, &why));
    EXPECT_NE(why.find("belongs to another user"), std::string::npos) << why;
    EXPECT_TRUE(fs::exists(call));

    // A shared trash folder of his, sticky as a shared trash must be, would let him move the call
    // out of it all the same.
    const std::string sharedTrash = disk.File(".Trash");
    ASSERT_EQ(other->Run([&] {
        return mkdir(sharedTrash.c_str(), 01777) == 0 && chmod(sharedTrash.c_str(), 01777) == 0 ? 0 : 1;
    }),
        0);
    why.clear();
    EXPECT_FALSE(MoveToTrash(call, &why));
    EXPECT_NE(why.find(".Trash belongs to another user"), std::string::npos) << why;
    EXPECT_TRUE(fs::exists(call));
    fs::remove_all(sharedTrash);

    // Once it is gone, the call goes to a trash folder of ours that nobody else may enter.
    fs::remove_all(trash);
    why.clear();
    EXPECT_TRUE(MoveToTrash(call, &why)) << why;
    EXPECT_FALSE(fs::exists(call));
    struct stat status { };
    ASSERT_EQ(lstat(trash.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, geteuid());
    EXPECT_EQ(status.st_mode & 077, 0u);
    umount2(disk.Path().c_str(), MNT_DETACH);
}

} // namespace
} // namespace qor

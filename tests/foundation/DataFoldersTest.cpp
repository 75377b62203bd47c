#include "foundation/DataFolders.h"

#include "support/TestFolders.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

namespace fs = std::filesystem;
using test::CDataFolderSandbox;

class DataFolders : public ::testing::Test {
protected:
    CDataFolderSandbox sandbox;
};

TEST_F(DataFolders, EachUsersFoldersAreHersAloneAndTheOfficeFolderIsNeverMade)
{
    SetDataFolderNames("Veltrane", "Qor Tolvane");
    const mode_t previous = umask(002); // an office's umask must not open what is hers
    const std::string log = GetLogFolder();
    const std::string user = GetConfigurationFolder(false);
    const std::string own = GetConfigurationFolder(true);
    umask(previous);
    EXPECT_EQ(log, sandbox.UserData() + "/Veltrane/Qor Tolvane/Log/");
    EXPECT_EQ(user, sandbox.UserBase() + "/Veltrane/Qor Tolvane/Configuration/");
    EXPECT_EQ(own, sandbox.UserData() + "/Veltrane/Qor Tolvane/Configuration/");
    for (const std::string& folder : { log, user, own, sandbox.UserData() + "/Veltrane" }) {
        struct stat status { };
        ASSERT_EQ(stat(folder.c_str(), &status), 0) << folder;
        EXPECT_EQ(status.st_mode & 07777, 0700u) << folder;
    }
    EXPECT_EQ(GetOfficeConfigurationFolder(), sandbox.MachineBase() + "/Veltrane/Qor Tolvane/Configuration/");
    EXPECT_FALSE(fs::exists(sandbox.MachineBase())) << "the administrator prepares it";
}

TEST_F(DataFolders, EmptyNamesLeaveNoEmptyPathElement)
{
    SetDataFolderNames("Veltrane", "");
    EXPECT_EQ(GetLogFolder(), sandbox.UserData() + "/Veltrane/Log/");
    EXPECT_EQ(GetConfigurationFolder(false, "Other", ""), sandbox.UserBase() + "/Other/Configuration/");
    SetDataFolderNames("", "Qor Tolvane");
    EXPECT_EQ(GetLogFolder(), sandbox.UserData() + "/Qor Tolvane/Log/");
    EXPECT_EQ(GetConfigurationFolder(true, "", ""), sandbox.UserData() + "/Configuration/");
}

TEST_F(DataFolders, NamesAreReplacedAndCopiedOut)
{
    SetDataFolderNames("Acme", "Recorder");
    std::string company, product;
    GetDataFolderNames(company, product);
    EXPECT_EQ(company, "Acme");
    EXPECT_EQ(product, "Recorder");
    EXPECT_EQ(GetConfigurationFolder(true), sandbox.UserData() + "/Acme/Recorder/Configuration/");
}

TEST_F(DataFolders, PlainFileInPlaceOfTheFolderGivesTheSamePathEachTime)
{
    SetDataFolderNames("Veltrane", "Qor Tolvane");
    const std::string folder = sandbox.UserData() + "/Veltrane/Qor Tolvane/Log";
    test::WriteFileText(folder, "not a folder");
    EXPECT_EQ(GetLogFolder(), folder + "/");
    EXPECT_EQ(GetLogFolder(), folder + "/");
    EXPECT_TRUE(fs::is_regular_file(folder));
}

TEST_F(DataFolders, SpecialFolderPathsHaveNoTrailingSlashAndUnknownKindsFail)
{
    std::string path = "unchanged";
    EXPECT_FALSE(GetSpecialFolderPath(16, path));
    EXPECT_FALSE(GetSpecialFolderPath(-1, path));
    EXPECT_FALSE(GetSpecialFolderPath(kFolderMachineDesktop, path));
    EXPECT_EQ(path, "unchanged");

    setenv("XDG_CONFIG_HOME", (sandbox.UserBase() + "///").c_str(), 1);
    ASSERT_TRUE(GetSpecialFolderPath(kFolderUserAppData, path));
    EXPECT_EQ(path, sandbox.UserBase());
    ASSERT_TRUE(GetSpecialFolderPath(kFolderUserDocuments, path));
    EXPECT_EQ(path, sandbox.Home() + "/Documents");
    EXPECT_TRUE(fs::is_directory(path));
}

TEST_F(DataFolders, RelativeXdgVariablesAreIgnored)
{
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    std::string path;
    ASSERT_TRUE(GetSpecialFolderPath(kFolderUserAppData, path));
    EXPECT_EQ(path, sandbox.Home() + "/.config");
    setenv("QOR_MACHINE_DATA_DIR", "relative/machine", 1);
    SetDataFolderNames("Veltrane", "Qor Tolvane");
    EXPECT_EQ(GetOfficeConfigurationFolder(), "/var/lib/Veltrane/Qor Tolvane/Configuration/")
        << "a relative machine folder is ignored as well";
}

TEST_F(DataFolders, ModuleFolderIsTheTestProgramsFolder)
{
    const std::string folder = GetModuleFolder();
    EXPECT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '/');
    EXPECT_EQ(fs::path(folder), fs::read_symlink("/proc/self/exe").parent_path());
}

} // namespace
} // namespace qor

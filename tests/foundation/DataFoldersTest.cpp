#include "foundation/DataFolders.h"

#include "support/TestFolders.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace qor {
namespace {

namespace fs = std::filesystem;
using test::CDataFolderSandbox;

class DataFolders : public ::testing::Test {
protected:
    CDataFolderSandbox sandbox;
};

TEST_F(DataFolders, LogAndConfigurationFoldersAreBuiltAndCreated)
{
    SetDataFolderNames("Veltrane", "Qor Tolvane");
    const std::string log = GetLogFolder();
    EXPECT_EQ(log, sandbox.MachineBase() + "/Veltrane/Qor Tolvane/Log/");
    EXPECT_TRUE(fs::is_directory(log));

    const std::string user = GetConfigurationFolder(false);
    const std::string machine = GetConfigurationFolder(true);
    EXPECT_EQ(user, sandbox.UserBase() + "/Veltrane/Qor Tolvane/Configuration/");
    EXPECT_EQ(machine, sandbox.MachineBase() + "/Veltrane/Qor Tolvane/Configuration/");
    EXPECT_NE(user, machine);
    EXPECT_TRUE(fs::is_directory(user));
    EXPECT_TRUE(fs::is_directory(machine));
}

TEST_F(DataFolders, EmptyNamesLeaveNoEmptyPathElement)
{
    SetDataFolderNames("Veltrane", "");
    EXPECT_EQ(GetLogFolder(), sandbox.MachineBase() + "/Veltrane/Log/");
    EXPECT_EQ(GetConfigurationFolder(false, "Other", ""), sandbox.UserBase() + "/Other/Configuration/");
    SetDataFolderNames("", "Qor Tolvane");
    EXPECT_EQ(GetLogFolder(), sandbox.MachineBase() + "/Qor Tolvane/Log/");
    EXPECT_EQ(GetConfigurationFolder(true, "", ""), sandbox.MachineBase() + "/Configuration/");
}

TEST_F(DataFolders, NamesAreReplacedAndCopiedOut)
{
    SetDataFolderNames("Acme", "Recorder");
    std::string company, product;
    GetDataFolderNames(company, product);
    EXPECT_EQ(company, "Acme");
    EXPECT_EQ(product, "Recorder");
    EXPECT_EQ(GetConfigurationFolder(true), sandbox.MachineBase() + "/Acme/Recorder/Configuration/");
}

TEST_F(DataFolders, PlainFileInPlaceOfTheFolderGivesTheSamePathEachTime)
{
    SetDataFolderNames("Veltrane", "Qor Tolvane");
    const std::string folder = sandbox.MachineBase() + "/Veltrane/Qor Tolvane/Log";
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
    ASSERT_TRUE(GetSpecialFolderPath(kFolderMachineAppData, path));
    EXPECT_EQ(path, sandbox.UserData()) << "a relative machine folder is ignored as well";
}

TEST_F(DataFolders, MachineDataUsesVarLibOnlyWhenTheCompanyFolderIsPrepared)
{
    unsetenv("QOR_MACHINE_DATA_DIR");
    const std::string company = "QorTest" + std::to_string(getpid());
    SetDataFolderNames(company, "Product");
    std::string path;
    ASSERT_TRUE(GetSpecialFolderPath(kFolderMachineAppData, path));
    EXPECT_EQ(path, sandbox.UserData()) << "falls back to the user's data folder";

    std::error_code error;
    if (!fs::create_directory("/var/lib/" + company, error) || access(("/var/lib/" + company).c_str(), W_OK) != 0)
        GTEST_SKIP() << "/var/lib is not writable here";
    ASSERT_TRUE(GetSpecialFolderPath(kFolderMachineAppData, path));
    EXPECT_EQ(path, "/var/lib");
    fs::remove_all("/var/lib/" + company, error);
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

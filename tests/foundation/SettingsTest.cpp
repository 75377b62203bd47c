#include "foundation/Settings.h"

#include "foundation/ResourceBundle.h"
#include "foundation/ResourceStrings.h"
#include "support/ChildProcess.h"
#include "support/TestFolders.h"
#include "support/Unprivileged.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>

namespace qor {
namespace {

namespace fs = std::filesystem;
using test::ReadFileText;
using test::WriteFileText;

std::string SettingsFile(const std::string& body, const std::string& sectionName = "settings")
{
    return "<?xml version=\"1.0\"?>\r\n<profile version=\"1\">\r\n  <section name=\"" + sectionName + "\">" + body
        + "</section>\r\n</profile>\r\n";
}

// An access ACL as setfacl writes it, giving a named group (a colleague's, through the office)
// write access besides the owner's: its mode then shows only the mask.
void LetGroupWrite(const std::string& path, gid_t group)
{
    const auto entry = [](std::uint16_t tag, std::uint16_t permissions, std::uint32_t id) {
        std::string bytes(8, '\0');
        std::memcpy(bytes.data(), &tag, 2);
        std::memcpy(bytes.data() + 2, &permissions, 2);
        std::memcpy(bytes.data() + 4, &id, 4);
        return bytes;
    };
    constexpr std::uint32_t kNoId = 0xffffffff;
    const std::string acl = std::string("\2\0\0\0", 4) + entry(0x01, 7, kNoId) + entry(0x04, 5, kNoId)
        + entry(0x08, 7, group) + entry(0x10, 7, kNoId) + entry(0x20, 5, kNoId);
    ASSERT_EQ(setxattr(path.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0), 0) << path;
}

std::vector<int> Widths(const CSettings& settings)
{
    std::vector<int> widths;
    for (int column = 0; column < static_cast<int>(CSettings::kColumnCount); ++column)
        widths.push_back(settings.GetColumnWidth(column));
    return widths;
}

const std::vector<int> kDefaultWidths = { 40, 25, 100, 100, 58, 130, 100, 40, 225 };

class Settings : public ::testing::Test {
protected:
    std::string UserConfig() const { return CSettings::GetConfigFilePath(false, "config.xml"); }

    test::CDataFolderSandbox sandbox;
    CSettings settings;
};

TEST_F(Settings, WithoutAnyFileEverythingKeepsItsDefault)
{
    EXPECT_EQ(settings.GetResourceFile(), "");
    settings.Load();
    EXPECT_EQ(Widths(settings), kDefaultWidths);
    EXPECT_TRUE(settings.GetShowHistory());
    EXPECT_FALSE(settings.GetSavePassphrase());
    EXPECT_EQ(settings.GetPassphrase(), "");
    EXPECT_FALSE(settings.IsExportBlocked());
    EXPECT_FALSE(settings.IsDeleteDisabled());
}

TEST_F(Settings, FilePathsFollowTheProgramsOwnNames)
{
    EXPECT_EQ(UserConfig(), sandbox.UserBase() + "/Veltrane/Qor Tolvane/Configuration/config.xml");
    EXPECT_EQ(CSettings::GetConfigFilePath(true, "hotlist.xml"),
        sandbox.UserData() + "/Veltrane/Qor Tolvane/Configuration/hotlist.xml");
    EXPECT_EQ(CSettings::GetAdminConfigFilePath(true, "config.xml"),
        sandbox.SystemConfig() + "/Veltrane/Qor Config/Configuration/config.xml");
    EXPECT_EQ(CSettings::GetSystemConfigFilePath("global.xml"),
        sandbox.SystemConfig() + "/Veltrane/Qor Tolvane/Configuration/global.xml");
    EXPECT_EQ(CSettings::GetAdminConfigFilePath(false, "config.xml"),
        sandbox.UserBase() + "/Veltrane/Qor Config/Configuration/config.xml");
}

TEST_F(Settings, ColumnWidthsAreReadUpToTheFirstMissingOne)
{
    WriteFileText(UserConfig(), SettingsFile("<Col0>11</Col0><Col1>12</Col1><Col2>13</Col2><Col3>14</Col3>"));
    settings.Load();
    EXPECT_EQ(Widths(settings), (std::vector<int>{ 11, 12, 13, 14, 58, 130, 100, 40, 225 }));

    CSettings gap;
    WriteFileText(UserConfig(), SettingsFile("<Col0>11</Col0><Col1>12</Col1><Col3>14</Col3><Col4>15</Col4>"));
    gap.Load();
    EXPECT_EQ(Widths(gap), (std::vector<int>{ 11, 12, 100, 100, 58, 130, 100, 40, 225 }));

    CSettings notANumber;
    WriteFileText(UserConfig(), SettingsFile("<Col0> 7px</Col0><Col1>wide</Col1><Col2>13</Col2>"));
    notANumber.Load();
    EXPECT_EQ(Widths(notANumber), (std::vector<int>{ 7, 25, 100, 100, 58, 130, 100, 40, 225 }));
}

TEST_F(Settings, ShowHistoryIsOffWhenAnExistingSectionLacksIt)
{
    WriteFileText(UserConfig(), SettingsFile("<Col0>50</Col0>"));
    settings.Load();
    EXPECT_FALSE(settings.GetShowHistory());
}

TEST_F(Settings, OnlyTheSectionNamedExactlySettingsIsRead)
{
    WriteFileText(UserConfig(), SettingsFile("<Col0>1</Col0><ShowHistory>0</ShowHistory>", "Settings"));
    settings.Load();
    EXPECT_EQ(Widths(settings), kDefaultWidths);
    EXPECT_TRUE(settings.GetShowHistory());

    CSettings second;
    WriteFileText(UserConfig(),
        "<profile><section name=\"other\"><Col0>1</Col0></section><section "
        "name=\"settings\"><Col0>2</Col0></section></profile>");
    second.Load();
    EXPECT_EQ(second.GetColumnWidth(0), 2);
}

TEST_F(Settings, MalformedUserFileLeavesTheDefaults)
{
    WriteFileText(UserConfig(), "<profile><section name=\"settings\"><Col0>5</Col0>");
    settings.Load();
    EXPECT_EQ(Widths(settings), kDefaultWidths);
    EXPECT_TRUE(settings.GetShowHistory());
}

TEST_F(Settings, PassphraseIsReadOnlyWhenSavingIsOn)
{
    WriteFileText(UserConfig(), SettingsFile("<SavePassphrase>0</SavePassphrase><Passphrase>secret</Passphrase>"));
    settings.Load();
    EXPECT_EQ(settings.GetPassphrase(), "");
    ASSERT_TRUE(settings.Save());
    EXPECT_NE(ReadFileText(UserConfig()).find("<Passphrase/>"), std::string::npos);
    EXPECT_EQ(ReadFileText(UserConfig()).find("secret"), std::string::npos);

    CSettings saving;
    WriteFileText(UserConfig(), SettingsFile("<SavePassphrase>1</SavePassphrase><Passphrase>  secret \t</Passphrase>"));
    saving.Load();
    EXPECT_TRUE(saving.GetSavePassphrase());
    EXPECT_EQ(saving.GetPassphrase(), "secret");
}

TEST_F(Settings, SaveWritesTheWholeSectionInOrder)
{
    settings.SetColumnWidth(8, 300);
    settings.SetColumnWidth(9, 1);
    settings.SetColumnWidth(-1, 1);
    settings.SetShowHistory(false);
    settings.SetSavePassphrase(true);
    settings.SetPassphrase("  pass phrase  ");
    ASSERT_TRUE(settings.Save());
    EXPECT_EQ(ReadFileText(UserConfig()),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<profile version=\"1\">\n"
        "    <section name=\"settings\">\n"
        "        <Col0>40</Col0>\n"
        "        <Col1>25</Col1>\n"
        "        <Col2>100</Col2>\n"
        "        <Col3>100</Col3>\n"
        "        <Col4>58</Col4>\n"
        "        <Col5>130</Col5>\n"
        "        <Col6>100</Col6>\n"
        "        <Col7>40</Col7>\n"
        "        <Col8>300</Col8>\n"
        "        <ShowHistory>0</ShowHistory>\n"
        "        <SavePassphrase>1</SavePassphrase>\n"
        "        <Passphrase>pass phrase</Passphrase>\n"
        "    </section>\n"
        "</profile>\n");

    CSettings reloaded;
    reloaded.Load();
    EXPECT_EQ(reloaded.GetColumnWidth(8), 300);
    EXPECT_EQ(reloaded.GetColumnWidth(9), -1);
    EXPECT_FALSE(reloaded.GetShowHistory());
    EXPECT_EQ(reloaded.GetPassphrase(), "pass phrase");
    EXPECT_TRUE(reloaded.GetUseCallIndex()) << "on unless the file says otherwise";

    // Turned off, the call index is the one key more, and stays off.
    reloaded.SetUseCallIndex(false);
    ASSERT_TRUE(reloaded.Save());
    EXPECT_NE(ReadFileText(UserConfig())
                  .find("        <Passphrase>pass phrase</Passphrase>\n"
                        "        <UseCallIndex>0</UseCallIndex>\n    </section>"),
        std::string::npos);
    CSettings again;
    again.Load();
    EXPECT_FALSE(again.GetUseCallIndex());
}

TEST_F(Settings, UserFileIsPrivateAndReplacedInOneStep)
{
    settings.SetSavePassphrase(true);
    settings.SetPassphrase("secret");
    ASSERT_TRUE(settings.Save());
    struct stat status { };
    ASSERT_EQ(stat(UserConfig().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    // When the new file cannot take the old one's place, the old one stays and nothing is left over.
    fs::remove(UserConfig());
    WriteFileText(UserConfig() + "/keep", "x");
    EXPECT_FALSE(settings.Save());
    EXPECT_TRUE(fs::is_directory(UserConfig()));
    EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(UserConfig()).parent_path()), fs::directory_iterator()), 1);

    // A saved passphrase others could read is closed and said once, also through a link of hers
    // to where she keeps her settings.
    fs::remove_all(UserConfig());
    const std::string kept = sandbox.Home() + "/dotfiles/config.xml";
    for (const bool linked : { false, true }) {
        const std::string file = linked ? kept : UserConfig();
        WriteFileText(file, SettingsFile("<SavePassphrase>1</SavePassphrase><Passphrase>secret</Passphrase>"));
        chmod(file.c_str(), 0644);
        if (linked)
            fs::create_symlink(kept, UserConfig());
        CSettings exposed;
        exposed.Load();
        EXPECT_NE(exposed.TakeExposureWarning().find("holds your saved passphrase and could be read by others"),
            std::string::npos)
            << "linked: " << linked;
        EXPECT_EQ(exposed.TakeExposureWarning(), "") << "said once";
        ASSERT_EQ(stat(file.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0600u) << "linked: " << linked;
        fs::remove(UserConfig());
    }
}

TEST_F(Settings, GlobalSettingsChoosesTheAdministratorFile)
{
    const std::string machineAdmin = CSettings::GetAdminConfigFilePath(true, "config.xml");
    const std::string userAdmin = CSettings::GetAdminConfigFilePath(false, "config.xml");
    const std::string global = CSettings::GetSystemConfigFilePath("global.xml");
    WriteFileText(machineAdmin, SettingsFile("<BlockExport>1</BlockExport>"));
    WriteFileText(userAdmin, SettingsFile("<DisableDelete>1</DisableDelete>"));

    const std::pair<const char*, bool> cases[] = { { "1", true }, { "2", false }, { "0", false } };
    for (const auto& [value, machineWide] : cases) {
        WriteFileText(global, SettingsFile(std::string("<GlobalSettings>") + value + "</GlobalSettings>"));
        CSettings loaded;
        loaded.Load();
        EXPECT_EQ(loaded.IsExportBlocked(), machineWide) << "GlobalSettings " << value;
        EXPECT_EQ(loaded.IsDeleteDisabled(), !machineWide) << "GlobalSettings " << value;
    }

    fs::remove(global);
    WriteFileText(userAdmin, "<profile><section name=\"other\"><DisableDelete>1</DisableDelete></section></profile>");
    settings.Load();
    EXPECT_FALSE(settings.IsDeleteDisabled()) << "an administrator file without a settings section restricts nothing";
}

TEST_F(Settings, TheAdministratorsRestrictionsHoldForAnOrdinaryUser)
{
    // The administrator's files sit in a root-owned system folder that users can read, not write.
    const std::string admin = CSettings::GetAdminConfigFilePath(true, "config.xml");
    WriteFileText(admin, SettingsFile("<BlockExport>1</BlockExport><DisableDelete>1</DisableDelete>"));
    WriteFileText(CSettings::GetSystemConfigFilePath("global.xml"), SettingsFile("<GlobalSettings>1</GlobalSettings>"));
    for (const auto& item : fs::recursive_directory_iterator(sandbox.SystemConfig()))
        fs::permissions(item.path(), item.is_directory() ? fs::perms(0755) : fs::perms(0644));
    fs::permissions(sandbox.Root(), fs::perms(0755));
    fs::permissions(sandbox.SystemConfig(), fs::perms(0755));

    const int result = test::RunUnprivileged([&] {
        CSettings user;
        user.Load();
        const bool unchangeable
            = access(admin.c_str(), W_OK) != 0 && access(fs::path(admin).parent_path().c_str(), W_OK) != 0;
        return (user.IsExportBlocked() ? 1 : 0) | (user.IsDeleteDisabled() ? 2 : 0) | (unchangeable ? 4 : 0);
    });
    EXPECT_EQ(result, 7) << "both restrictions apply and the user cannot change the file";
}

TEST_F(Settings, TheFirstSystemFolderThatHoldsAFileWins)
{
    const std::string first = sandbox.Root() + "/first";
    const std::string second = sandbox.Root() + "/second";
    setenv("XDG_CONFIG_DIRS", ("relative:" + first + ":" + second + "/").c_str(), 1);
    const std::string leaf = "/Veltrane/Qor Tolvane/Configuration/branding.xml";
    EXPECT_EQ(CSettings::GetSystemConfigFilePath("branding.xml"), first + leaf) << "none holds it: the first";
    WriteFileText(second + leaf, SettingsFile("<ResourceFile>second</ResourceFile>"));
    EXPECT_EQ(settings.GetResourceFile(), "second");
    WriteFileText(first + leaf, SettingsFile("<ResourceFile>first</ResourceFile>"));
    EXPECT_EQ(settings.GetResourceFile(), "first");
    unsetenv("XDG_CONFIG_DIRS");
    EXPECT_EQ(CSettings::GetSystemConfigFilePath("branding.xml"), "/etc/xdg" + leaf);
}

TEST_F(Settings, ResourceFileComesFromBrandingWhichOnlyItsOwnerMayWrite)
{
    const std::string branding = CSettings::GetSystemConfigFilePath("branding.xml");
    WriteFileText(branding, SettingsFile("<ResourceFile>/opt/brand/strings.qm</ResourceFile>"));
    std::string unusable;
    EXPECT_EQ(settings.GetResourceFile(&unusable), "/opt/brand/strings.qm");
    EXPECT_EQ(unusable, "");
    // It names the folders everybody's files go to: nobody else may have written it.
    chmod(branding.c_str(), 0666);
    EXPECT_EQ(settings.GetResourceFile(&unusable), "");
    EXPECT_NE(unusable.find(branding + ": "), std::string::npos) << unusable;
    chmod(branding.c_str(), 0644);
    LetGroupWrite(branding, 100);
    EXPECT_EQ(settings.GetResourceFile(&unusable), "") << "nor through an ACL";
    removexattr(branding.c_str(), "system.posix_acl_access");
    chmod(branding.c_str(), 0644);
    WriteFileText(branding, "<profile><section name=\"settings\"><ResourceFile>x</ResourceFile>");
    EXPECT_EQ(settings.GetResourceFile(&unusable), "");
    EXPECT_EQ(unusable, branding + ": not well-formed XML");
    // Found by our own names, whatever bundle is in use.
    WriteFileText(branding, SettingsFile("<ResourceFile>" QOR_BRANDING_EXAMPLE "</ResourceFile>"));
    std::string named, why;
    ASSERT_TRUE(UseBrandingBundle(named, why)) << why;
    EXPECT_EQ(CSettings::GetBrandingFilePath(), branding);
    EXPECT_EQ(settings.GetResourceFile(), QOR_BRANDING_EXAMPLE);
    ASSERT_TRUE(UseResourceBundle("", why));
}

TEST_F(Settings, ABrandingBundleReplacesNamesAndTextsAndTheDataFoldersFollow)
{
    std::string why;
    ASSERT_TRUE(UseResourceBundle(QOR_BRANDING_EXAMPLE, why)) << why;
    EXPECT_EQ(LoadResourceString(IDS_PRODUCT_NAME), "Tarn Call Desk");
    EXPECT_EQ(FormatResourceString(IDS_CONFIRM_DELETE, 2), "This will delete 2 call(s)\n\nAre you sure?")
        << "a text the bundle leaves out is ours";
    EXPECT_EQ(LoadResourceString(IDS_COLUMN_COMMENT), "Comment") << "an empty one too";
    EXPECT_EQ(UserConfig(), sandbox.UserBase() + "/Tarnwell Telecom/Tarn Call Desk/Configuration/config.xml");
    ASSERT_TRUE(UseResourceBundle("", why));
    EXPECT_EQ(LoadResourceString(IDS_PRODUCT_NAME), "Qor Tolvane");

    // A bare name is looked up in the system's data folders.
    const test::CTempFolder data;
    fs::create_directories(data.File("qortolvane/branding"));
    fs::copy(QOR_BRANDING_EXAMPLE, data.File("qortolvane/branding/tarn"), fs::copy_options::recursive);
    setenv("XDG_DATA_DIRS", ("/nowhere:" + data.Path()).c_str(), 1);
    EXPECT_TRUE(UseResourceBundle("tarn", why)) << why;
    EXPECT_EQ(LoadResourceString(IDS_COMPANY_NAME), "Tarnwell Telecom");

    // What cannot be used replaces nothing, and says why.
    const std::string bundle = data.File("qortolvane/branding/tarn");
    const auto refused = [&](const std::string& name, const std::string& expected) {
        ASSERT_TRUE(UseResourceBundle("", why));
        why.clear();
        EXPECT_FALSE(UseResourceBundle(name, why)) << name;
        EXPECT_NE(why.find(expected), std::string::npos) << why;
        EXPECT_EQ(LoadResourceString(IDS_PRODUCT_NAME), "Qor Tolvane");
    };
    refused("absent", "not found");
    refused("/nowhere/bundle", "not found");
    // Anybody could put his own strings or icons there; or a colleague, through the office's group
    // (umask 002 in a setgid folder gives every file group write).
    constexpr gid_t kSharedGroup = 100;
    ASSERT_EQ(chown(bundle.c_str(), -1, kSharedGroup), 0);
    for (const mode_t open : { 0777, 01777, 02775 }) {
        chmod(bundle.c_str(), open);
        refused(bundle, "others can change it");
    }
    chmod(bundle.c_str(), 0755);
    const std::string strings = bundle + "/strings.xml";
    ASSERT_EQ(chown(strings.c_str(), -1, kSharedGroup), 0);
    for (const mode_t open : { 0666, 0664 }) {
        chmod(strings.c_str(), open);
        refused(bundle, "others than its owner can write it");
    }
    chmod(strings.c_str(), 0644);
    const passwd* nobody = getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    ASSERT_EQ(chown(strings.c_str(), nobody->pw_uid, -1), 0);
    refused(bundle, "strings.xml: it belongs to another user");
    EXPECT_EQ(why.find("office"), std::string::npos) << why;
    ASSERT_EQ(chown(strings.c_str(), 0, -1), 0);
    // The same through an ACL, which a default ACL on a shared folder gives every file made there.
    LetGroupWrite(strings, kSharedGroup);
    refused(bundle, "others than its owner can write it");
    removexattr(strings.c_str(), "system.posix_acl_access");
    chmod(strings.c_str(), 0644);
    LetGroupWrite(bundle, kSharedGroup);
    refused(bundle, "others can change it");
    removexattr(bundle.c_str(), "system.posix_acl_access");
    chmod(bundle.c_str(), 0755);
    refused("brand/" + fs::path(bundle).filename().string(), "a path must start at /");
    const std::string icon = bundle + "/icons/important.svg";
    ASSERT_EQ(mkfifo(icon.c_str(), 0644), 0); // Qt would wait on it for ever
    refused(bundle, "important.svg: not a regular file");
    fs::remove(icon);
    WriteFileText(icon, "<svg/>");
    chmod(icon.c_str(), 0666);
    refused(bundle, "important.svg: not a regular file of root's or yours that only its owner can write");
    fs::remove(icon);
    // The names become folder names, and the product's folder is not the administrator's.
    const auto names = [&](const std::string& text, const std::string& expected) {
        WriteFileText(strings, "<strings>\n<string id=\"128\">" + text + "</string>\n</strings>");
        refused(bundle, expected);
    };
    names("../../elsewhere", "is no single folder name");
    names("Tarn&#10;Desk", "holds a control character");
    names(std::string(300, 'T'), "is longer than a folder name may be");
    names("Tarn\xff", "is not UTF-8 text");
    names("Tarn\xc2\x9b[31m", "holds a control character");
    names("Desk\xe2\x80\xaegpj.exe", "holds an invisible formatting character");
    WriteFileText(strings, "<strings><string id=\"128\">Qor Config</string></strings>");
    refused(bundle, "as the configuration tool is");
    WriteFileText(strings, "<strings>\n<string id=\"128\">Tarn</string>\n<string id=\"128\">Desk</string>\n</strings>");
    refused(bundle, "line 3: string 128 was given on line 2 already");
    WriteFileText(strings, "<strings><string id=\"128\">Tarn</strings>");
    refused(bundle, "not well-formed XML");
    WriteFileText(strings, "<profile/>");
    refused(bundle, "root element is not <strings>");
    unsetenv("XDG_DATA_DIRS");
}

TEST_F(Settings, PassphraseMayBeSetWhileWorkersReadIt)
{
    std::thread reader([&] {
        for (int i = 0; i < 2000; ++i) {
            const std::string passphrase = settings.GetPassphrase();
            ASSERT_TRUE(passphrase.empty() || passphrase == "a fairly long passphrase, longer than SSO"
                || passphrase == "short");
        }
    });
    for (int i = 0; i < 2000; ++i)
        settings.SetPassphrase(i % 2 ? "short" : "a fairly long passphrase, longer than SSO");
    reader.join();
}

TEST_F(Settings, HoldingAPassphraseKeepsTheProcessOutOfDumps)
{
    // In a child, since the process cannot become dumpable again.
    EXPECT_EQ(test::RunInChild([] { return true; },
                  [] {
                      CSettings holder;
                      holder.SetPassphrase("");
                      if (prctl(PR_GET_DUMPABLE) != 1)
                          return 1;
                      holder.SetPassphrase("demo");
                      return prctl(PR_GET_DUMPABLE) == 0 ? 0 : 2;
                  }),
        0);
}

} // namespace
} // namespace qor

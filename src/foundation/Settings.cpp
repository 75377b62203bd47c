#include "foundation/Settings.h"

#include "foundation/DataFolders.h"
#include "foundation/ResourceBundle.h"
#include "foundation/ResourceStrings.h"
#include "foundation/SecretText.h"
#include "foundation/Singleton.h"
#include "foundation/WriteTrust.h"
#include "foundation/XMLSettings.h"

#include <cstdio>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace qor {
namespace {

// A user's config.xml may hold the passphrase, so it is readable by its owner only.
constexpr mode_t kUserConfigMode = 0600;

std::string TrimWhiteSpace(const std::string& text)
{
    const char* blanks = " \t\r\n\v\f";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The document's section named exactly "settings"; null when it has none.
CRvXMLSettings::Element* SettingsSection(CRvXMLSettings& xml)
{
    for (auto* section = xml.FirstChild("section", xml.GetRootElement()); section;
         section = xml.NextSibling("section", section)) {
        std::string name;
        xml.GetAttribute(section, "name", "", name);
        if (name == CSettings::kSectionName)
            return section;
    }
    return nullptr;
}

// Loads a settings file and finds its section named exactly "settings"; null when either is missing.
CRvXMLSettings::Element* LoadSettingsSection(CRvXMLSettings& xml, const std::string& path)
{
    std::string rootName, version;
    return xml.LoadDocument(path, rootName, version) ? SettingsSection(xml) : nullptr;
}

std::string Unusable(std::string* unusable, std::string why)
{
    if (unusable)
        *unusable = std::move(why);
    return {};
}

int ReadInt(const CRvXMLSettings& xml, const CRvXMLSettings::Element* section, const char* key, int defaultValue)
{
    int value = defaultValue;
    xml.GetInt(xml.FirstChild(key, section), defaultValue, value);
    return value;
}

} // namespace

CSettings::CSettings() = default;

CSettings::~CSettings()
{
    ForgetSecret(m_passphrase);
}

std::string CSettings::GetConfigFilePath(bool ownData, const std::string& fileName)
{
    return GetConfigurationFolder(ownData, LoadResourceString(IDS_COMPANY_NAME), LoadResourceString(IDS_PRODUCT_NAME))
        + fileName;
}

std::string CSettings::GetOfficeFilePath(const std::string& fileName)
{
    return GetOfficeConfigurationFolder() + fileName;
}

namespace {

// The office account as global.xml names it, empty when it names none. Read where it is asked
// for: the scheduled job's files are found before any window loads the settings, and the
// administrator's file is small.
std::string OfficeAccountName()
{
    CRvXMLSettings xml;
    std::string name;
    if (auto* section = LoadSettingsSection(xml, CSettings::GetSystemConfigFilePath(CSettings::kGlobalFile)))
        xml.GetText(xml.FirstChild(CSettings::kKeyOfficeAccount, section), "", name);
    return name;
}

} // namespace

uid_t CSettings::GetOfficeAccount()
{
    const std::string name = OfficeAccountName();
    const passwd* account = name.empty() ? nullptr : getpwnam(name.c_str());
    return account ? account->pw_uid : 0;
}

std::string CSettings::GetOfficeAccountMistake()
{
    const std::string name = OfficeAccountName();
    if (name.empty() || getpwnam(name.c_str()) != nullptr)
        return {};
    return GetSystemConfigFilePath(kGlobalFile) + " names the office account \"" + name
        + "\", which this machine does not have; until that is set right, only root sets and runs the office job";
}

std::string CSettings::GetSystemConfigFilePath(const std::string& fileName)
{
    return GetSystemConfigurationFile(
        LoadResourceString(IDS_COMPANY_NAME), LoadResourceString(IDS_PRODUCT_NAME), fileName);
}

std::string CSettings::GetAdminConfigFilePath(bool common, const std::string& fileName)
{
    const std::string company = LoadResourceString(IDS_COMPANY_NAME);
    const std::string tool = LoadResourceString(IDS_CONFIG_TOOL_NAME);
    // The machine's restrictions live where users cannot change them.
    if (common)
        return GetSystemConfigurationFile(company, tool, fileName);
    return GetConfigurationFolder(false, company, tool) + fileName;
}

std::string CSettings::GetBrandingFilePath()
{
    // Found by the program's own names: the bundle it names renames everything else.
    return GetSystemConfigurationFile(
        BuiltInResourceString(IDS_COMPANY_NAME), BuiltInResourceString(IDS_PRODUCT_NAME), kBrandingFile);
}

std::string CSettings::GetResourceFile(std::string* unusable)
{
    QOR_SEMAPHORE_GUARD(m_lock);
    if (unusable)
        unusable->clear();
    const std::string path = GetBrandingFilePath();
    std::string content, why;
    // The bundle names the folders everybody's files go to: the file naming it must be root's (or
    // the user's own) and written by its owner alone, as the bundle is.
    switch (ReadOwnerOnlyConfiguration(path, content, why, 1u << 20)) {
    case CConfigurationRead::Missing:
        return {};
    case CConfigurationRead::Untrusted:
        return Unusable(unusable, path + ": " + why);
    case CConfigurationRead::Unreadable:
        return Unusable(unusable, path + ": cannot be read" + (why.empty() ? std::string() : ": " + why));
    case CConfigurationRead::Read:
        break;
    }
    auto xml = Singleton<CRvXMLSettings>::Instance();
    std::string rootName, version;
    if (!xml->ParseDocument(content, rootName, version))
        return Unusable(unusable, path + ": not well-formed XML");
    std::string resourceFile;
    if (auto* section = SettingsSection(*xml))
        xml->GetText(xml->FirstChild(kKeyResourceFile, section), "", resourceFile);
    return resourceFile;
}

void CSettings::Load()
{
    QOR_SEMAPHORE_GUARD(m_lock);
    auto xml = Singleton<CRvXMLSettings>::Instance();
    int globalSettings = 0;
    if (auto* section = LoadSettingsSection(*xml, GetSystemConfigFilePath(kGlobalFile)))
        globalSettings = ReadInt(*xml, section, kKeyGlobalSettings, 0);
    LoadAdministratorRestrictions(globalSettings == 1);
    LoadUserSettings();
}

void CSettings::LoadAdministratorRestrictions(bool machineWide)
{
    auto xml = Singleton<CRvXMLSettings>::Instance();
    auto* section = LoadSettingsSection(*xml, GetAdminConfigFilePath(machineWide, kConfigFile));
    if (!section)
        return;
    m_exportBlocked = ReadInt(*xml, section, kKeyBlockExport, 0);
    m_deleteDisabled = ReadInt(*xml, section, kKeyDisableDelete, 0);
}

void CSettings::LoadUserSettings()
{
    auto xml = Singleton<CRvXMLSettings>::Instance();
    auto* section = LoadSettingsSection(*xml, GetConfigFilePath(false, kConfigFile));
    if (!section)
        return;
    // The widths are stored in column order; the first missing one ends the list.
    for (std::size_t column = 0; column < kColumnCount; ++column) {
        char key[16];
        std::snprintf(key, sizeof key, kKeyColumnFormat, static_cast<int>(column));
        const int width = ReadInt(*xml, section, key, -1);
        if (width == -1)
            break;
        m_columnWidths[column] = width;
    }
    m_showHistory = ReadInt(*xml, section, kKeyShowHistory, 0);
    m_savePassphrase = ReadInt(*xml, section, kKeySavePassphrase, 0);
    m_useCallIndex = ReadInt(*xml, section, kKeyUseCallIndex, 1);
    std::string passphrase;
    if (m_savePassphrase != 0)
        xml->GetText(xml->FirstChild(kKeyPassphrase, section), "", passphrase);
    SetPassphrase(passphrase);
    // A saved passphrase that others could read is made private at once, and the user told once:
    // anyone may have read it already.
    const std::string path = GetConfigFilePath(false, kConfigFile);
    if (struct stat file{};
        // Through a link of hers too (settings kept with her dotfiles): what others read is the file.
        !passphrase.empty() && stat(path.c_str(), &file) == 0 && S_ISREG(file.st_mode) && (file.st_mode & 077) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(file.st_mode & 07777));
        const bool tightened = file.st_uid == geteuid() && chmod(path.c_str(), 0600) == 0;
        m_exposureWarning = path + " holds your saved passphrase and could be read by others (mode " + mode + ")"
            + (tightened ? "; it is now readable by you only. Anyone who read it knows the passphrase."
                         : "; it could not be made private.");
    }
}

std::string CSettings::TakeExposureWarning()
{
    QOR_SEMAPHORE_GUARD(m_lock);
    return std::exchange(m_exposureWarning, std::string());
}

bool CSettings::Save()
{
    QOR_SEMAPHORE_GUARD(m_lock);
    auto xml = Singleton<CRvXMLSettings>::Instance();
    auto* root = xml->CreateDocument(GetConfigFilePath(false, kConfigFile), "profile", "1");
    auto* section = xml->AddElement(root, "section");
    xml->SetAttribute(section, "name", kSectionName);
    for (std::size_t column = 0; column < kColumnCount; ++column) {
        char key[16];
        std::snprintf(key, sizeof key, kKeyColumnFormat, static_cast<int>(column));
        xml->AddIntText(m_columnWidths[column], xml->AddElement(section, key));
    }
    xml->AddIntText(m_showHistory, xml->AddElement(section, kKeyShowHistory));
    xml->AddIntText(m_savePassphrase, xml->AddElement(section, kKeySavePassphrase));
    xml->AddText(xml->AddElement(section, kKeyPassphrase), m_savePassphrase != 0 ? GetPassphrase() : "");
    if (m_useCallIndex == 0)
        xml->AddIntText(m_useCallIndex, xml->AddElement(section, kKeyUseCallIndex));
    return xml->SaveDocument(kUserConfigMode);
}

int CSettings::GetColumnWidth(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= kColumnCount)
        return -1;
    return m_columnWidths[static_cast<std::size_t>(index)];
}

void CSettings::SetColumnWidth(int index, int width)
{
    if (index >= 0 && static_cast<std::size_t>(index) < kColumnCount)
        m_columnWidths[static_cast<std::size_t>(index)] = width;
}

std::string CSettings::GetPassphrase() const
{
    std::lock_guard guard(m_passphraseMutex);
    return m_passphrase;
}

void CSettings::SetPassphrase(const std::string& passphrase)
{
    std::lock_guard guard(m_passphraseMutex);
    ForgetSecret(m_passphrase);
    m_passphrase = TrimWhiteSpace(passphrase);
    if (!m_passphrase.empty())
        KeepSecretsOutOfDumps();
}

bool UseBrandingBundle(std::string& named, std::string& why)
{
    named = Singleton<CSettings>::Instance()->GetResourceFile(&why);
    if (!why.empty()) {
        named = CSettings::GetBrandingFilePath();
        return false;
    }
    return UseResourceBundle(named, why);
}

} // namespace qor

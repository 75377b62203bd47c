#include "foundation/Settings.h"

#include "foundation/DataFolders.h"
#include "foundation/ResourceStrings.h"
#include "foundation/SecretText.h"
#include "foundation/Singleton.h"
#include "foundation/XMLSettings.h"

#include <cstdio>

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

// Loads a settings file and finds its section named exactly "settings"; null when either is missing.
CRvXMLSettings::Element* LoadSettingsSection(CRvXMLSettings& xml, const std::string& path)
{
    std::string rootName, version;
    if (!xml.LoadDocument(path, rootName, version))
        return nullptr;
    for (auto* section = xml.FirstChild("section", xml.GetRootElement()); section;
         section = xml.NextSibling("section", section)) {
        std::string name;
        xml.GetAttribute(section, "name", "", name);
        if (name == CSettings::kSectionName)
            return section;
    }
    return nullptr;
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

std::string CSettings::GetConfigFilePath(bool common, const std::string& fileName)
{
    return GetConfigurationFolder(common, LoadResourceString(IDS_COMPANY_NAME), LoadResourceString(IDS_PRODUCT_NAME))
        + fileName;
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

std::string CSettings::GetResourceFile()
{
    QOR_SEMAPHORE_GUARD(m_lock);
    auto xml = Singleton<CRvXMLSettings>::Instance();
    std::string resourceFile;
    if (auto* section = LoadSettingsSection(*xml, GetSystemConfigFilePath(kBrandingFile)))
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
    std::string passphrase;
    if (m_savePassphrase != 0)
        xml->GetText(xml->FirstChild(kKeyPassphrase, section), "", passphrase);
    SetPassphrase(passphrase);
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

} // namespace qor

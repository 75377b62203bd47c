// The application's settings: list column widths, the play-history switch, the remembered
// passphrase and two administrator restrictions. Read from four small XML files at start-up (the
// administrator's from the system configuration folder); the user's own config.xml is written back
// at exit.
#pragma once

#include "foundation/LoggedSemaphore.h"

#include <array>
#include <mutex>
#include <string>
#include <sys/types.h>

namespace qor {

class CSettings {
public:
    static constexpr std::size_t kColumnCount = 9;
    static constexpr std::array<int, kColumnCount> kDefaultColumnWidths = { 40, 25, 100, 100, 58, 130, 100, 40, 225 };

    // File names, the section every file keeps its values in, and the keys of that section.
    static constexpr const char* kBrandingFile = "branding.xml";
    static constexpr const char* kGlobalFile = "global.xml";
    static constexpr const char* kConfigFile = "config.xml";
    static constexpr const char* kSectionName = "settings";
    static constexpr const char* kKeyResourceFile = "ResourceFile";
    static constexpr const char* kKeyGlobalSettings = "GlobalSettings";
    static constexpr const char* kKeyBlockExport = "BlockExport";
    static constexpr const char* kKeyDisableDelete = "DisableDelete";
    // In global.xml: the account that runs the office-wide scheduled job and alone writes its files
    // (root when none is named).
    static constexpr const char* kKeyOfficeAccount = "OfficeAccount";
    static constexpr const char* kKeyColumnFormat = "Col%d";
    static constexpr const char* kKeyShowHistory = "ShowHistory";
    static constexpr const char* kKeySavePassphrase = "SavePassphrase";
    static constexpr const char* kKeyPassphrase = "Passphrase";
    // Written only when off, so that a file of the default settings stays as it always was.
    static constexpr const char* kKeyUseCallIndex = "UseCallIndex";

    CSettings();
    ~CSettings();

    // Reads global.xml, the administrator's config.xml and the user's config.xml. Missing or
    // malformed files leave the values they would have set as they are.
    void Load();
    // Writes the user's config.xml; false when it could not be written.
    bool Save();
    // When Load found the user's config.xml, with a saved passphrase, readable by others: what
    // to tell her (once; then cleared). The file was made private already where it could be.
    std::string TakeExposureWarning();
    // The branding bundle named in branding.xml, or empty. A branding.xml that another user could
    // have written, or that cannot be read or parsed, names none and says why in unusable.
    std::string GetResourceFile(std::string* unusable = nullptr);
    // Where branding.xml is: found by the program's own names, whatever bundle is in use.
    static std::string GetBrandingFilePath();

    int GetColumnWidth(int index) const;
    void SetColumnWidth(int index, int width);

    bool IsDeleteDisabled() const { return m_deleteDisabled != 0; }
    bool IsExportBlocked() const { return m_exportBlocked != 0; }
    bool GetShowHistory() const { return m_showHistory != 0; }
    void SetShowHistory(bool show) { m_showHistory = show ? 1 : 0; }
    bool GetSavePassphrase() const { return m_savePassphrase != 0; }
    void SetSavePassphrase(bool save) { m_savePassphrase = save ? 1 : 0; }
    // Whether the desktop program's lists go through the call index.
    bool GetUseCallIndex() const { return m_useCallIndex != 0; }
    void SetUseCallIndex(bool use) { m_useCallIndex = use ? 1 : 0; }

    // The passphrase without leading and trailing white space. Safe to call from worker threads.
    std::string GetPassphrase() const;
    void SetPassphrase(const std::string& passphrase);

    // A file in a configuration folder of the user's (see GetConfigurationFolder): with ownData, the
    // folder of what the program keeps for her; otherwise that of her settings.
    static std::string GetConfigFilePath(bool ownData, const std::string& fileName);
    // A file of the office job, which the office account alone writes (see GetOfficeConfigurationFolder).
    static std::string GetOfficeFilePath(const std::string& fileName);
    // The account named in global.xml to run the office job, or root's when none is (or it is unknown).
    static uid_t GetOfficeAccount();
    // When global.xml names an office account this machine does not have (a misspelling, a
    // removed account): what to tell the administrator; empty otherwise. Root stands in meanwhile.
    static std::string GetOfficeAccountMistake();
    // A file the administrator provides (branding.xml, global.xml) in the system configuration folder.
    static std::string GetSystemConfigFilePath(const std::string& fileName);
    // The administrator's config.xml of the separate configuration tool: the machine's in the
    // system configuration folder when common is set, otherwise the user's own.
    static std::string GetAdminConfigFilePath(bool common, const std::string& fileName);

private:
    void LoadAdministratorRestrictions(bool machineWide);
    void LoadUserSettings();

    CRvLoggedSemaphore m_lock{ "SETTINGS" };
    std::array<int, kColumnCount> m_columnWidths = kDefaultColumnWidths;
    int m_deleteDisabled = 0;
    int m_exportBlocked = 0;
    int m_showHistory = 1;
    int m_savePassphrase = 0;
    int m_useCallIndex = 1;
    // The decryption dialog may set the passphrase while a search or archive worker reads it.
    mutable std::mutex m_passphraseMutex;
    std::string m_passphrase;
    std::string m_exposureWarning;
};

// Takes the branding bundle branding.xml names (see UseResourceBundle). False, with why, when
// branding.xml or its bundle cannot be used; named is then what could not be used.
bool UseBrandingBundle(std::string& named, std::string& why);

} // namespace qor

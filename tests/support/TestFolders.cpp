#include "support/TestFolders.h"

#include "foundation/DataFolders.h"
#include "foundation/Logger.h"
#include "foundation/ResourceBundle.h"
#include "foundation/ResourceStrings.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "foundation/XMLSettings.h"
#include "review/HotLists.h"
#include "review/ShortCuts.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace qor::test {

namespace fs = std::filesystem;

CTempFolder::CTempFolder()
{
    std::string pattern = (fs::temp_directory_path() / "qortest-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    m_path = pattern;
}

CTempFolder::~CTempFolder()
{
    std::error_code error;
    // Tests make files read-only; give the owner back write access so everything can go.
    for (auto it = fs::recursive_directory_iterator(m_path, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(m_path, error);
}

CDataFolderSandbox::CDataFolderSandbox()
{
    const std::pair<const char*, std::string> variables[] = {
        { "XDG_CONFIG_HOME", UserBase() },
        { "XDG_DATA_HOME", UserData() },
        { "QOR_MACHINE_DATA_DIR", MachineBase() },
        { "HOME", Home() },
        { "XDG_CACHE_HOME", Cache() },
        { "XDG_CONFIG_DIRS", SystemConfig() },
    };
    for (const auto& [name, value] : variables) {
        if (const char* previous = std::getenv(name))
            m_savedEnvironment.emplace_back(name, previous);
        else
            m_unsetEnvironment.emplace_back(name);
        setenv(name, value.c_str(), 1);
    }
    SetDataFolderNames(LoadResourceString(IDS_COMPANY_NAME), LoadResourceString(IDS_PRODUCT_NAME));
    ReleaseSingletons();
}

CDataFolderSandbox::~CDataFolderSandbox()
{
    // A branding bundle a test used goes with its sandbox.
    std::string unused;
    UseResourceBundle("", unused);
    SetDataFolderNames(LoadResourceString(IDS_COMPANY_NAME), LoadResourceString(IDS_PRODUCT_NAME));
    ReleaseSingletons();
    for (const auto& [name, value] : m_savedEnvironment)
        setenv(name.c_str(), value.c_str(), 1);
    for (const auto& name : m_unsetEnvironment)
        unsetenv(name.c_str());
}

void CDataFolderSandbox::ReleaseSingletons()
{
    Singleton<CSettings>::Release();
    Singleton<CHotLists>::Release();
    Singleton<CShortCuts>::Release();
    Singleton<CRvXMLSettings>::Release();
    Singleton<CRvLogger>::Release();
}

std::string ReadFileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFileText(const std::string& path, const std::string& content)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::vector<std::string> ReadFileLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::istringstream in(ReadFileText(path));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> LogEntries()
{
    constexpr std::size_t kTimeStampLength = 26; // "2024/01/31 17:05:09.042 : "
    std::vector<std::string> entries;
    for (const std::string& line : ReadFileLines(Singleton<CRvLogger>::Instance()->CurrentFile()))
        entries.push_back(line.size() > kTimeStampLength ? line.substr(kTimeStampLength) : std::string());
    return entries;
}

} // namespace qor::test

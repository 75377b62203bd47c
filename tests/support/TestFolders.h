// Temporary folders for tests, and a sandbox that points every data folder of the program into one,
// so tests never touch the real configuration or log.
#pragma once

#include <string>
#include <vector>

namespace qor::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class CTempFolder {
public:
    CTempFolder();
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Sets the folder environment to a temporary folder and restores it afterwards; drops the
// process-wide logger, settings, XML store and review stores so they pick up the new folders.
class CDataFolderSandbox {
public:
    CDataFolderSandbox();
    ~CDataFolderSandbox();

    std::string UserBase() const { return m_root.File("user-config"); }
    std::string MachineBase() const { return m_root.File("machine-data"); }
    std::string UserData() const { return m_root.File("user-data"); }
    std::string Home() const { return m_root.File("home"); }
    std::string Cache() const { return m_root.File("cache"); }
    std::string SystemConfig() const { return m_root.File("system-config"); }
    const std::string& Root() const { return m_root.Path(); }

private:
    static void ReleaseSingletons();

    CTempFolder m_root;
    std::vector<std::pair<std::string, std::string>> m_savedEnvironment;
    std::vector<std::string> m_unsetEnvironment;
};

std::string ReadFileText(const std::string& path);
void WriteFileText(const std::string& path, const std::string& content);
// The file's lines without their line ends.
std::vector<std::string> ReadFileLines(const std::string& path);

// The entries of the process's log, without their time stamps.
std::vector<std::string> LogEntries();

} // namespace qor::test

#include "foundation/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>

namespace qor {
namespace {

class CPrivateTempFolder {
public:
    CPrivateTempFolder()
    {
        std::error_code error;
        std::string pattern = (std::filesystem::temp_directory_path(error) / "qortolvane-XXXXXX").string();
        if (!error && mkdtemp(pattern.data())) // mkdtemp makes it readable by its owner only
            m_path = pattern + "/";
    }
    ~CPrivateTempFolder()
    {
        std::error_code error;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, error);
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace

std::string PrivateTempFolder()
{
    static CPrivateTempFolder folder;
    return folder.Path();
}

} // namespace qor

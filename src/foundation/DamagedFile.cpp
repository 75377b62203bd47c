#include "foundation/DamagedFile.h"

#include "foundation/Logger.h"

#include <cstdio>
#include <ctime>
#include <sys/stat.h>

namespace qor {

std::string KeepDamagedFileAside(const std::string& path)
{
    struct stat status { };
    if (lstat(path.c_str(), &status) != 0)
        return {};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string aside = path + ".damaged-" + stamp;
    if (std::rename(path.c_str(), aside.c_str()) != 0) {
        QOR_LOG("Settings: %s cannot be read and cannot be kept aside\r\n", path.c_str());
        return {};
    }
    QOR_LOG("Settings: %s cannot be read; kept as %s\r\n", path.c_str(), aside.c_str());
    return aside;
}

} // namespace qor

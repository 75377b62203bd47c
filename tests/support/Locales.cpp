#include "support/Locales.h"

#include <clocale>
#include <cstdlib>
#include <ctime>

namespace qor::test {

CLocale::CLocale(const std::string& name)
{
    const std::string compiled = name + ".UTF-8";
    const std::string command = "localedef -i " + name + " -f UTF-8 '" + m_folder.File(compiled) + "' >/dev/null 2>&1";
    // localedef warns on some locales' sources and still writes them; what counts is the result.
    (void)std::system(command.c_str());
    setenv("LOCPATH", m_folder.Path().c_str(), 1);
    m_active = std::setlocale(LC_ALL, compiled.c_str()) != nullptr;
}

CLocale::~CLocale()
{
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
}

CTimeZone::CTimeZone(const std::string& zone)
{
    if (const char* before = std::getenv("TZ")) {
        m_hadZone = true;
        m_zone = before;
    }
    setenv("TZ", zone.c_str(), 1);
    tzset();
}

CTimeZone::~CTimeZone()
{
    m_hadZone ? setenv("TZ", m_zone.c_str(), 1) : unsetenv("TZ");
    tzset();
}

} // namespace qor::test

// Switches the process to a real locale for a test, compiled on the spot with localedef into a
// temporary folder (so the machine needs only the "locales" sources, not generated locales).
#pragma once

#include "support/TestFolders.h"

#include <string>

namespace qor::test {

class CLocale {
public:
    // name like "ja_JP": compiled for UTF-8 and made the process's locale; Active() tells whether
    // that worked. The C locale comes back at the end.
    explicit CLocale(const std::string& name);
    ~CLocale();
    CLocale(const CLocale&) = delete;
    CLocale& operator=(const CLocale&) = delete;

    bool Active() const { return m_active; }

private:
    CTempFolder m_folder;
    bool m_active = false;
};

// Makes the process's time zone "zone" (TZ) for a test; the one before comes back at the end.
class CTimeZone {
public:
    explicit CTimeZone(const std::string& zone);
    ~CTimeZone();
    CTimeZone(const CTimeZone&) = delete;
    CTimeZone& operator=(const CTimeZone&) = delete;

private:
    bool m_hadZone = false;
    std::string m_zone;
};

} // namespace qor::test

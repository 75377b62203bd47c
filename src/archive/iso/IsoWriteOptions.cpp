#include "archive/iso/IsoWriteOptions.h"

namespace qor {

CIsoWriteOptions::CIsoWriteOptions(std::time_t creationTime)
{
    constexpr int kPlainProfile = 0;
    m_result = iso_write_opts_new(&m_options, kPlainProfile);
    if (m_result < 0) {
        m_options = nullptr;
        return;
    }
    static char utf8[] = "UTF-8";
    static char noUuid[] = "";
    iso_write_opts_set_iso_level(m_options, 2);
    iso_write_opts_set_rockridge(m_options, 1);
    iso_write_opts_set_joliet(m_options, 1);
    iso_write_opts_set_joliet_long_names(m_options, 1);
    iso_write_opts_set_joliet_longer_paths(m_options, 1);
    iso_write_opts_set_joliet_utf16(m_options, 1);
    iso_write_opts_set_output_charset(m_options, utf8);
    iso_write_opts_set_pvd_times(m_options, creationTime, creationTime, 0, 0, noUuid);
}

CIsoWriteOptions::~CIsoWriteOptions()
{
    if (m_options)
        iso_write_opts_free(m_options);
}

} // namespace qor

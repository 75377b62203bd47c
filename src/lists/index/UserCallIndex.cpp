#include "lists/index/UserCallIndex.h"

#include <sqlite3.h>

namespace qor {

bool CUserCallIndex::Open(std::string& notice, const std::string& folder)
{
    m_index.reset();
    if (m_database.Open(folder, notice) == CIndexDatabase::Opened::Unavailable)
        return false;
    m_index = std::make_unique<CSqliteCallIndex>(m_database);
    return true;
}

void CUserCallIndex::Close()
{
    m_index.reset();
    m_database.Close();
}

void CUserCallIndex::Compact()
{
    if (m_database.Handle())
        sqlite3_exec(m_database.Handle(), "VACUUM; PRAGMA wal_checkpoint(TRUNCATE);", nullptr, nullptr, nullptr);
}

} // namespace qor

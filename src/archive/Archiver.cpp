#include "archive/Archiver.h"

#include "foundation/Logger.h"

namespace qor {

void IArchiver::ReportError(const std::string& text) const
{
    QOR_LOG("Archiver: %s\r\n", text.c_str());
    if (m_messages)
        m_messages->Show(IArchiveMessages::Kind::Error, text);
}

void IArchiver::NotArchived(const std::string& source, const std::string& why)
{
    QOR_LOG("Archiver: %s not archived: %s\r\n", source.c_str(), why.c_str());
    m_whyNot[source] = why;
}

void IArchiver::Tell(const std::string& text) const
{
    if (m_messages)
        m_messages->Show(IArchiveMessages::Kind::Information, text);
}

} // namespace qor

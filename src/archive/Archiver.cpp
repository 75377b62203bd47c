#include "archive/Archiver.h"

#include "foundation/Logger.h"

#include <sys/stat.h>
#include <unistd.h>

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

void IArchiver::NoteSource(unsigned mode, gid_t group)
{
    m_privateMask &= mode | 0700u;
    if (!m_sourceGroup)
        m_sourceGroup = group;
    else if (*m_sourceGroup != group)
        m_sourceGroupsDiffer = true;
}

void IArchiver::RestrictAccess(int descriptor, unsigned mode) const
{
    // Without a call taken, the archive's group stays whatever it was.
    std::optional<gid_t> group = m_sourceGroup;
    if (struct stat file{}; !group && fstat(descriptor, &file) == 0)
        group = file.st_gid;
    GiveAccess(descriptor, MostPrivate(mode), m_sourceGroupsDiffer ? std::nullopt : group);
}

bool IArchiver::GiveAccess(int descriptor, unsigned bits, std::optional<gid_t> group)
{
    struct stat file { };
    if ((bits & 070u) != 0
        && (!group || fstat(descriptor, &file) != 0
            || (file.st_gid != *group && fchown(descriptor, static_cast<uid_t>(-1), *group) != 0)))
        bits &= ~070u;
    return fchmod(descriptor, static_cast<mode_t>(bits)) == 0;
}

void IArchiver::Tell(const std::string& text) const
{
    if (m_messages)
        m_messages->Show(IArchiveMessages::Kind::Information, text);
}

} // namespace qor

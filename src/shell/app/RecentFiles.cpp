#include "shell/app/RecentFiles.h"

#include <QSettings>

namespace qor {
namespace {

const QString kKey = QStringLiteral("Recent File List");

} // namespace

void CRecentFiles::Load()
{
    m_paths = QSettings().value(kKey).toStringList().mid(0, kCount);
}

void CRecentFiles::Save() const
{
    QSettings().setValue(kKey, m_paths);
}

void CRecentFiles::Add(const QString& path)
{
    m_paths.removeAll(path);
    m_paths.prepend(path);
    while (m_paths.size() > kCount)
        m_paths.removeLast();
}

} // namespace qor

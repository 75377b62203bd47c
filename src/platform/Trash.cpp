#include "platform/Trash.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace qor {

bool MoveToTrash(const std::string& path)
{
    // The home Trash lives in the user's data folder; without that folder Qt would not find the
    // Trash and could leave the file in the working folder instead.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty() || !QDir().mkpath(data))
        return false;
    return QFile::moveToTrash(QString::fromStdString(path));
}

} // namespace qor

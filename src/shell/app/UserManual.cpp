#include "shell/app/UserManual.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace qor {
namespace {

QStringList Candidates()
{
    const QString relative = QStringLiteral(QOR_MANUAL_RELATIVE_PATH);
    return { QDir(QApplication::applicationDirPath() + QStringLiteral("/..")).filePath(relative),
        QStringLiteral(QOR_MANUAL_INSTALLED_PATH) };
}

} // namespace

QString FindUserManual()
{
    for (const QString& candidate : Candidates())
        if (QFileInfo(candidate).isFile())
            return QFileInfo(candidate).absoluteFilePath();
    return {};
}

QString OpenUserManual(QWidget* parent, const QString& section)
{
    const QString title = QApplication::applicationDisplayName();
    const QString path = FindUserManual();
    if (path.isEmpty()) {
        QMessageBox::warning(parent, title,
            QStringLiteral("The user manual is not installed. It was looked for in:\n\n")
                + Candidates().join(QLatin1Char('\n')));
        return {};
    }
    QUrl url = QUrl::fromLocalFile(path);
    if (!section.isEmpty())
        url.setFragment(section);
    if (QDesktopServices::openUrl(url))
        return path;
    QMessageBox::warning(parent, title,
        QStringLiteral("The user manual could not be shown: no web browser answered.\n\n"
                       "Open it in a browser yourself:\n%1")
            .arg(path));
    return {};
}

} // namespace qor

#include "shell/lists/CallClipboard.h"

#include "shell/common/CallPath.h"

#include <QMimeData>
#include <QUrl>

namespace qor {

QMimeData* MakeCallsMimeData(const QStringList& paths)
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(PathToUrl(PathFromQString(path)));
    data->setUrls(urls);
    QByteArray copied = "copy";
    for (const QUrl& url : urls)
        copied += '\n' + url.toEncoded();
    data->setData(QStringLiteral("x-special/gnome-copied-files"), copied);
    return data;
}

QStringList PathsFromMimeData(const QMimeData& data)
{
    QStringList paths;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile())
            paths.append(PathToQString(PathFromUrl(url)));
    return paths;
}

} // namespace qor

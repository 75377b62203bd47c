// The player takes one recording dropped on it from a file manager or a list, and plays it.
#include "shell/common/CallPath.h"
#include "shell/player/PlayerForm.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <filesystem>

namespace qor {
namespace {

// The full path of the one recording dropped, or empty: a second file or another kind of file has
// nowhere to go.
std::string DroppedRecording(const QMimeData& data)
{
    const QList<QUrl> urls = data.urls();
    const std::string path = urls.size() == 1 ? PathFromUrl(urls.front()) : std::string();
    if (path.size() < 4
        || QString::fromLatin1(path.substr(path.size() - 4)).compare(QStringLiteral(".qor"), Qt::CaseInsensitive) != 0)
        return {};
    return std::filesystem::absolute(path).lexically_normal().string();
}

} // namespace

void CPlayerForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (DroppedRecording(*event->mimeData()).empty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::LinkAction);
    event->accept();
}

void CPlayerForm::dropEvent(QDropEvent* event)
{
    const std::string recording = DroppedRecording(*event->mimeData());
    if (recording.empty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::LinkAction);
    event->accept();
    PlayPath(recording);
}

} // namespace qor

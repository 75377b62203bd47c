// Calls on the clipboard and in drag and drop as the files themselves: "text/uri-list" with the
// recordings' paths (and the GNOME file manager's own form), so a file manager pastes the
// recordings, and a list accepts what a file manager copies.
#pragma once

#include <QStringList>

class QMimeData;

namespace qor {

QMimeData* MakeCallsMimeData(const QStringList& paths);
// The local paths that mime data carries as URLs; empty when it holds none.
QStringList PathsFromMimeData(const QMimeData& data);

} // namespace qor

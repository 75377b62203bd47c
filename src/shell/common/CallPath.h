// Paths of calls travel between the windows as QString and as URLs. A file name need not be
// UTF-8; its bytes are kept through both (each stray byte as one of the lone surrogates U+DC80 to
// U+DCFF, which no UTF-8 name can hold), so the call found again is exactly the one chosen.
#pragma once

#include <QString>
#include <QUrl>
#include <string>

namespace qor {

QString PathToQString(const std::string& path);
std::string PathFromQString(const QString& path);

// A local file's URL with the path's exact bytes (percent-encoded where they are not UTF-8).
QUrl PathToUrl(const std::string& path);
// The exact bytes of a local file's URL; empty for any other URL.
std::string PathFromUrl(const QUrl& url);

} // namespace qor

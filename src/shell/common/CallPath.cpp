#include "shell/common/CallPath.h"

#include "foundation/Utf8Text.h"

#include <utf8proc.h>

namespace qor {
namespace {

constexpr char16_t kStrayByteBase = 0xDC00;

bool IsStrayByte(const QString& text, qsizetype at)
{
    const char16_t c = text[at].unicode();
    return c >= kStrayByteBase + 0x80 && c <= kStrayByteBase + 0xFF
        && (at == 0 || !QChar::isHighSurrogate(text[at - 1].unicode()));
}

} // namespace

QString PathToQString(const std::string& path)
{
    if (IsValidUtf8(path))
        return QString::fromStdString(path);
    QString text;
    const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(path.data());
    auto left = static_cast<utf8proc_ssize_t>(path.size());
    while (left > 0) {
        utf8proc_int32_t code = 0;
        const utf8proc_ssize_t used = utf8proc_iterate(bytes, left, &code);
        if (used <= 0) {
            text.append(QChar(static_cast<char16_t>(kStrayByteBase + *bytes)));
            ++bytes;
            --left;
            continue;
        }
        const char32_t character = static_cast<char32_t>(code);
        text.append(QString::fromUcs4(&character, 1));
        bytes += used;
        left -= used;
    }
    return text;
}

std::string PathFromQString(const QString& path)
{
    std::string bytes;
    qsizetype run = 0;
    for (qsizetype at = 0; at <= path.size(); ++at) {
        if (at < path.size() && !IsStrayByte(path, at))
            continue;
        bytes += QStringView(path).mid(run, at - run).toUtf8().toStdString();
        if (at < path.size())
            bytes += static_cast<char>(path[at].unicode() - kStrayByteBase);
        run = at + 1;
    }
    return bytes;
}

QUrl PathToUrl(const std::string& path)
{
    if (path.empty() || path.front() != '/')
        return QUrl::fromLocalFile(PathToQString(path));
    const QByteArray encoded = QByteArray::fromStdString(path).toPercentEncoding("/");
    return QUrl::fromEncoded("file://" + encoded, QUrl::StrictMode);
}

std::string PathFromUrl(const QUrl& url)
{
    if (!url.isLocalFile())
        return {};
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

} // namespace qor

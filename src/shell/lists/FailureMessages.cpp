#include "shell/lists/FailureMessages.h"

#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "recording/HeaderUpdate.h"
#include "recording/UnreadableReason.h"

#include <QApplication>
#include <QMessageBox>
#include <cerrno>

namespace qor {

QString NamedFailure(const std::string& path, const std::string& why)
{
    return QString::fromStdString(path + ": " + why);
}

std::string WhyUnreadable(const std::string& path, const CRvRecordFileHdr& header, int loadResult)
{
    return UnreadableReason(path, header, loadResult, "(enter it in Settings, Encryption)");
}

QString ChangeHeaderOrSayWhy(const std::string& path, const std::function<bool(CRvRecordFileHdr&)>& change,
    CRvRecordFileHdr& header, const CFileIdentity* expected)
{
    int loaded = 0;
    const CHeaderUpdate result = UpdateRecordingHeader(
        path, Singleton<CSettings>::Instance()->GetPassphrase(), change, header, loaded, expected);
    const int error = errno;
    if (result == CHeaderUpdate::Done || result == CHeaderUpdate::Refused)
        return {};
    return NamedFailure(path,
        result == CHeaderUpdate::Unreadable ? WhyUnreadable(path, header, loaded) : HeaderWriteFailureText(error));
}

void ShowFailures(QWidget& owner, const QString& heading, const QStringList& failures)
{
    if (failures.isEmpty())
        return;
    constexpr int kShown = 10;
    // A name longer than a box is wide keeps its beginning and its end (with why), not a wall of text.
    constexpr qsizetype kLongest = 120;
    QStringList shown;
    for (const QString& failure : failures.mid(0, kShown))
        shown.push_back(failure.size() <= kLongest
                ? failure
                : failure.left(kLongest / 2) + QChar(0x2026) + failure.right(kLongest / 2));
    QString text = heading + QStringLiteral("\n\n") + shown.join(QLatin1Char('\n'));
    if (failures.size() > kShown)
        text += QStringLiteral("\n... and %1 more").arg(failures.size() - kShown);
    QMessageBox::warning(&owner, QApplication::applicationDisplayName(), text);
}

} // namespace qor

#include "shell/lists/FailureMessages.h"

#include "recording/UnreadableReason.h"

#include <QApplication>
#include <QMessageBox>

namespace qor {

QString NamedFailure(const std::string& path, const std::string& why)
{
    return QString::fromStdString(path + ": " + why);
}

std::string WhyUnreadable(const std::string& path, const CRvRecordFileHdr& header, int loadResult)
{
    return UnreadableReason(path, header, loadResult, "(enter it in Settings, Encryption)");
}

void ShowFailures(QWidget& owner, const QString& heading, const QStringList& failures)
{
    if (failures.isEmpty())
        return;
    constexpr int kShown = 10;
    QString text = heading + QStringLiteral("\n\n") + failures.mid(0, kShown).join(QLatin1Char('\n'));
    if (failures.size() > kShown)
        text += QStringLiteral("\n... and %1 more").arg(failures.size() - kShown);
    QMessageBox::warning(&owner, QApplication::applicationDisplayName(), text);
}

} // namespace qor

#include "shell/archive/OfficeJobNote.h"

#include "archive/ArchiveTypes.h"
#include "archive/JobScope.h"
#include "archive/ScheduleFile.h"
#include "foundation/Settings.h"

#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <filesystem>

namespace qor {

std::optional<QString> OfficeJobText()
{
    const std::string path = JobFilePath(CJobScope::Office, "schedule.xml");
    if (std::error_code error; !std::filesystem::exists(path, error))
        return std::nullopt;
    CScheduleSettings settings;
    std::string why;
    if (!ReadScheduleFile(path, settings, &why, JobFileOwner(CJobScope::Office)))
        return QStringLiteral("The office job (set by the administrator) is ignored: %1 %2.")
            .arg(QString::fromStdString(path), QString::fromStdString(why));
    QString text = QStringLiteral("Office job, set by the administrator (%1): \"%2\", %3 into %4, every %5 day(s)")
                       .arg(settings.enabled ? QStringLiteral("on") : QStringLiteral("off"),
                           QString::fromStdString(settings.archiveName),
                           QString::fromLatin1(ArchiveMethodShortName(settings.archiveType)),
                           QString::fromStdString(settings.archivePath))
                       .arg(settings.daysInterval);
    if (settings.lastJobTime != 0)
        text += QStringLiteral("; last run %1")
                    .arg(QLocale().toString(QDateTime::fromSecsSinceEpoch(settings.lastJobTime), QLocale::ShortFormat));
    text += QStringLiteral(". Its runs are in the log.");
    if (const std::string mistake = CSettings::GetOfficeAccountMistake(); !mistake.empty())
        text += QStringLiteral(" Note: ") + QString::fromStdString(mistake) + QLatin1Char('.');
    return text;
}

QLabel* MakeOfficeJobNote(QWidget* parent)
{
    const std::optional<QString> text = OfficeJobText();
    if (!text)
        return nullptr;
    auto* note = new QLabel(*text, parent);
    note->setWordWrap(true);
    note->setTextFormat(Qt::PlainText);
    note->setTextInteractionFlags(Qt::TextSelectableByMouse);
    note->setObjectName(QStringLiteral("OfficeJob")); // a screen reader reads its text
    return note;
}

} // namespace qor

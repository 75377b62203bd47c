#include "shell/archive/ArchiveTexts.h"

#include <QFont>
#include <QLabel>
#include <ctime>

namespace qor {

QString SizeText(std::uint64_t bytes)
{
    if (bytes > 2'097'152)
        return QString::asprintf("%.2f MB", static_cast<double>(bytes) / 1'048'576.0);
    if (bytes > 2048)
        return QString::asprintf("%.2f KB", static_cast<double>(bytes) / 1024.0);
    return QString::asprintf("%d B", static_cast<int>(bytes));
}

QString SpanText(std::int64_t seconds)
{
    seconds = std::max<std::int64_t>(seconds, 0);
    return QString::asprintf("%02d:%02d:%02d", static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
        static_cast<int>(seconds % 60));
}

QString ClockText(std::int64_t time)
{
    const auto seconds = static_cast<std::time_t>(time);
    std::tm local{};
    localtime_r(&seconds, &local);
    return QString::asprintf("%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
}

QLabel* MakeCaption(const QString& text)
{
    auto* label = new QLabel(text);
    QFont font = label->font();
    font.setPixelSize(16);
    font.setBold(true);
    label->setFont(font);
    label->setWordWrap(true);
    return label;
}

QLabel* MakeSectionLabel(const QString& text)
{
    auto* label = new QLabel(text);
    QFont font = label->font();
    font.setPixelSize(14);
    font.setUnderline(true);
    label->setFont(font);
    return label;
}

} // namespace qor

// Texts and looks the archiving windows share: sizes, spans and clock times as the archiving
// windows write them, and the bold captions and underlined section labels of their pages.
#pragma once

#include <QString>
#include <cstdint>

class QLabel;

namespace qor {

// "2.86 MB" above 2 MB, "2.93 KB" above 2 KB, else "2048 B".
QString SizeText(std::uint64_t bytes);
// "01:02:03"; negative spans count as 0.
QString SpanText(std::int64_t seconds);
// The local time of day of a moment, "14:05:09".
QString ClockText(std::int64_t time);

// A page's caption: bold, 16 pixels.
QLabel* MakeCaption(const QString& text);
// A section's label: 14 pixels, underlined.
QLabel* MakeSectionLabel(const QString& text);

} // namespace qor

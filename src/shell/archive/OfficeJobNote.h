// The office job on the scheduled job's page: what the administrator set, shown read-only, so a
// user sees which of her calls the office archives and when, and that it is not hers to change.
#pragma once

#include <QString>
#include <optional>

class QLabel;
class QWidget;

namespace qor {

// The note's text: the office job, or why it is ignored; nothing when no office job is set up.
std::optional<QString> OfficeJobText();

// A label with that text, or null when there is no office job.
QLabel* MakeOfficeJobNote(QWidget* parent);

} // namespace qor

#include "shell/panels/AccessPanel.h"

#include <QLabel>
#include <QToolBox>

namespace qor {

CAccessPanel::CAccessPanel(QWidget* parent)
    : QDockWidget(QStringLiteral("Access Panel"), parent)
{
    setObjectName(QStringLiteral("AccessPanel"));
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    setMinimumSize(200, 250);
    auto* pages = new QToolBox(this);
    const std::pair<const char*, const char*> placeholders[] = {
        { "My Shortcuts", "Shortcuts to folders of calls." },
        { "My Calls for Review", "Calls kept for review, in groups." },
        { "My Explorer", "The folders of this computer." },
    };
    for (const auto& [title, note] : placeholders) {
        auto* page = new QLabel(QString::fromLatin1(note), pages);
        page->setAlignment(Qt::AlignTop | Qt::AlignLeft);
        page->setWordWrap(true);
        page->setMargin(8);
        pages->addItem(page, QString::fromLatin1(title));
    }
    setWidget(pages);
}

} // namespace qor

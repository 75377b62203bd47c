#include "shell/panels/StoreNotKeptNote.h"

#include "review/TreeStore.h"

#include <QLabel>

namespace qor {

QLabel* MakeStoreNotKeptNote(const CTreeStore& store, QWidget* parent)
{
    if (store.NotTrustedBecause().empty())
        return nullptr;
    auto* note = new QLabel(
        QStringLiteral("%1 is not used, and what you change here is not kept: %2.")
            .arg(QString::fromStdString(store.FilePath()), QString::fromStdString(store.NotTrustedBecause())),
        parent);
    note->setWordWrap(true);
    note->setTextInteractionFlags(Qt::TextSelectableByMouse);
    note->setObjectName(QStringLiteral("FileNotKept")); // a screen reader reads its text
    note->setContentsMargins(6, 4, 6, 4);
    return note;
}

} // namespace qor

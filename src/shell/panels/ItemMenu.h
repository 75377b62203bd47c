// The menu on one item of a tree: each command is handed the item as it is when chosen, since the
// tree may change while the menu is open (another program's save taken in). Deletes itself once
// closed.
#pragma once

#include <QMenu>
#include <QPersistentModelIndex>

namespace qor {

class CItemMenu : public QMenu {
public:
    CItemMenu(const QModelIndex& item, QWidget* parent)
        : QMenu(parent)
        , m_item(item)
    {
        setAttribute(Qt::WA_DeleteOnClose);
    }

    template <typename Command> QAction* AddCommand(const char* text, Command command)
    {
        const QPersistentModelIndex item = m_item;
        return addAction(QString::fromLatin1(text), parentWidget(), [item, command] { command(QModelIndex(item)); });
    }

private:
    QPersistentModelIndex m_item;
};

} // namespace qor

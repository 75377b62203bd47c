// A tree whose commands act on its current item: an item selected some other way (a screen
// reader's select action) becomes the current one too.
#pragma once

#include <QItemSelectionModel>
#include <QTreeView>

namespace qor {

inline void FollowSelection(QTreeView& tree)
{
    QObject::connect(
        tree.selectionModel(), &QItemSelectionModel::selectionChanged, &tree, [&tree](const QItemSelection& selected) {
            if (!selected.isEmpty() && !selected.indexes().contains(tree.currentIndex()))
                tree.selectionModel()->setCurrentIndex(selected.indexes().front(), QItemSelectionModel::NoUpdate);
        });
}

} // namespace qor

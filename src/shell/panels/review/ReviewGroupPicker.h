// "Calls for Review": picks the group a call is linked into. Only groups are shown, all of them
// expanded, the top one chosen at the start.
#pragma once

#include <QDialog>
#include <cstdint>

class QTreeView;
class QSortFilterProxyModel;

namespace qor {

class CTreeStoreModel;

class CReviewGroupPicker : public QDialog {
    Q_OBJECT

public:
    CReviewGroupPicker(CTreeStoreModel& model, QWidget* parent = nullptr);

    // The chosen group's id, -1 when none is chosen.
    std::int32_t SelectedGroup() const;

private:
    CTreeStoreModel& m_model;
    QSortFilterProxyModel* m_groups;
    QTreeView* m_tree;
};

} // namespace qor

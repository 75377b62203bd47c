#include "shell/panels/review/ReviewGroupPicker.h"

#include "shell/panels/TreeSelection.h"
#include "shell/panels/TreeStoreModel.h"

#include <QDialogButtonBox>
#include <QSortFilterProxyModel>
#include <QTreeView>
#include <QVBoxLayout>

namespace qor {

CReviewGroupPicker::CReviewGroupPicker(CTreeStoreModel& model, QWidget* parent)
    : QDialog(parent)
    , m_model(model)
    , m_groups(new QSortFilterProxyModel(this))
    , m_tree(new QTreeView(this))
{
    setWindowTitle(QStringLiteral("Calls for Review"));
    m_groups->setSourceModel(&model);
    m_groups->setFilterRole(CTreeStoreModel::kIsGroupRole);
    m_groups->setFilterFixedString(QStringLiteral("true"));
    // Chosen as an item: a screen reader choosing a row by number would choose another one.
    m_tree->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_tree->setModel(m_groups);
    FollowSelection(*m_tree);
    m_tree->setAccessibleName(QStringLiteral("Groups of calls for review"));
    m_tree->expandAll();
    m_tree->setCurrentIndex(m_groups->index(0, 0));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_tree, &QTreeView::doubleClicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tree);
    layout->addWidget(buttons);
    resize(320, 360);
}

std::int32_t CReviewGroupPicker::SelectedGroup() const
{
    const QModelIndex selected = m_groups->mapToSource(m_tree->currentIndex());
    return selected.isValid() ? m_model.IdOf(selected) : CTreeStore::kNoParent;
}

} // namespace qor

#include "shell/panels/shortcuts/NewShortcutDialog.h"

#include "shell/panels/TreeSelection.h"
#include "shell/panels/TreeStoreModel.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace qor {

CNewShortcutDialog::CNewShortcutDialog(CTreeStoreModel& model, const QString& name, QWidget* parent, Naming naming)
    : QDialog(parent)
    , m_model(model)
    , m_tree(new QTreeView(this))
    , m_name(new QLineEdit(name, this))
    , m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
    , m_naming(naming)
{
    setWindowTitle(QStringLiteral("New Shortcut"));
    auto* prompt = new QLabel(QStringLiteral("Please select a parent item for new shortcut:"), this);
    prompt->setBuddy(m_tree);
    // Chosen as an item: a screen reader choosing a row by number would choose another one.
    m_tree->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_tree->setModel(&model);
    FollowSelection(*m_tree);
    m_tree->setAccessibleName(QStringLiteral("Parent item for new shortcut"));
    m_tree->expandAll();
    m_tree->setCurrentIndex(model.index(0, 0));
    auto* nameLabel = new QLabel(QStringLiteral("Shortcut &Name:"), this);
    nameLabel->setBuddy(m_name);
    m_name->setAccessibleName(QStringLiteral("Shortcut Name"));

    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_name, &QLineEdit::textChanged, this, &CNewShortcutDialog::UpdateOk);
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this, &CNewShortcutDialog::UpdateOk);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_tree);
    layout->addWidget(nameLabel);
    layout->addWidget(m_name);
    layout->addWidget(m_buttons);
    nameLabel->setVisible(naming == Naming::Asked);
    m_name->setVisible(naming == Naming::Asked);
    resize(340, 400);
    UpdateOk();
}

void CNewShortcutDialog::UpdateOk()
{
    const bool group = m_tree->currentIndex().data(CTreeStoreModel::kIsGroupRole).toBool();
    const bool named = m_naming == Naming::FromFolders || !m_name->text().trimmed().isEmpty();
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(group && named);
}

std::int32_t CNewShortcutDialog::SelectedGroup() const
{
    const QModelIndex selected = m_tree->currentIndex();
    return selected.isValid() ? m_model.IdOf(selected) : CTreeStore::kNoParent;
}

QString CNewShortcutDialog::Name() const
{
    return m_name->text().trimmed();
}

} // namespace qor

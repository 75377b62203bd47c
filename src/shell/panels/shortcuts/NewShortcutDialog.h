// "New Shortcut": where a shortcut made from a folder goes and what it is called. The whole
// shortcut tree is shown expanded; OK needs a group and a name. Shortcuts named after their
// folders (a shortcut list) need only the group: no name is asked for that would not be used.
#pragma once

#include <QDialog>
#include <cstdint>

class QDialogButtonBox;
class QLineEdit;
class QTreeView;

namespace qor {

class CTreeStoreModel;

class CNewShortcutDialog : public QDialog {
    Q_OBJECT

public:
    enum class Naming { Asked, FromFolders };

    CNewShortcutDialog(
        CTreeStoreModel& model, const QString& name, QWidget* parent = nullptr, Naming naming = Naming::Asked);

    // The chosen group's id, -1 when none is chosen.
    std::int32_t SelectedGroup() const;
    QString Name() const;

private:
    void UpdateOk();

    CTreeStoreModel& m_model;
    QTreeView* m_tree;
    QLineEdit* m_name;
    QDialogButtonBox* m_buttons;
    Naming m_naming;
};

} // namespace qor

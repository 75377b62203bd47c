// The "Create Recording List" dialog: the folders a list is compiled from and the filters its calls
// must pass. It fills a SearchCriteria for the search manager; which folders may stand together is
// left to the core's source rules.
#pragma once

#include "lists/SearchCriteria.h"

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLineEdit;
class QListView;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStringListModel;
class QWidget;

namespace qor {

class CCreateListDialog : public QDialog {
    Q_OBJECT

public:
    // Gives the folder to add, or an empty text when the user changed their mind.
    using FolderChooser = std::function<QString()>;

    // folders: sources to start with, as for a folder or shortcut picked in the access panel.
    explicit CCreateListDialog(QWidget* parent, const std::vector<std::string>& folders = {});

    // The search the controls describe; the sources in the order the list shows them.
    SearchCriteria Criteria() const;

    // "Add..." asks this instead of the folder window, so tests can answer without one.
    void SetFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }

private:
    QWidget* CreateSourcesArea();
    QGroupBox* CreateDateRangeGroup();
    QGroupBox* CreateFileLengthGroup();

    void AddChosenFolder();
    void RemoveSelectedSource();
    void ApplySubFolderRule(bool subFolders);
    // Shows the sources with the one at row selected, and enables what needs a source.
    void ShowSources(int row);
    void UpdateButtons();

    std::vector<std::string> m_sources;
    FolderChooser m_chooseFolder;
    QStringListModel* m_sourceModel;
    QListView* m_sourceView = nullptr;
    QPushButton* m_remove = nullptr;
    QCheckBox* m_subFolders = nullptr;
    QLineEdit* m_fileNamePattern = nullptr;
    QLineEdit* m_callerIdPattern = nullptr;
    QButtonGroup* m_dateRanges;
    QDateEdit* m_after = nullptr;
    QDateEdit* m_before = nullptr;
    QRadioButton* m_onlyLonger = nullptr;
    QSpinBox* m_minutes = nullptr;
    QPushButton* m_compile = nullptr;
};

} // namespace qor

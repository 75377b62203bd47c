// The five pages of the archive wizard. Each reads and fills the wizard's one run and shows what
// it chose in the status panel.
#pragma once

#include <QWizardPage>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTimer;

namespace qor {

class CArchiveWizard;

class CSetCallsPage : public QWizardPage {
    Q_OBJECT

public:
    explicit CSetCallsPage(CArchiveWizard& wizard);
    void initializePage() override;
    bool validatePage() override;

private:
    void Choose(int selection);

    CArchiveWizard& m_wizard;
    QRadioButton* m_all;
    QRadioButton* m_selected;
};

class CDefineJobPage : public QWizardPage {
    Q_OBJECT

public:
    explicit CDefineJobPage(CArchiveWizard& wizard);
    bool validatePage() override;

private:
    void Browse();

    CArchiveWizard& m_wizard;
    QLineEdit* m_path;
    QButtonGroup* m_structure;
    QButtonGroup* m_modification;
};

class CProgressPage : public QWizardPage {
    Q_OBJECT

public:
    explicit CProgressPage(CArchiveWizard& wizard);
    void initializePage() override;
    bool isComplete() const override;
    int nextId() const override;

private:
    void Poll();

    CArchiveWizard& m_wizard;
    QProgressBar* m_bar;
    QPushButton* m_cancel;
    QLabel* m_caption;
    QLabel* m_state;
    QTimer* m_timer;
};

class CConfirmPage : public QWizardPage {
    Q_OBJECT

public:
    explicit CConfirmPage(CArchiveWizard& wizard);
    void initializePage() override;
    // With the start choice, changes the originals first (the page stays until that is done).
    bool validatePage() override;
    bool isComplete() const override;

private:
    void Poll();

    CArchiveWizard& m_wizard;
    QLabel* m_what;
    QListWidget* m_calls;
    QLabel* m_choiceLabel;
    QRadioButton* m_start;
    QRadioButton* m_cancel;
    QProgressBar* m_working;
    QTimer* m_timer;
};

class CCompletePage : public QWizardPage {
    Q_OBJECT

public:
    explicit CCompletePage(CArchiveWizard& wizard);
    void initializePage() override;

private:
    void EditComment();
    void OpenFolder();

    CArchiveWizard& m_wizard;
    QLabel* m_caption;
    QLabel* m_start;
    QLabel* m_end;
    QLabel* m_write;
    QLabel* m_averageWrite;
    QLabel* m_job;
    QLabel* m_averageJob;
    QLabel* m_modifications;
    QLabel* m_archived;
    QPlainTextEdit* m_problems;
    QPushButton* m_comment;
};

} // namespace qor

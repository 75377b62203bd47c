// "Scheduled Archive Job Settings...": the scheduled job as the user sets it up. Every change goes
// straight into the scheduler; Apply checks the job as "qortolvane-cli schedule set" does and
// saves "schedule.xml" (merged with what another program saved meanwhile); Cancel reads it again.
#pragma once

#include <QWidget>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimeEdit;

namespace qor {

class CJobArchScheduler;
struct CScheduleSettings;

class CScheduleSettingsPage : public QWidget {
    Q_OBJECT

public:
    using Clock = std::function<std::int64_t()>;

    CScheduleSettingsPage(CJobArchScheduler& scheduler, Clock clock, QWidget* parent = nullptr);

    // Shows what the scheduler holds.
    void ShowSettings();
    bool IsModified() const { return m_modified; }
    // False, having said why, when the job could not run as set or the file cannot be written.
    bool Apply();
    void Reset();

Q_SIGNALS:
    void Modified();

private:
    // Applies a change to the scheduler's settings and marks the page modified.
    void Edit(const std::function<void(CScheduleSettings&)>& change);
    void EnableControls();
    void AddFolder();
    void RemoveFolders();
    void BrowseArchivePath();
    void ShowSettingsKeepingModified();

    CJobArchScheduler& m_scheduler;
    Clock m_clock;
    bool m_showing = false; // filling the controls is not a change
    bool m_modified = false;
    QCheckBox* m_enabled;
    QListWidget* m_folders;
    QPushButton* m_add;
    QPushButton* m_remove;
    QButtonGroup* m_selection;
    QComboBox* m_every;
    QTimeEdit* m_time;
    QComboBox* m_modification;
    QCheckBox* m_prompt;
    QComboBox* m_structure;
    QButtonGroup* m_method;
    QLineEdit* m_path;
    QLineEdit* m_name;
    QLabel* m_thresholdLabel;
    QCheckBox* m_threshold;
    QSpinBox* m_thresholdSize;
    QLabel* m_thresholdUnit;
    QWidget* m_controls;
};

} // namespace qor

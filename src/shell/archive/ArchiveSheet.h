// "Stowmere Settings and Logs": the scheduled job's settings and the archive log, as two pages
// with OK, Cancel and Apply.
#pragma once

#include "shell/archive/ScheduleSettingsPage.h"

#include <QDialog>
#include <memory>

class QDialogButtonBox;
class QTabWidget;

namespace qor {

class CArchiveLogger;
class CArchiveLogPage;

class CArchiveSheet : public QDialog {
    Q_OBJECT

public:
    enum Page { kSettingsPage, kLogPage };

    CArchiveSheet(CJobArchScheduler& scheduler, std::shared_ptr<CArchiveLogger> log, Page page,
        CScheduleSettingsPage::Clock clock, QWidget* parent = nullptr);

    CScheduleSettingsPage& SettingsPage() { return *m_settings; }
    CArchiveLogPage& LogPage() { return *m_log; }
    bool Apply();

Q_SIGNALS:
    void ScheduleSaved();
    void LogSaved();

protected:
    void accept() override;
    void reject() override;

private:
    void EnableApply();

    CScheduleSettingsPage* m_settings;
    CArchiveLogPage* m_log;
    QTabWidget* m_pages;
    QDialogButtonBox* m_buttons;
};

} // namespace qor

// "Archive Jobs Calls Log": the jobs of the archive log, one line each, whose comments can be
// edited, which can be deleted, and whose reports can be written to a text file and opened. The
// changes are kept until Apply saves them (merged with what other programs logged meanwhile);
// Cancel reads the log again. The office job's runs follow, marked as such: their reports can be
// written, but they are the administrator's, never changed here. A log that is not trusted is
// named under the list.
#pragma once

#include <QWidget>
#include <memory>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace qor {

class CArchiveLogger;
class CJobArchListEntry;

class CArchiveLogPage : public QWidget {
    Q_OBJECT

public:
    explicit CArchiveLogPage(std::shared_ptr<CArchiveLogger> log, QWidget* parent = nullptr);

    void ShowJobs();
    bool IsModified() const { return m_modified; }
    bool Apply();
    void Reset();
    // Writes the selected jobs' reports into a new file in folder; its path, or empty (said why).
    QString WriteReport(const QString& folder);

    static QString JobLine(const CJobArchListEntry& job);

Q_SIGNALS:
    void Modified();

private:
    void EditComment();
    void DeleteSelected();
    void ViewDetail();
    void EnableButtons();
    void MarkModified();
    CJobArchListEntry* JobOf(const QListWidgetItem* item) const;
    static bool IsOffice(const QListWidgetItem* item);

    std::shared_ptr<CArchiveLogger> m_log;
    std::shared_ptr<CArchiveLogger> m_office;
    bool m_modified = false;
    QListWidget* m_jobs;
    // Names a log that is there but not trusted, whose jobs the list then leaves out.
    QLabel* m_refusals;
    QPushButton* m_edit;
    QPushButton* m_detail;
    QPushButton* m_delete;
};

} // namespace qor

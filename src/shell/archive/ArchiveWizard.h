// The "Stowmere Job Wizard": archives calls of a recording list in five pages (which calls; where,
// how structured and what becomes of the originals; the run; the confirmation before any original
// is deleted or stripped; the summary), with the job's status panel beside every page.
#pragma once

#include "shell/archive/ArchiveWizardRun.h"

#include <QWizard>
#include <functional>
#include <memory>

namespace qor {

class CWizardStatusPanel;

class CArchiveWizard : public QWizard {
    Q_OBJECT

public:
    enum PageId { kSetCalls, kDefineJob, kProgress, kConfirm, kComplete };
    using Clock = std::function<std::int64_t()>;

    // method: kArchiveDisk, kArchiveZip or kArchiveIso.
    CArchiveWizard(CWizardCalls calls, std::int32_t method, std::shared_ptr<CArchiveLogger> log,
        QWidget* parent = nullptr, Clock clock = {});
    ~CArchiveWizard() override;

    CArchiveWizardRun& Run() { return *m_run; }
    CWizardStatusPanel& Status() { return *m_status; }
    std::int64_t Now() const;

Q_SIGNALS:
    // code 2: the calls' files were deleted; 3: their audio was removed (read them again).
    void OriginalsChanged(int code, const QStringList& paths);
    // The job was written to the archive log.
    void Logged();

public Q_SLOTS:
    // Closing the wizard while it archives cancels the run first.
    void reject() override;

private:
    std::unique_ptr<CArchiveWizardRun> m_run;
    CWizardStatusPanel* m_status;
    Clock m_clock;
};

} // namespace qor

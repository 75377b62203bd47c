// "Archiving Calls Progress": follows a scheduled run of the archive manager, closing by itself
// (result kRunEnded) when the run has ended, or cancelling it (result kRunCancelled).
#pragma once

#include <QDialog>

class QProgressBar;
class QTimer;

namespace qor {

class CArchiveManager;

class CScheduledRunDialog : public QDialog {
    Q_OBJECT

public:
    enum Result { kRunEnded = 1, kRunCancelled = 2 };

    CScheduledRunDialog(CArchiveManager& manager, QWidget* parent = nullptr);

protected:
    void reject() override;

private:
    void Poll();

    CArchiveManager& m_manager;
    QProgressBar* m_bar;
    QTimer* m_timer;
};

} // namespace qor

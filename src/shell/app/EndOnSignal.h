// A desktop session that ends, or "kill" without a signal number, asks the program to end with
// SIGTERM (SIGHUP when its terminal goes): it ends saving the user's settings, history and recent
// files, instead of dying with them unsaved. It asks nothing: nobody may be there to answer, so a
// list with unsaved changes is not saved.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace qor {

class CEndOnSignal : public QObject {
    Q_OBJECT

public:
    explicit CEndOnSignal(QObject* parent = nullptr);
    ~CEndOnSignal() override;

private:
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace qor

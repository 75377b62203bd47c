// A desktop session that ends, or "kill" without a signal number, asks the program to end with
// SIGTERM (SIGHUP when its terminal goes): it ends as Quit does, saving the user's files, instead
// of dying with them unsaved.
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

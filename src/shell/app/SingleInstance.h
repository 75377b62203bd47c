// One program per user and desktop session: the first copy listens on a local socket in the user's
// runtime folder; a second copy finds it, hands it the files and folders it was started with, asks it
// to come forward (its open dialog included), waits for the answer and ends.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <functional>
#include <string>
#include <vector>

namespace qor {

class CSingleInstance : public QObject {
    Q_OBJECT

public:
    explicit CSingleInstance(QObject* parent = nullptr);

    enum class Answer {
        NoCopy, // nobody listens: this copy may start
        Raised, // the running copy came forward and said so
        Busy, // a copy took the call but did not answer in time (its window is busy): it runs all the same
        Refused, // the running copy would not take the request (too large)
    };
    using Raise = std::function<void(const std::vector<std::string>& named)>;

    // Asks a running copy to open the named paths (absolute, exact bytes) and come forward; unless
    // NoCopy, this one should end.
    Answer HandOverToRunningCopy(const std::vector<std::string>& named = {});
    // Becomes the copy others hand over to; raise is called, after the answer, with what each one
    // named. False when the name is taken (by a copy starting at the same moment, or left behind by
    // one that crashed).
    bool Listen(Raise raise);
    // Takes a name nobody listens on.
    bool TakeOverStaleName();

    // The socket's path, in a runtime folder of the user's own; empty (with why) when there is no
    // such folder, and then no copy may start: another user's folder could answer in its place.
    static QString ServerName(QString* why = nullptr);
    // Why the last Listen or TakeOverStaleName failed.
    QString ListenError() const { return m_server.errorString(); }

private:
    QLocalServer m_server;
    Raise m_raise;
};

} // namespace qor

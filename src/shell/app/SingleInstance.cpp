#include "shell/app/SingleInstance.h"

#include "foundation/DataFolders.h"

#include <QLocalSocket>
#include <QTimer>
#include <memory>

namespace qor {
namespace {

constexpr int kAnswerMilliseconds = 2000;
// A request is "open <percent-encoded path>" lines, then "raise"; more than this is no request (a
// command line holds a few megabytes at most, three times that encoded).
constexpr qsizetype kMostRequestBytes = 64 << 20;
const QByteArray kOpen = "open ";
const QByteArray kRaise = "raise\n";
const QByteArray kRaised = "raised\n";
const QByteArray kRefused = "refused\n";

// What a request asks for so far: keeps the paths of its complete lines and says whether it
// ended, is still coming, or is not a request.
class CRequest {
public:
    enum class State { Coming, Complete, Refused };

    State Add(const QByteArray& bytes)
    {
        m_pending += bytes;
        m_size += bytes.size();
        if (m_size > kMostRequestBytes)
            return State::Refused;
        // The lines read are dropped once at the end: a megabyte of names arrives in many pieces.
        qsizetype start = 0;
        for (qsizetype end = m_pending.indexOf('\n'); end >= 0; start = end + 1, end = m_pending.indexOf('\n', start)) {
            const QByteArrayView line = QByteArrayView(m_pending).sliced(start, end + 1 - start);
            if (line == kRaise)
                return State::Complete;
            if (!line.startsWith(kOpen))
                return State::Refused;
            QByteArray path = QByteArray::fromPercentEncoding(line.sliced(kOpen.size()).chopped(1).toByteArray());
            if (path.contains('\0')) // no path holds one: the name would end early, at another file
                return State::Refused;
            m_named.push_back(path.toStdString());
        }
        m_pending.remove(0, start);
        // An unfinished line that can no longer become one of ours is refused at once.
        const bool mayBecomeRequest = kOpen.startsWith(m_pending.left(kOpen.size())) || kRaise.startsWith(m_pending);
        return mayBecomeRequest ? State::Coming : State::Refused;
    }

    const std::vector<std::string>& Named() const { return m_named; }

private:
    QByteArray m_pending;
    qsizetype m_size = 0;
    std::vector<std::string> m_named;
};

} // namespace

CSingleInstance::CSingleInstance(QObject* parent)
    : QObject(parent)
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            // The request may come in pieces: read up to its last line before deciding.
            auto request = std::make_shared<CRequest>();
            connect(socket, &QLocalSocket::readyRead, this, [this, socket, request] {
                const CRequest::State state = request->Add(socket->readAll());
                if (state == CRequest::State::Coming)
                    return;
                if (state == CRequest::State::Refused) {
                    socket->write(kRefused); // a start that sent it says so, rather than "busy"
                    socket->flush();
                    return socket->disconnectFromServer();
                }
                // Answered first: opening may ask the user something while the other copy waits.
                socket->write(kRaised);
                socket->flush();
                socket->disconnectFromServer();
                if (m_raise)
                    QTimer::singleShot(0, this, [this, named = request->Named()] { m_raise(named); });
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QString CSingleInstance::ServerName(QString* why)
{
    // The user's runtime folder belongs to one user and one login: one running copy there.
    std::string reason;
    const std::string folder = GetPrivateRuntimeFolder(reason);
    if (why)
        *why = QString::fromStdString(reason);
    return folder.empty() ? QString() : QString::fromStdString(folder) + QStringLiteral("/qortolvane.socket");
}

CSingleInstance::Answer CSingleInstance::HandOverToRunningCopy(const std::vector<std::string>& named)
{
    if (ServerName().isEmpty())
        return Answer::NoCopy;
    QLocalSocket socket;
    socket.connectToServer(ServerName());
    if (!socket.waitForConnected(kAnswerMilliseconds))
        return Answer::NoCopy; // refused: a name left behind by a copy that ended
    QByteArray request;
    for (const std::string& path : named)
        request += kOpen + QByteArray::fromStdString(path).toPercentEncoding() + '\n';
    socket.write(request + kRaise);
    socket.waitForBytesWritten(kAnswerMilliseconds);
    QByteArray answer;
    while (!answer.contains('\n') && socket.waitForReadyRead(kAnswerMilliseconds))
        answer += socket.readAll();
    answer += socket.readAll();
    // A copy that listens but does not answer is busy (loading, say), not gone: taking its name
    // would leave two copies saving over each other's files.
    return answer.startsWith(kRaised) ? Answer::Raised : answer.startsWith(kRefused) ? Answer::Refused : Answer::Busy;
}

bool CSingleInstance::Listen(Raise raise)
{
    m_raise = std::move(raise);
    return m_server.listen(ServerName());
}

bool CSingleInstance::TakeOverStaleName()
{
    // Left behind by a copy that crashed: nobody answers on it.
    QLocalServer::removeServer(ServerName());
    return m_server.listen(ServerName());
}

} // namespace qor

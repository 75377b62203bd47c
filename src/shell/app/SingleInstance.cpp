#include "shell/app/SingleInstance.h"

#include "foundation/DataFolders.h"

#include <QLocalSocket>
#include <memory>

namespace qor {
namespace {

constexpr int kAnswerMilliseconds = 2000;
const QByteArray kRaise = "raise\n";
const QByteArray kRaised = "raised\n";

} // namespace

CSingleInstance::CSingleInstance(QObject* parent)
    : QObject(parent)
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            // The request may come in pieces: read up to its line end before deciding.
            auto received = std::make_shared<QByteArray>();
            connect(socket, &QLocalSocket::readyRead, this, [this, socket, received] {
                *received += socket->readAll();
                if (!received->contains('\n') && received->size() < kRaise.size())
                    return;
                if (!received->startsWith(kRaise))
                    return socket->disconnectFromServer();
                received->clear();
                if (m_raise)
                    m_raise();
                socket->write(kRaised);
                socket->flush();
                socket->disconnectFromServer();
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

CSingleInstance::Answer CSingleInstance::HandOverToRunningCopy()
{
    if (ServerName().isEmpty())
        return Answer::NoCopy;
    QLocalSocket socket;
    socket.connectToServer(ServerName());
    if (!socket.waitForConnected(kAnswerMilliseconds))
        return Answer::NoCopy; // refused: a name left behind by a copy that ended
    socket.write(kRaise);
    socket.waitForBytesWritten(kAnswerMilliseconds);
    QByteArray answer;
    while (!answer.contains('\n') && socket.waitForReadyRead(kAnswerMilliseconds))
        answer += socket.readAll();
    answer += socket.readAll();
    // A copy that listens but does not answer is busy (loading, say), not gone: taking its name
    // would leave two copies saving over each other's files.
    return answer.startsWith(kRaised) ? Answer::Raised : Answer::Busy;
}

bool CSingleInstance::Listen(std::function<void()> raise)
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

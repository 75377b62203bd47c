#include "shell/app/SingleInstance.h"

#include <QLocalSocket>
#include <unistd.h>

namespace qor {
namespace {

constexpr int kAnswerMilliseconds = 2000;
const QByteArray kRaise = "raise\n";

} // namespace

CSingleInstance::CSingleInstance(QObject* parent)
    : QObject(parent)
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().startsWith(kRaise) && m_raise)
                    m_raise();
                socket->disconnectFromServer();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QString CSingleInstance::ServerName()
{
    // The program's own identifier and the user: one running copy per user.
    return QStringLiteral("qortolvane-1391d437-487a-4056-afae-5e399c6bcd02-%1").arg(getuid());
}

bool CSingleInstance::HandOverToRunningCopy()
{
    QLocalSocket socket;
    socket.connectToServer(ServerName());
    if (!socket.waitForConnected(kAnswerMilliseconds))
        return false;
    socket.write(kRaise);
    socket.waitForBytesWritten(kAnswerMilliseconds);
    socket.waitForDisconnected(kAnswerMilliseconds);
    return true;
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

#include "SingleInstance.h"

#include "NamedMutex.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QUrl>

namespace {

// The message is five bytes; a connection that sends this many without a
// line end is not the program, and no more of it is read.
constexpr qint64 MaxMessageBytes = 64;
// A real sender writes at once; a connection silent for this long is dropped.
constexpr int IdleConnectionMs = 5000;

QByteArray restoreLine()
{
    return QByteArray::number(SingleInstance::RestoreMessage) + '\n';
}

int remainingMs(const QDeadlineTimer& deadline)
{
    return int(deadline.remainingTime());
}

void dropConnection(QLocalSocket* connection)
{
    connection->abort();
    connection->deleteLater();
}

} // namespace

SingleInstance::SingleInstance(const QString& windowClass, QObject* parent)
    : QObject(parent), m_windowClass(windowClass), m_server(new QLocalServer(this))
{
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
}

bool SingleInstance::listen()
{
    if (m_server->isListening())
        return true;
    const QString path = socketPath(m_windowClass);
    if (path.isEmpty())
        return false;
    // Only the holder of the single-instance mutex listens, so a socket file
    // found here belongs to an instance that ended without removing it.
    QLocalServer::removeServer(path);
    return m_server->listen(path);
}

std::optional<int> SingleInstance::claim(NamedMutex& instanceMutex, const QString& windowClass,
                                         const std::function<void(const QString&)>& showError)
{
    if (instanceMutex.tryLock())
        return std::nullopt;
    if (!instanceMutex.errorString().isEmpty()) {
        showError(QStringLiteral("QV ZizaVure cannot start: unable to use the lock folder %1.")
                      .arg(instanceMutex.errorString()));
        return 1;
    }
    sendRestore(windowClass);
    return 0;
}

bool SingleInstance::sendRestore(const QString& windowClass, int timeoutMs)
{
    const QString path = socketPath(windowClass);
    if (path.isEmpty())
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(remainingMs(deadline)))
        return false;
    socket.write(restoreLine());
    socket.flush();
    while (!socket.canReadLine()) {
        if (socket.bytesAvailable() >= MaxMessageBytes || !socket.waitForReadyRead(remainingMs(deadline)))
            return false;
    }
    return socket.readLine(MaxMessageBytes) == restoreLine();
}

QString SingleInstance::socketPath(const QString& windowClass)
{
    const QString folder = NamedMutex::localFolder();
    if (folder.isEmpty() || windowClass.isEmpty())
        return {};
    return folder + u'/' + QString::fromLatin1(QUrl::toPercentEncoding(windowClass)) + QStringLiteral(".socket");
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket* connection = m_server->nextPendingConnection()) {
        // Bounds what a flood can make us hold in memory.
        connection->setReadBufferSize(MaxMessageBytes);
        connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
        connect(connection, &QLocalSocket::readyRead, this, [this, connection] { readMessage(connection); });
        QTimer::singleShot(IdleConnectionMs, connection, [connection] { dropConnection(connection); });
        if (connection->bytesAvailable() > 0)
            readMessage(connection);
    }
}

void SingleInstance::readMessage(QLocalSocket* connection)
{
    // One line per connection: whatever follows the first line is not read.
    if (connection->state() != QLocalSocket::ConnectedState)
        return;
    if (!connection->canReadLine()) {
        if (connection->bytesAvailable() >= MaxMessageBytes)
            dropConnection(connection);
        return;
    }
    if (connection->readLine(MaxMessageBytes) != restoreLine()) {
        dropConnection(connection);
        return;
    }
    connection->write(restoreLine()); // tells the sender that the message was taken
    connection->disconnectFromServer();
    Q_EMIT restoreRequested();
}

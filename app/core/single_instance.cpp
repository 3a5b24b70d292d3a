#include "core/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcessEnvironment>

namespace vostrand::core {

namespace {

QString userName()
{
    const auto environment = QProcessEnvironment::systemEnvironment();
    QString name = environment.value(QStringLiteral("USER"));
    if (name.isEmpty())
        name = environment.value(QStringLiteral("USERNAME"));
    if (name.isEmpty())
        name = QDir::homePath();
    return name;
}

} // namespace

QString SingleInstance::serverNameFor(const QString& configFolder)
{
    // Hashed: the name becomes a file name on Unix and must stay short and plain.
    const QByteArray key =
        (userName() + QLatin1Char('\n') + QDir::cleanPath(QDir(configFolder).absolutePath()))
            .toUtf8();
    const QByteArray digest = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex();
    const QString name = QStringLiteral("vostrandnet-") + QString::fromLatin1(digest.left(24));
#if defined(Q_OS_UNIX)
    // The user's own runtime folder, where no other user can take the name first; the
    // shared temporary folder otherwise.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir() && QFileInfo(runtime).isWritable())
        return QDir(runtime).filePath(name);
#endif
    return name;
}

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent)
    , m_serverName(std::move(serverName))
{}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

SingleInstance::Role SingleInstance::start(const QString& argument, int timeoutMs)
{
    if (handOver(argument, timeoutMs))
        return Role::HandedOver;
    if (listen())
        return Role::First;
    // Another start may have won the race to listen between our two attempts.
    if (handOver(argument, timeoutMs))
        return Role::HandedOver;
    return Role::Alone;
}

bool SingleInstance::handOver(const QString& argument, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray message = argument.toUtf8();
    if (message.size() > kMaxMessageBytes)
        message.truncate(kMaxMessageBytes);
    socket.write(message);
    // The end of the connection ends the message: no framing to get wrong.
    const bool written = socket.waitForBytesWritten(timeoutMs) || socket.bytesToWrite() == 0;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    if (!written)
        m_error = socket.errorString();
    return written;
}

bool SingleInstance::listen()
{
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_serverName)) {
        // A socket file left by a process that died; nobody answered on it above.
        const bool stale = server->serverError() == QAbstractSocket::AddressInUseError;
        if (!(stale && QLocalServer::removeServer(m_serverName) && server->listen(m_serverName))) {
            m_error = server->errorString();
            delete server;
            return false;
        }
    }
    m_server = server;
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::accept);
    return true;
}

void SingleInstance::accept()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        m_pending.insert(socket, {});
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QByteArray& buffer = m_pending[socket];
            buffer += socket->readAll();
            if (buffer.size() > kMaxMessageBytes) {
                buffer.truncate(kMaxMessageBytes);
                socket->abort();
            }
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { finish(socket); });
        if (socket->state() != QLocalSocket::ConnectedState)
            finish(socket);
    }
}

void SingleInstance::finish(QLocalSocket* socket)
{
    const auto found = m_pending.find(socket);
    if (found == m_pending.end())
        return;
    QByteArray message = found.value();
    if (message.size() < kMaxMessageBytes)
        message += socket->readAll().left(kMaxMessageBytes - message.size());
    m_pending.erase(found);
    socket->deleteLater();
    emit handedOver(QString::fromUtf8(message));
}

} // namespace vostrand::core

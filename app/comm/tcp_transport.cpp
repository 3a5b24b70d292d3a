#include "comm/tcp_transport.h"

#include "comm/io_device_wait.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace vostrand::comm {

TcpTransport::TcpTransport() = default;

TcpTransport::~TcpTransport()
{
    close();
}

bool TcpTransport::open(const Endpoint& endpoint, std::chrono::milliseconds timeout)
{
    close();
    const auto* tcp = std::get_if<TcpEndpoint>(&endpoint);
    if (!tcp || tcp->host.isEmpty() || tcp->port == 0) {
        m_error = QStringLiteral("no TCP endpoint given");
        return false;
    }
    auto socket = std::make_unique<QTcpSocket>();
    // A literal address skips the name look-up, which would not honour the time-out.
    const QHostAddress address(tcp->host);
    if (address.isNull())
        socket->connectToHost(tcp->host, tcp->port);
    else
        socket->connectToHost(address, tcp->port);
    if (!socket->waitForConnected(static_cast<int>(timeout.count()))) {
        m_error = socket->errorString();
        socket->abort();
        return false;
    }
    m_socket = std::move(socket);
    m_error.clear();
    return true;
}

bool TcpTransport::isOpen() const
{
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

void TcpTransport::close()
{
    if (!m_socket)
        return;
    m_socket->disconnectFromHost();
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->abort();
    m_socket.reset();
}

void TcpTransport::discardInput()
{
    if (m_socket)
        IoDeviceWait::drain(*m_socket);
}

bool TcpTransport::send(const QByteArray& bytes, std::chrono::milliseconds timeout)
{
    if (!isOpen())
        return false;
    const bool sent = IoDeviceWait::sendAll(*m_socket, bytes, timeout);
    if (!sent)
        m_error = m_socket->errorString();
    return sent;
}

Received TcpTransport::receive(const ReplyComplete& isComplete, std::chrono::milliseconds timeout)
{
    if (!m_socket)
        return {};
    return IoDeviceWait::receive(*m_socket, isComplete, timeout);
}

} // namespace vostrand::comm

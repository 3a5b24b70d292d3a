#include "tcp_endpoint.h"

#include "tcp_connection.h"

#include <QTcpSocket>

namespace vostrand::sim {

TcpEndpoint::TcpEndpoint(Simulator& simulator, FrameSplitter::Mode mode, QObject* parent)
    : QObject(parent)
    , m_simulator(simulator)
    , m_mode(mode)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TcpEndpoint::acceptConnections);
}

std::optional<QString> TcpEndpoint::listen(const QHostAddress& host, quint16 port)
{
    if (!m_server.listen(host, port))
        return m_server.errorString();
    return std::nullopt;
}

void TcpEndpoint::acceptConnections()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection())
        new TcpConnection(socket, m_simulator, m_mode, this);
}

} // namespace vostrand::sim

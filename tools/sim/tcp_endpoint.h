#pragma once

#include "frame_splitter.h"

#include <optional>

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>

namespace vostrand::sim {

class Simulator;

// A TCP listener that answers in one framing on every connection.
class TcpEndpoint : public QObject
{
    Q_OBJECT

public:
    TcpEndpoint(Simulator& simulator, FrameSplitter::Mode mode, QObject* parent = nullptr);

    // The reason when the port cannot be bound.
    std::optional<QString> listen(const QHostAddress& host, quint16 port);
    quint16 port() const { return m_server.serverPort(); }

private:
    void acceptConnections();

    Simulator& m_simulator;
    FrameSplitter::Mode m_mode;
    QTcpServer m_server;
};

} // namespace vostrand::sim

#include "tcp_connection.h"

#include "simulator.h"

#include <QTcpSocket>

namespace vostrand::sim {

namespace {

// Bytes of an unfinished frame older than this are garbage; a client writes a request at once.
constexpr int kSilenceMs = 50;

} // namespace

TcpConnection::TcpConnection(QTcpSocket* socket, Simulator& simulator, FrameSplitter::Mode mode,
                             QObject* parent)
    : QObject(parent)
    , m_socket(socket)
    , m_simulator(simulator)
    , m_splitter(mode)
{
    m_socket->setParent(this);
    m_silence.setSingleShot(true);
    m_silence.setInterval(kSilenceMs);
    connect(&m_silence, &QTimer::timeout, this, &TcpConnection::dropStale);
    connect(m_socket, &QTcpSocket::readyRead, this, &TcpConnection::readRequests);
    connect(m_socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    readRequests();
}

void TcpConnection::readRequests()
{
    m_splitter.append(m_socket->readAll());
    answerPending();
}

void TcpConnection::answerPending()
{
    while (const std::optional<SplitFrame> frame = m_splitter.next()) {
        send(m_simulator.respond(frame->framing, frame->bytes));
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            return;
    }
    if (m_splitter.broken()) {
        m_socket->abort();
        return;
    }
    if (m_splitter.hasPending())
        m_silence.start();
}

void TcpConnection::dropStale()
{
    while (m_splitter.hasPending() && m_socket->state() == QAbstractSocket::ConnectedState) {
        m_splitter.dropStaleByte();
        answerPending();
    }
}

void TcpConnection::send(const SimResponse& response)
{
    if (response.disconnect) {
        m_socket->disconnectFromHost();
        return;
    }
    if (!response.reply)
        return;
    if (response.delayMs <= 0) {
        m_socket->write(*response.reply);
        return;
    }
    // Tied to the socket: a client gone before the delay gets nothing, and nothing crashes.
    QTimer::singleShot(response.delayMs, m_socket,
                       [socket = m_socket, reply = *response.reply] { socket->write(reply); });
}

} // namespace vostrand::sim

#include "network/server_client.h"

#include "comm/tcp_transport.h"
#include "core/text_codec.h"

#include <algorithm>

#include <QDeadlineTimer>

namespace vostrand::network {

namespace {

using std::chrono::milliseconds;

constexpr milliseconds kMinimumReplyWait{3000};

quint16 portOf(const QString& text)
{
    bool ok = false;
    const uint port = text.trimmed().toUInt(&ok);
    return ok && port > 0 && port <= 0xFFFF ? static_cast<quint16>(port) : 0;
}

} // namespace

ServerClient::Timing ServerClient::Timing::fromConnectWait(milliseconds connectWait)
{
    return {connectWait, std::max(3 * connectWait, kMinimumReplyWait)};
}

ServerClient::ServerClient(QString host, const QString& port, Timing timing)
    : m_host(std::move(host).trimmed())
    , m_port(portOf(port))
    , m_timing(timing)
{}

ServerReply ServerClient::request(const QString& line) const
{
    ServerReply reply;
    if (m_host.isEmpty() || m_port == 0) {
        reply.error = QStringLiteral("no server address");
        return reply;
    }
    comm::TcpTransport link;
    if (!link.open(comm::TcpEndpoint{m_host, m_port}, m_timing.connectWait)) {
        reply.error = link.errorText();
        return reply;
    }
    reply.connected = true;
    const QDeadlineTimer deadline(m_timing.replyWait);
    if (!link.send(core::TextCodec::encode(line) + "\r\n", m_timing.replyWait)) {
        reply.error = link.errorText();
        return reply;
    }
    QByteArray received;
    const auto someBytes = [](const QByteArray& bytes) {
        return !bytes.isEmpty();
    };
    for (;;) {
        const milliseconds left(std::max<qint64>(deadline.remainingTime(), 0));
        const comm::Received chunk = link.receive(someBytes, left);
        // Nothing at all: the wait ran out, the server closed or the link failed.
        if (chunk.bytes.isEmpty()) {
            reply.error = deadline.hasExpired() ? QStringLiteral("no reply in time")
                                                : QStringLiteral("closed without a reply");
            break;
        }
        const qsizetype searchFrom = received.size();
        received.append(chunk.bytes);
        const qsizetype end = received.indexOf('\n', searchFrom);
        if (end >= 0) {
            QByteArray bytes = received.left(end);
            if (bytes.endsWith('\r'))
                bytes.chop(1);
            reply.complete = true;
            reply.line = core::TextCodec::decode(bytes);
            break;
        }
        if (received.size() > kMaxLineBytes) {
            reply.error = QStringLiteral("reply line too long");
            break;
        }
    }
    link.close();
    return reply;
}

QStringList ServerClient::replyFields(QStringView reply)
{
    QString text = reply.toString();
    text.replace(QLatin1Char('^'), QLatin1Char('\r'));
    text.replace(QLatin1Char('\t'), QLatin1Char('\n'));
    return core::TextCodec::splitLines(text);
}

} // namespace vostrand::network

// Stand-in instruments for the link tests: a pseudo-terminal pair with a responder on the
// master side, and a loopback TCP listener. Each runs its own thread and answers with what a
// responder function returns for the bytes received so far.
#pragma once

#include "comm/modbus_codec.h"
#include "test_application.h"
#include "test_links.h"

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <optional>
#include <poll.h>
#include <stdlib.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <QByteArray>
#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>

namespace vostrand::comm::testing {

using namespace std::chrono_literals;

using vostrand::testing_support::ensureApplication;

// What a fake device does with one whole request.
struct FakeReply
{
    QByteArray bytes;                   // empty: stay silent
    std::chrono::milliseconds delay{0}; // answer this much later
    bool disconnect = false;            // TCP: close instead of answering
};

// Told the bytes received since the last whole request; null while the request is not whole.
using Responder = std::function<std::optional<FakeReply>(const QByteArray& received)>;

// A register model answering function 03 and 06 with a fixed value per register.
struct Registers
{
    std::map<int, quint16> values;

    quint16 at(int reg) const
    {
        const auto found = values.find(reg);
        return found == values.end() ? quint16(reg) : found->second;
    }
    // The response PDU (address and function first) to a request PDU.
    QByteArray answer(const QByteArray& pdu) const
    {
        const auto byte = [&pdu](int i) {
            return static_cast<quint8>(pdu.at(i));
        };
        const int reg = byte(2) << 8 | byte(3);
        QByteArray reply = pdu.left(2);
        if (byte(1) == 0x03) {
            const int count = byte(4) << 8 | byte(5);
            reply.append(static_cast<char>(count * 2));
            for (int k = 0; k < count; ++k) {
                reply.append(static_cast<char>(at(reg + k) >> 8));
                reply.append(static_cast<char>(at(reg + k) & 0xFF));
            }
            return reply;
        }
        return pdu.left(6); // writes echo register and value (or count)
    }
};

inline QByteArray withCrc(QByteArray frame)
{
    const quint16 crc = ModbusCodec::crc16(frame);
    frame.append(static_cast<char>(crc & 0xFF));
    frame.append(static_cast<char>(crc >> 8));
    return frame;
}

inline QByteArray asciiLine(const QByteArray& pdu)
{
    const QString text = QStringLiteral(":") + QString::fromLatin1(pdu.toHex().toUpper());
    return ModbusCodec::asciiFrame(text);
}

// The request PDU in an ASCII line (":" hex LRC CR LF), or null until the line is whole.
inline std::optional<QByteArray> asciiRequestPdu(const QByteArray& received)
{
    const qsizetype end = received.indexOf("\r\n");
    const qsizetype start = received.indexOf(':');
    if (end < 0 || start < 0 || start > end)
        return std::nullopt;
    const QByteArray hex = received.mid(start + 1, end - start - 3); // LRC dropped
    return QByteArray::fromHex(hex);
}

// Answers an ASCII request from the registers; `shape` may change or drop the reply.
inline Responder
asciiResponder(Registers registers,
               std::function<FakeReply(const QByteArray& pdu, FakeReply)> shape = {})
{
    return [registers, shape](const QByteArray& received) -> std::optional<FakeReply> {
        const auto pdu = asciiRequestPdu(received);
        if (!pdu)
            return std::nullopt;
        FakeReply reply{asciiLine(registers.answer(*pdu))};
        return shape ? shape(*pdu, reply) : reply;
    };
}

// Answers 8-byte RTU requests from the registers.
inline Responder rtuResponder(Registers registers,
                              std::function<FakeReply(const QByteArray& pdu, FakeReply)> shape = {})
{
    return [registers, shape](const QByteArray& received) -> std::optional<FakeReply> {
        if (received.size() < 8)
            return std::nullopt;
        const QByteArray pdu = received.left(6);
        FakeReply reply{withCrc(registers.answer(pdu))};
        return shape ? shape(pdu, reply) : reply;
    };
}

using testing_links::isSerial;
using testing_links::Link;

enum class Fault
{
    None,
    Silent,
    BadChecksum,
    Exception,
    Partial,
};

// The request PDU (address first) of a whole request, or null while it is not whole.
inline std::optional<QByteArray> requestPdu(Link link, const QByteArray& received)
{
    switch (link) {
    case Link::SerialAscii:
    case Link::TcpAscii:
        return asciiRequestPdu(received);
    case Link::SerialRtu:
    case Link::TcpRtu: {
        const qsizetype length = received.size() > 1 && received.at(1) == 0x10 ? 21 : 8;
        if (received.size() < length)
            return std::nullopt;
        return received.left(length - 2);
    }
    case Link::ModbusTcp: {
        if (received.size() < 7)
            return std::nullopt;
        const int length = quint8(received.at(4)) << 8 | quint8(received.at(5));
        if (received.size() < 6 + length)
            return std::nullopt;
        return received.mid(6, length);
    }
    case Link::SerialMaker:
        break; // not Modbus: no fake frames it
    }
    return std::nullopt;
}

inline QByteArray framed(Link link, const QByteArray& pdu)
{
    switch (link) {
    case Link::SerialAscii:
    case Link::TcpAscii:
        return asciiLine(pdu);
    case Link::SerialRtu:
    case Link::TcpRtu:
        return withCrc(pdu);
    case Link::ModbusTcp: {
        QByteArray frame("\0\0\0\0", 4);
        frame.append(static_cast<char>(pdu.size() >> 8));
        frame.append(static_cast<char>(pdu.size() & 0xFF));
        return frame + pdu;
    }
    case Link::SerialMaker:
        break;
    }
    return {};
}

// A device on `link` answering from `registers` with `fault` in every reply.
inline Responder deviceResponder(Link link, Registers registers, Fault fault,
                                 std::chrono::milliseconds delay = 0ms)
{
    return [=](const QByteArray& received) -> std::optional<FakeReply> {
        const auto pdu = requestPdu(link, received);
        if (!pdu)
            return std::nullopt;
        QByteArray answer = registers.answer(*pdu);
        if (fault == Fault::Exception) {
            answer = pdu->left(2);
            answer[1] = static_cast<char>(answer[1] | 0x80);
            answer.append(char(0x02));
        }
        QByteArray bytes = framed(link, answer);
        if (fault == Fault::BadChecksum) {
            // The last check-sum character or byte goes wrong.
            const qsizetype at = link == Link::SerialAscii || link == Link::TcpAscii
                                     ? bytes.size() - 3
                                     : bytes.size() - 1;
            bytes[at] = bytes[at] == '0' ? '1' : static_cast<char>(bytes[at] ^ 0x01);
        }
        if (fault == Fault::Partial)
            bytes.chop(bytes.size() / 2);
        if (fault == Fault::Silent)
            bytes.clear();
        return FakeReply{bytes, delay};
    };
}

// Stands in for the helper library's ASCII to Modbus TCP conversion.
inline core::LibraryCall fakeAsciiToTcp(const QByteArray& ascii, int transactionId,
                                        QByteArray& tcpFrame)
{
    const auto pdu = asciiRequestPdu(ascii);
    if (!pdu)
        return {0, {}};
    tcpFrame = framed(Link::ModbusTcp, *pdu);
    tcpFrame[1] = static_cast<char>(transactionId);
    return {static_cast<std::int32_t>(tcpFrame.size()), {}};
}

// A pseudo-terminal pair: the program opens `slavePath()`, the fake answers on the master.
class PtyDevice
{
public:
    explicit PtyDevice(Responder responder)
        : m_responder(std::move(responder))
    {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
            return;
        m_slavePath = QString::fromLocal8Bit(ptsname(m_master));
        // Hold the slave open too, so that the master sees no hang-up between opens.
        m_slaveKeeper = ::open(ptsname(m_master), O_RDWR | O_NOCTTY);
        m_thread = std::thread([this] { run(); });
    }
    ~PtyDevice() { unplug(); }
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    bool ok() const { return !m_slavePath.isEmpty(); }
    const QString& slavePath() const { return m_slavePath; }
    int requestCount() const { return m_requests.load(); }

    // The cable goes: the master closes and the slave path disappears.
    void unplug()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_slaveKeeper >= 0)
            ::close(m_slaveKeeper);
        if (m_master >= 0)
            ::close(m_master);
        m_slaveKeeper = m_master = -1;
    }

private:
    void run()
    {
        QByteArray received;
        while (!m_stop) {
            pollfd fd{m_master, POLLIN, 0};
            if (poll(&fd, 1, 10) <= 0 || !(fd.revents & POLLIN))
                continue;
            char chunk[256];
            const ssize_t n = ::read(m_master, chunk, sizeof chunk);
            if (n <= 0)
                continue;
            received.append(chunk, n);
            const auto reply = m_responder(received);
            if (!reply)
                continue;
            received.clear();
            ++m_requests;
            if (reply->delay.count() > 0)
                std::this_thread::sleep_for(reply->delay);
            if (!reply->bytes.isEmpty()) {
                const ssize_t written =
                    ::write(m_master, reply->bytes.constData(), size_t(reply->bytes.size()));
                static_cast<void>(written);
            }
        }
    }

    Responder m_responder;
    int m_master = -1;
    int m_slaveKeeper = -1;
    QString m_slavePath;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_requests{0};
};

// A loopback TCP listener; each connection gets requests answered by the responder.
class TcpDevice
{
public:
    explicit TcpDevice(Responder responder)
        : m_responder(std::move(responder))
    {
        std::promise<quint16> port;
        auto portFuture = port.get_future();
        m_thread = std::thread([this, &port] { run(port); });
        m_port = portFuture.get();
    }
    ~TcpDevice()
    {
        m_stop = true;
        m_thread.join();
    }
    TcpDevice(const TcpDevice&) = delete;
    TcpDevice& operator=(const TcpDevice&) = delete;

    quint16 port() const { return m_port; }
    int connectionCount() const { return m_connections.load(); }
    // True when the last connection was closed by the client.
    bool lastClosedByClient() const { return m_closedByClient.load(); }

private:
    void run(std::promise<quint16>& port)
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        port.set_value(server.serverPort());
        while (!m_stop) {
            if (!server.waitForNewConnection(10))
                continue;
            std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
            ++m_connections;
            m_closedByClient = false;
            serve(*socket);
        }
    }

    void serve(QTcpSocket& socket)
    {
        QByteArray received;
        while (!m_stop && socket.state() == QAbstractSocket::ConnectedState) {
            if (!socket.waitForReadyRead(10)) {
                if (socket.state() != QAbstractSocket::ConnectedState)
                    m_closedByClient = true;
                continue;
            }
            received.append(socket.readAll());
            const auto reply = m_responder(received);
            if (!reply)
                continue;
            received.clear();
            if (reply->delay.count() > 0)
                std::this_thread::sleep_for(reply->delay);
            if (reply->disconnect) {
                socket.abort();
                return;
            }
            socket.write(reply->bytes);
            socket.waitForBytesWritten(1000);
        }
        if (socket.state() != QAbstractSocket::ConnectedState)
            m_closedByClient = true;
    }

    Responder m_responder;
    std::thread m_thread;
    quint16 m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    std::atomic<bool> m_closedByClient{false};
};

} // namespace vostrand::comm::testing

#pragma once

#include <chrono>
#include <functional>
#include <variant>

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace vostrand::comm {

// A serial port by its system name ("/dev/ttyUSB0", a pty path, "COM7") and speed.
struct SerialEndpoint
{
    QString portName;
    qint32 baudRate = 0;

    bool operator==(const SerialEndpoint&) const = default;
};

// An Ethernet instrument or gateway.
struct TcpEndpoint
{
    QString host;
    quint16 port = 0;

    bool operator==(const TcpEndpoint&) const = default;
};

using Endpoint = std::variant<SerialEndpoint, TcpEndpoint>;

// Told everything received so far; true once the reply needs no more bytes.
using ReplyComplete = std::function<bool(const QByteArray& received)>;

struct Received
{
    QByteArray bytes;
    bool complete = false; // false: the wait ran out, the buffer filled or the link failed
};

// The one link interface every backend sits behind. Used from one thread at a time; every
// call returns within its time-out and ends as soon as an event settles it.
class Transport
{
public:
    // The receive buffer: a reply never grows past it, whatever the peer sends.
    static constexpr qsizetype kReceiveBufferSize = 1024;

    virtual ~Transport() = default;

    // Closes any previous link first. False when the endpoint is of the wrong kind or cannot
    // be opened (connected, on TCP) within `timeout`.
    virtual bool open(const Endpoint& endpoint, std::chrono::milliseconds timeout) = 0;
    virtual bool isOpen() const = 0;
    virtual void close() = 0;
    // Drops input that is already waiting, so that a reply that came too late for the last
    // request is never taken for the next one.
    virtual void discardInput() = 0;
    // False when the bytes could not all be written within `timeout`.
    virtual bool send(const QByteArray& bytes, std::chrono::milliseconds timeout) = 0;
    // Gathers input until `isComplete` holds, `timeout` passes, kReceiveBufferSize bytes are
    // in or the link fails.
    virtual Received receive(const ReplyComplete& isComplete,
                             std::chrono::milliseconds timeout) = 0;
    // The last failure, for logs.
    virtual QString errorText() const = 0;
};

} // namespace vostrand::comm

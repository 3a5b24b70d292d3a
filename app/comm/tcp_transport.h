#pragma once

#include "comm/transport.h"

#include <memory>

class QTcpSocket;

namespace vostrand::comm {

// One TCP connection per exchange: open() connects, close() ends it. The socket is made in
// open(), so it belongs to the thread that uses it.
class TcpTransport final : public Transport
{
public:
    TcpTransport();
    ~TcpTransport() override;
    TcpTransport(const TcpTransport&) = delete;
    TcpTransport& operator=(const TcpTransport&) = delete;

    // A TCP endpoint only; false when not connected within `timeout`.
    bool open(const Endpoint& endpoint, std::chrono::milliseconds timeout) override;
    bool isOpen() const override;
    void close() override;
    void discardInput() override;
    bool send(const QByteArray& bytes, std::chrono::milliseconds timeout) override;
    Received receive(const ReplyComplete& isComplete, std::chrono::milliseconds timeout) override;
    QString errorText() const override { return m_error; }

private:
    std::unique_ptr<QTcpSocket> m_socket;
    QString m_error;
};

} // namespace vostrand::comm

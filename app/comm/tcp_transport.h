#pragma once

#include "comm/transport.h"

#include <cstdint>

namespace vostrand::comm {

// One TCP connection per exchange: open() connects, close() ends it. A plain non-blocking
// socket waited on with poll(): an exchange is a handful of system calls and no event loop.
class TcpTransport final : public Transport
{
public:
#ifdef _WIN32
    using Handle = std::uintptr_t; // SOCKET
#else
    using Handle = int;
#endif

    TcpTransport();
    ~TcpTransport() override;
    TcpTransport(const TcpTransport&) = delete;
    TcpTransport& operator=(const TcpTransport&) = delete;

    // A TCP endpoint only (numeric IPv4 or IPv6, or a name); false when not connected
    // within `timeout`.
    bool open(const Endpoint& endpoint, std::chrono::milliseconds timeout) override;
    bool isOpen() const override;
    void close() override;
    void discardInput() override;
    bool send(const QByteArray& bytes, std::chrono::milliseconds timeout) override;
    Received receive(const ReplyComplete& isComplete, std::chrono::milliseconds timeout) override;
    QString errorText() const override
    {
        return m_error;
    }

private:
    bool connectAny(const TcpEndpoint& endpoint, std::chrono::milliseconds timeout);

    Handle m_socket;
    QString m_error;
};

} // namespace vostrand::comm

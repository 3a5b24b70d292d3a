#pragma once

#include "comm/transport.h"

#include <memory>

class QSerialPort;

namespace vostrand::comm {

// The serial line: 8 data bits, no parity, one stop bit, no flow control of any kind. Works
// on USB converters and on pseudo-terminals alike. The port object is made in open(), so it
// belongs to the thread that uses it.
class SerialTransport final : public Transport
{
public:
    SerialTransport();
    ~SerialTransport() override;
    SerialTransport(const SerialTransport&) = delete;
    SerialTransport& operator=(const SerialTransport&) = delete;

    // A serial endpoint only; the time-out is not used (opening a port does not wait).
    bool open(const Endpoint& endpoint, std::chrono::milliseconds timeout) override;
    bool isOpen() const override;
    void close() override;
    void discardInput() override;
    bool send(const QByteArray& bytes, std::chrono::milliseconds timeout) override;
    Received receive(const ReplyComplete& isComplete, std::chrono::milliseconds timeout) override;
    QString errorText() const override { return m_error; }

private:
    void noteError();

    std::unique_ptr<QSerialPort> m_port;
    QString m_error;
};

} // namespace vostrand::comm

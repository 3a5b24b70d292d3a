#include "comm/serial_transport.h"

#include "comm/io_device_wait.h"

#include <QSerialPort>

namespace vostrand::comm {

SerialTransport::SerialTransport() = default;

SerialTransport::~SerialTransport()
{
    close();
}

bool SerialTransport::open(const Endpoint& endpoint, std::chrono::milliseconds /*timeout*/)
{
    close();
    const auto* serial = std::get_if<SerialEndpoint>(&endpoint);
    if (!serial || serial->portName.isEmpty() || serial->baudRate <= 0) {
        m_error = QStringLiteral("no serial port given");
        return false;
    }
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(serial->portName);
    if (!port->open(QIODevice::ReadWrite)) {
        m_error = port->errorString();
        return false;
    }
    // Set after opening: a pseudo-terminal takes the settings only once it is open.
    const bool configured =
        port->setBaudRate(serial->baudRate) && port->setDataBits(QSerialPort::Data8) &&
        port->setParity(QSerialPort::NoParity) && port->setStopBits(QSerialPort::OneStop) &&
        port->setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        m_error = port->errorString();
        port->close();
        return false;
    }
    m_port = std::move(port);
    m_error.clear();
    return true;
}

bool SerialTransport::isOpen() const
{
    return m_port && m_port->isOpen();
}

void SerialTransport::close()
{
    if (m_port && m_port->isOpen())
        m_port->close();
    m_port.reset();
}

void SerialTransport::discardInput()
{
    if (!isOpen())
        return;
    // Bytes already in the port's buffer, then whatever the driver still holds.
    IoDeviceWait::drain(*m_port);
    m_port->clear(QSerialPort::Input);
}

bool SerialTransport::send(const QByteArray& bytes, std::chrono::milliseconds timeout)
{
    if (!isOpen())
        return false;
    const bool sent = IoDeviceWait::sendAll(*m_port, bytes, timeout);
    // A vanished device (unplugged converter, closed pty) shows as a resource error.
    const bool lost = m_port->error() == QSerialPort::ResourceError;
    if (!sent || m_port->error() != QSerialPort::NoError)
        noteError();
    return sent && !lost;
}

Received SerialTransport::receive(const ReplyComplete& isComplete,
                                  std::chrono::milliseconds timeout)
{
    if (!isOpen())
        return {};
    return IoDeviceWait::receive(*m_port, isComplete, timeout);
}

void SerialTransport::noteError()
{
    m_error = m_port->errorString();
    m_port->clearError();
}

} // namespace vostrand::comm

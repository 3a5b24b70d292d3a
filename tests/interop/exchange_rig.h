// Our side of a link as the program builds it: real serial and TCP transports under a Bus on
// the calling thread, the Modbus exchanges with the built helper library for Modbus TCP, and
// the maker's exchange. The pause after replies is recorded instead of slept.
#pragma once

#include "comm/bus.h"
#include "comm/maker_exchange.h"
#include "comm/modbus_exchanges.h"
#include "comm/serial_transport.h"
#include "comm/tcp_transport.h"
#include "core/device_table.h"
#include "core/helper_library.h"
#include "test_application.h"
#include "test_links.h"

#include <chrono>
#include <memory>
#include <vector>

#include <QCoreApplication>
#include <QDir>

namespace vostrand::interop {

using testing_links::isSerial;
using testing_links::Link;
using testing_links::linkName;
using testing_links::protocolCode;

using vostrand::testing_support::ensureApplication;

class ExchangeRig
{
public:
    static QString builtHelperLibrary()
    {
        return QDir(QStringLiteral(VOSTRAND_TEST_BIN_DIR))
            .filePath(QStringLiteral("libvostrand_lib.so"));
    }

    explicit ExchangeRig(comm::ExchangeTiming timing, QString helperLibrary = builtHelperLibrary())
        : m_library(QStringList{std::move(helperLibrary)})
        , m_bus(std::make_unique<comm::SerialTransport>(), std::make_unique<comm::TcpTransport>())
        , m_exchanges(m_bus, m_devices,
                      [this](const QByteArray& ascii, int transaction, QByteArray& frame) {
                          return m_library.convertModbusAsciiToTcp(ascii, transaction, frame);
                      })
        , m_maker(m_bus)
    {
        m_bus.setTiming(timing);
        m_bus.setPauser([this](std::chrono::milliseconds pause) { m_pauses.push_back(pause); });
    }

    bool helperLoaded() const { return m_library.isLoaded(); }

    // Lists device `netAdress` on the serial line at `port` and selects that port.
    bool listSerialDevice(const QString& netAdress, Link link, const QString& port, qint32 baud)
    {
        core::DeviceRecord device = record(netAdress, link);
        device.Port = port;
        device.BaudRate = QString::number(baud);
        m_devices.append(std::move(device));
        return m_bus.selectPort({port, baud});
    }

    void listTcpDevice(const QString& netAdress, Link link, quint16 port)
    {
        core::DeviceRecord device = record(netAdress, link);
        device.YesRJ45 = true;
        device.IP = QStringLiteral("127.0.0.1");
        device.IPPort = QString::number(port);
        m_devices.append(std::move(device));
    }

    comm::Bus& bus() { return m_bus; }
    comm::ModbusExchanges& exchanges() { return m_exchanges; }
    comm::MakerExchange& maker() { return m_maker; }
    const std::vector<std::chrono::milliseconds>& pauses() const { return m_pauses; }

private:
    static core::DeviceRecord record(const QString& netAdress, Link link)
    {
        core::DeviceRecord device;
        device.NetAdress = netAdress;
        device.Modbus = protocolCode(link);
        device.Canals = 8;
        return device;
    }

    core::HelperLibrary m_library;
    core::DeviceTable m_devices;
    comm::Bus m_bus;
    comm::ModbusExchanges m_exchanges;
    comm::MakerExchange m_maker;
    std::vector<std::chrono::milliseconds> m_pauses;
};

} // namespace vostrand::interop

#pragma once

#include "comm/exchange_results.h"
#include "comm/modbus_codec.h"
#include "comm/transport.h"

#include <cstdint>
#include <optional>

#include <QDateTime>
#include <QStringView>

namespace vostrand::core {
class DeviceTable;
}

namespace vostrand::comm {

class Bus;

// The Modbus exchanges of the program, each one request and its reply on the device's link:
// ASCII or RTU on the serial line, or ASCII, RTU or Modbus TCP over a connection of its own.
// Devices are found by `NetAdress`; a device that is not listed (identification) goes on the
// serial line in the Bus's identification protocol. Each exchange pauses afterwards for its
// share of the delay after reply. Bus thread only; the device table lives there too.
class ModbusExchanges
{
public:
    // How much of the delay after reply a read of N registers pauses for.
    enum class DelayShare
    {
        Full,
        Third,
    };

    ModbusExchanges(Bus& bus, const core::DeviceTable& devices, AsciiToTcpConverter convert);

    // A polled block (signals, setpoints, power) of device `deviceIndex`; no pause, the
    // polling pass pauses itself. A closed port that will not open sends nothing.
    BlockReply ReadRegisterBlock(int deviceIndex, int count, int firstRegister);
    // N registers for the dialogs (archives, identification, search).
    BlockReply ReadRegisters(QStringView netAdress, int firstRegister, int count,
                             DelayShare share = DelayShare::Full);
    // Register channel × 0x400 + base.
    RegisterReply ReadRegister(QStringView netAdress, int channel, int base);
    TwoRegistersReply ReadTwoRegisters(QStringView netAdress, int firstRegister);
    DateTimeReply ReadDateTime(QStringView netAdress, int firstRegister);
    // Writes register channel × 0x400 + base; the check sum of the echo is not checked.
    WriteReply WriteRegister(QStringView netAdress, int channel, int base, quint16 value);
    // The device clock from `firstRegister`; `No_time` on the status bar when it fails.
    ClockWriteReply WriteSixRegisters(QStringView netAdress, int firstRegister,
                                      const QDateTime& dateTime);

    // Identification over TCP of a device not listed yet: the link comes from the caller.
    // `protocol` 0 ASCII over TCP, 1 RTU over TCP, 2 Modbus TCP.
    BlockReply ReadRegistersTcp(const TcpEndpoint& endpoint, qint16 protocol, QStringView netAdress,
                                int firstRegister, int count);
    // Register 0 of the reply, without a check-sum test.
    RegisterReply ReadRegisterTcp(const TcpEndpoint& endpoint, qint16 protocol,
                                  QStringView netAdress, int reg);

private:
    struct Request
    {
        QString text;
        std::uint8_t address = 0;
        std::uint8_t function = 0;
        int firstRegister = 0;
        int count = 0;

        ExpectedReply expected() const { return {address, function, firstRegister, count}; }
    };

    // Where a request goes: the serial line in a protocol, or a TCP endpoint.
    struct Route
    {
        std::optional<TcpEndpoint> tcp;
        std::optional<qint16> protocol; // null: no framing known, nothing is sent
    };

    enum class ClosedPort
    {
        SendNothing, // the polling read: `Err_Port2` + port on panel 0
        SendAnyway,  // the others: `Err_Port2` on panel 2
    };

    Route routeOf(QStringView netAdress) const;
    Route routeOfDevice(int deviceIndex) const;
    NormalisedReply transfer(const Request& request, const Route& route, int serialWaitFactor,
                             ClosedPort closedPort);
    NormalisedReply serialAscii(const Request& request, int waitFactor);
    NormalisedReply serialRtu(const Request& request);
    NormalisedReply tcpAscii(const Request& request, const TcpEndpoint& endpoint);
    NormalisedReply tcpRtu(const Request& request, const TcpEndpoint& endpoint);
    NormalisedReply modbusTcp(const Request& request, const TcpEndpoint& endpoint);
    BlockReply readBlock(QStringView netAdress, const Route& route, int firstRegister, int count,
                         int serialWaitFactor);
    void pauseShare(int numerator, int denominator);

    static std::optional<Request> readRequest(QStringView netAdress, int firstRegister, int count);

    Bus& m_bus;
    const core::DeviceTable& m_devices;
    AsciiToTcpConverter m_convert;
};

} // namespace vostrand::comm

#include "comm/modbus_exchanges.h"

#include "comm/bus.h"
#include "comm/serial_framing.h"
#include "core/device_table.h"

namespace vostrand::comm {

namespace {

using core::ExchangeStatus;

constexpr std::uint8_t kReadHolding = 0x03;
constexpr std::uint8_t kWriteSingle = 0x06;
constexpr std::uint8_t kWriteMultiple = 0x10;
constexpr qint16 kAscii = 0;
constexpr qint16 kRtu = 1;
constexpr qint16 kModbusTcp = 2;
constexpr qint16 kMaker = 3;
constexpr int kSixRegisters = 6;
constexpr int kYearBase = 2000;

// Serial waits, in reply time-outs.
constexpr int kShortWait = 3;
constexpr int kLongWait = 5;

NormalisedReply noReply()
{
    return {QString(), ExchangeStatus::NoReply};
}

std::optional<TcpEndpoint> tcpEndpointOf(const core::DeviceRecord& device)
{
    if (!device.YesRJ45)
        return std::nullopt;
    bool ok = false;
    const quint16 port = device.IPPort.trimmed().toUShort(&ok);
    return TcpEndpoint{device.IP.trimmed(), ok ? port : quint16(0)};
}

// Status and value of register `k` for reads that check the reply like a polled block.
std::optional<quint16> checkedRegister(const NormalisedReply& reply, ExchangeStatus& status, int k)
{
    status = ModbusCodec::blockStatus(reply);
    if (status != ExchangeStatus::Good)
        return std::nullopt;
    const auto value = ModbusCodec::registerValue(reply.text, k);
    if (!value)
        status = ExchangeStatus::NoReply;
    return value;
}

bool isException(QStringView reply)
{
    const auto function = ModbusCodec::functionCode(reply);
    return function && *function > 0x7F;
}

} // namespace

ModbusExchanges::ModbusExchanges(Bus& bus, const core::DeviceTable& devices,
                                 AsciiToTcpConverter convert)
    : m_bus(bus)
    , m_devices(devices)
    , m_convert(std::move(convert))
{}

BlockReply ModbusExchanges::ReadRegisterBlock(int deviceIndex, int count, int firstRegister)
{
    if (!m_devices.isValidIndex(deviceIndex))
        return {};
    const core::DeviceRecord& device = m_devices.at(deviceIndex);
    const auto request = readRequest(device.NetAdress, firstRegister, count);
    if (!request)
        return {};
    const NormalisedReply reply =
        transfer(*request, routeOfDevice(deviceIndex), kShortWait, ClosedPort::SendNothing);
    return {ModbusCodec::blockStatus(reply), reply.text};
}

BlockReply ModbusExchanges::ReadRegisters(QStringView netAdress, int firstRegister, int count,
                                          DelayShare share)
{
    const BlockReply block =
        readBlock(netAdress, routeOf(netAdress), firstRegister, count, kLongWait);
    pauseShare(1, share == DelayShare::Full ? 1 : 3);
    return block;
}

RegisterReply ModbusExchanges::ReadRegister(QStringView netAdress, int channel, int base)
{
    RegisterReply result;
    if (const auto request =
            readRequest(netAdress, ModbusCodec::channelRegister(channel, base), 1)) {
        const NormalisedReply reply =
            transfer(*request, routeOf(netAdress), kShortWait, ClosedPort::SendAnyway);
        result.value = checkedRegister(reply, result.status, 0);
    }
    pauseShare(1, 2);
    return result;
}

TwoRegistersReply ModbusExchanges::ReadTwoRegisters(QStringView netAdress, int firstRegister)
{
    TwoRegistersReply result;
    if (const auto request = readRequest(netAdress, firstRegister, 2)) {
        const NormalisedReply reply =
            transfer(*request, routeOf(netAdress), kShortWait, ClosedPort::SendAnyway);
        const auto first = checkedRegister(reply, result.status, 0);
        const auto second = first ? checkedRegister(reply, result.status, 1) : std::nullopt;
        if (first && second)
            result.values = std::array<quint16, 2>{*first, *second};
    }
    pauseShare(1, 2);
    return result;
}

DateTimeReply ModbusExchanges::ReadDateTime(QStringView netAdress, int firstRegister)
{
    DateTimeReply result;
    if (const auto request = readRequest(netAdress, firstRegister, kSixRegisters)) {
        const NormalisedReply reply =
            transfer(*request, routeOf(netAdress), kShortWait, ClosedPort::SendAnyway);
        std::array<int, kSixRegisters> fields{};
        bool complete = true;
        for (int k = 0; k < kSixRegisters && complete; ++k) {
            const auto value = checkedRegister(reply, result.status, k);
            complete = value.has_value();
            fields[static_cast<std::size_t>(k)] = value.value_or(0);
        }
        const QDateTime dateTime(QDate(kYearBase + fields[0], fields[1], fields[2]),
                                 QTime(fields[3], fields[4], fields[5]));
        if (complete && dateTime.isValid())
            result.dateTime = dateTime;
    }
    pauseShare(1, 2);
    return result;
}

WriteReply ModbusExchanges::WriteRegister(QStringView netAdress, int channel, int base,
                                          quint16 value)
{
    WriteReply result;
    const auto address = ModbusCodec::parseAddress(netAdress);
    if (address) {
        const int reg = ModbusCodec::channelRegister(channel, base);
        const Request request{ModbusCodec::writeRegisterRequest(*address, reg, value), *address,
                              kWriteSingle, reg, 1};
        const NormalisedReply reply =
            transfer(request, routeOf(netAdress), kShortWait, ClosedPort::SendAnyway);
        result.exception = isException(reply.text);
        if (!reply.text.isEmpty() && !result.exception)
            result.echoed = ModbusCodec::echoedValue(reply.text);
        result.written = result.echoed.has_value();
        if (result.exception)
            result.status = ExchangeStatus::Exception;
        else if (reply.text.isEmpty())
            result.status = reply.status;
        else
            result.status = result.written ? ExchangeStatus::Good : ExchangeStatus::NoReply;
    }
    pauseShare(1, 2);
    return result;
}

ClockWriteReply ModbusExchanges::WriteSixRegisters(QStringView netAdress, int firstRegister,
                                                   const QDateTime& dateTime)
{
    ClockWriteReply result;
    const auto address = ModbusCodec::parseAddress(netAdress);
    if (address && dateTime.isValid()) {
        const QDate date = dateTime.date();
        const QTime time = dateTime.time();
        const std::array<int, kSixRegisters> values{
            date.year() - kYearBase, date.month(), date.day(), time.hour(),
            time.minute(),           time.second()};
        const Request request{
            ModbusCodec::writeSixRegistersRequest(*address, firstRegister, values), *address,
            kWriteMultiple, firstRegister, kSixRegisters};
        const NormalisedReply reply =
            transfer(request, routeOf(netAdress), kLongWait, ClosedPort::SendAnyway);
        // An exception is the device refusing the clock, not a clock written.
        const bool exception = isException(reply.text);
        result.written = !reply.text.isEmpty() && !exception;
        result.status = exception        ? ExchangeStatus::Exception
                        : result.written ? ExchangeStatus::Good
                                         : reply.status;
    }
    if (!result.written)
        m_bus.showStatus(StatusPanel::Panel0, m_bus.texts().noTime);
    pauseShare(1, 1);
    return result;
}

BlockReply ModbusExchanges::ReadRegistersTcp(const TcpEndpoint& endpoint, qint16 protocol,
                                             QStringView netAdress, int firstRegister, int count)
{
    const BlockReply block =
        readBlock(netAdress, Route{endpoint, protocol}, firstRegister, count, kLongWait);
    pauseShare(1, 1);
    return block;
}

RegisterReply ModbusExchanges::ReadRegisterTcp(const TcpEndpoint& endpoint, qint16 protocol,
                                               QStringView netAdress, int reg)
{
    RegisterReply result;
    if (const auto request = readRequest(netAdress, reg, 1)) {
        const NormalisedReply reply =
            transfer(*request, Route{endpoint, protocol}, kShortWait, ClosedPort::SendAnyway);
        if (isException(reply.text)) {
            result.status = ExchangeStatus::Exception;
        } else if (!reply.text.isEmpty()) {
            result.value = ModbusCodec::registerValue(reply.text, 0);
            result.status = result.value ? ExchangeStatus::Good : ExchangeStatus::NoReply;
        } else {
            result.status = reply.status;
        }
    }
    pauseShare(1, 2);
    return result;
}

ModbusExchanges::Route ModbusExchanges::routeOf(QStringView netAdress) const
{
    if (const auto index = m_devices.FindDeviceByAddress(netAdress))
        return routeOfDevice(*index);
    return Route{std::nullopt, m_bus.identificationProtocol()};
}

ModbusExchanges::Route ModbusExchanges::routeOfDevice(int deviceIndex) const
{
    const core::DeviceRecord& device = m_devices.at(deviceIndex);
    if (auto tcp = tcpEndpointOf(device))
        return Route{std::move(tcp), device.Modbus};
    // On the serial line identification mode outranks the record.
    return Route{std::nullopt, m_bus.identificationProtocol().value_or(device.Modbus)};
}

NormalisedReply ModbusExchanges::transfer(const Request& request, const Route& route,
                                          int serialWaitFactor, ClosedPort closedPort)
{
    if (!route.protocol)
        return noReply();
    if (route.tcp) {
        switch (*route.protocol) {
        case kAscii:
            return tcpAscii(request, *route.tcp);
        case kRtu:
            return tcpRtu(request, *route.tcp);
        case kModbusTcp:
            return modbusTcp(request, *route.tcp);
        default:
            return noReply();
        }
    }
    if (*route.protocol != kAscii && *route.protocol != kRtu && *route.protocol != kMaker)
        return noReply();
    if (!m_bus.openSerialIfClosed()) {
        const QString& text = m_bus.texts().errPort2;
        if (closedPort == ClosedPort::SendNothing) {
            m_bus.showStatus(StatusPanel::Panel0,
                             text + QLatin1Char(' ') + m_bus.serialEndpoint().portName);
            return noReply();
        }
        m_bus.showStatus(StatusPanel::Panel2, text);
    }
    return *route.protocol == kRtu ? serialRtu(request) : serialAscii(request, serialWaitFactor);
}

NormalisedReply ModbusExchanges::serialAscii(const Request& request, int waitFactor)
{
    const ExpectedReply expected = request.expected();
    const auto packetOf = [&expected](const QByteArray& received) {
        return SerialFraming::asciiPacket(received, expected);
    };
    const LinkReply link = m_bus.serialExchange(
        ModbusCodec::asciiFrame(request.text),
        [&packetOf](const QByteArray& received) { return packetOf(received).has_value(); },
        m_bus.timing().replyTimeout * waitFactor);
    const auto packet = packetOf(link.bytes);
    return packet ? ModbusCodec::fromAsciiPacket(*packet) : noReply();
}

NormalisedReply ModbusExchanges::serialRtu(const Request& request)
{
    const auto rtu = ModbusCodec::rtuRequest(request.text);
    if (!rtu)
        return noReply();
    const int factor = Bus::rtuWaitFactor(m_bus.serialEndpoint().baudRate);
    const ExpectedReply expected = request.expected();
    const LinkReply link = m_bus.serialExchange(
        rtu->frame,
        [&expected](const QByteArray& received) {
            return ModbusCodec::rtuReplyComplete(received, expected);
        },
        m_bus.timing().replyTimeout * factor);
    return ModbusCodec::fromRtu(link.bytes, expected);
}

NormalisedReply ModbusExchanges::tcpAscii(const Request& request, const TcpEndpoint& endpoint)
{
    // The line is sent with a line end of its own after the frame's.
    const QByteArray frame = ModbusCodec::asciiFrame(request.text) + "\r\n";
    const LinkReply link = m_bus.tcpExchange(endpoint, frame, [](const QByteArray& received) {
        return SerialFraming::line(received).has_value();
    });
    const auto line = SerialFraming::line(link.bytes);
    return line ? ModbusCodec::fromAsciiLine(QString::fromLatin1(*line)) : noReply();
}

NormalisedReply ModbusExchanges::tcpRtu(const Request& request, const TcpEndpoint& endpoint)
{
    const auto rtu = ModbusCodec::rtuRequest(request.text);
    if (!rtu)
        return noReply();
    const ExpectedReply expected = request.expected();
    const LinkReply link =
        m_bus.tcpExchange(endpoint, rtu->frame, [&expected](const QByteArray& received) {
            return ModbusCodec::rtuReplyComplete(received, expected);
        });
    return ModbusCodec::fromRtu(link.bytes, expected);
}

NormalisedReply ModbusExchanges::modbusTcp(const Request& request, const TcpEndpoint& endpoint)
{
    const TcpFrameResult frame = ModbusCodec::modbusTcpFrame(request.text, m_convert);
    if (!frame.ok()) {
        if (!frame.message.isEmpty())
            m_bus.showMessage(frame.message);
        return noReply();
    }
    // The header says how long the reply is, so the wait ends on the last byte; a frame cut
    // short, or one answering another request, is no reply.
    const LinkReply link = m_bus.tcpExchange(endpoint, frame.frame, [](const QByteArray& received) {
        return ModbusCodec::modbusTcpReplyComplete(received);
    });
    return ModbusCodec::fromModbusTcp(link.bytes, frame.frame);
}

BlockReply ModbusExchanges::readBlock(QStringView netAdress, const Route& route, int firstRegister,
                                      int count, int serialWaitFactor)
{
    const auto request = readRequest(netAdress, firstRegister, count);
    if (!request)
        return {};
    const NormalisedReply reply =
        transfer(*request, route, serialWaitFactor, ClosedPort::SendAnyway);
    return {ModbusCodec::blockStatus(reply), reply.text};
}

void ModbusExchanges::pauseShare(int numerator, int denominator)
{
    m_bus.pause(m_bus.timing().delayAfterReply * numerator / denominator);
}

std::optional<ModbusExchanges::Request> ModbusExchanges::readRequest(QStringView netAdress,
                                                                     int firstRegister, int count)
{
    const auto address = ModbusCodec::parseAddress(netAdress);
    if (!address)
        return std::nullopt;
    return Request{ModbusCodec::readRequest(*address, kReadHolding, firstRegister, count), *address,
                   kReadHolding, firstRegister, count};
}

} // namespace vostrand::comm

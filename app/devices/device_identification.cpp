#include "devices/device_identification.h"

#include "comm/bus.h"
#include "comm/bus_job.h"
#include "comm/maker_exchange.h"
#include "comm/maker_protocol.h"
#include "comm/modbus_exchanges.h"
#include "core/device_record.h"
#include "core/text_codec.h"

#include <array>
#include <cmath>

namespace vostrand::devices {

namespace {

constexpr int kMaxChannels = static_cast<int>(core::DeviceRecord::kMaxChannels);
constexpr quint16 kValidWordBits = 0x8001;

// Sets the identification mode for one stage and clears it afterwards, so that a polling
// pass between two stages frames its requests by the device records again.
class IdentificationMode
{
public:
    IdentificationMode(comm::Bus& bus, qint16 protocol)
        : m_bus(bus)
    {
        m_bus.setIdentificationProtocol(protocol);
    }
    ~IdentificationMode() { m_bus.setIdentificationProtocol(std::nullopt); }
    IdentificationMode(const IdentificationMode&) = delete;
    IdentificationMode& operator=(const IdentificationMode&) = delete;

private:
    comm::Bus& m_bus;
};

// The hex digits at `position` (counted from 1) of a normalised reply.
std::optional<uint> hexField(QStringView reply, int position, int length)
{
    const qsizetype at = position - 1;
    if (at + length > reply.size())
        return std::nullopt;
    bool ok = false;
    const uint value = reply.mid(at, length).toUInt(&ok, 16);
    return ok ? std::optional<uint>(value) : std::nullopt;
}

} // namespace

DeviceIdentification::DeviceIdentification(DeviceRequest request, int serviceZone,
                                           comm::AsciiToTcpConverter convert)
    : m_request(std::move(request))
    , m_serviceZone(serviceZone)
    , m_convert(std::move(convert))
{}

const IdentificationResult& DeviceIdentification::run(comm::Bus& bus)
{
    for (const Stage stage : kStages) {
        if (!runStage(stage, bus))
            break;
    }
    return m_result;
}

std::shared_ptr<comm::BusJob>
DeviceIdentification::makeJob(std::shared_ptr<DeviceIdentification> self)
{
    auto job = std::make_shared<comm::BusJob>(comm::BusJob::Kind::Long,
                                              QStringLiteral("device identification"));
    for (const Stage stage : kStages) {
        job->addStep([self, stage](comm::Bus& bus) { return self->runStage(stage, bus); });
    }
    return job;
}

bool DeviceIdentification::runStage(Stage stage, comm::Bus& bus)
{
    if (stage == Stage::Link)
        return openLink(bus);
    if (!serialPortReady(bus))
        return false;
    const IdentificationMode mode(bus, m_request.protocol);
    switch (stage) {
    case Stage::Link:
        break;
    case Stage::ChannelCount:
        return readChannelCount(bus);
    case Stage::Model:
        readModel(bus);
        break;
    case Stage::Configuration:
        readConfiguration(bus);
        break;
    case Stage::Descriptors:
        readDescriptors(bus);
        break;
    case Stage::Maker:
        askMaker(bus);
        break;
    }
    return true;
}

bool DeviceIdentification::openLink(comm::Bus& bus)
{
    m_result = IdentificationResult{};
    if (m_request.isMath() || !DeviceRequest::protocolFits(m_request.link, m_request.protocol))
        return false;
    if (m_request.link == DeviceLink::Tcp)
        return true; // each request connects on its own
    if (!bus.selectPort(m_request.serial)) {
        m_result.outcome = IdentificationOutcome::PortUnavailable;
        return false;
    }
    return true;
}

bool DeviceIdentification::serialPortReady(comm::Bus& bus)
{
    // A polling pass between two stages may have selected another port.
    if (m_request.link != DeviceLink::Serial || bus.serialEndpoint() == m_request.serial)
        return true;
    if (bus.selectPort(m_request.serial))
        return true;
    m_result = IdentificationResult{};
    m_result.outcome = IdentificationOutcome::PortUnavailable;
    return false;
}

bool DeviceIdentification::readChannelCount(comm::Bus& bus)
{
    if (!usesModbus())
        return true;
    const quint16 count = readOne(bus, kChannelCountRegister).value_or(kNoAnswer);
    if (count == kNoAnswer)
        return false; // no Modbus answer: the device does not answer at all
    m_result.outcome = IdentificationOutcome::Identified;
    m_result.channelCount = count;
    return true;
}

void DeviceIdentification::readModel(comm::Bus& bus)
{
    if (!modbusAnswered())
        return;
    const comm::BlockReply block = readMany(bus, kModelRegister, kModelRegisterCount);
    // A reply that failed its check could only give a garbled name.
    m_result.model = block.good() ? modelText(block.reply) : QString();
}

void DeviceIdentification::readConfiguration(comm::Bus& bus)
{
    if (!modbusAnswered())
        return;
    m_result.descriptorSupport = hasDescriptorSupport(readOne(bus, kDescriptorSupportRegister));
    m_result.configurationWord = readOne(bus, kConfigurationWordRegister);
    m_result.layout = layoutOf(m_result.configurationWord);
}

void DeviceIdentification::readDescriptors(comm::Bus& bus)
{
    // A device claiming more channels than a device can have is refused when it is added;
    // asking it for thousands of descriptors first would only block the line.
    if (!modbusAnswered() || !m_result.descriptorSupport || m_result.channelCount > kMaxChannels)
        return;
    m_result.descriptors.clear();
    for (int channel = 0; channel < m_result.channelCount; ++channel) {
        const comm::BlockReply block =
            readMany(bus, comm::ModbusCodec::channelRegister(channel, kDescriptorRegister), 2);
        m_result.descriptors.push_back(block.good()
                                           ? descriptorOf(channel, block.reply, m_serviceZone)
                                           : unknownDescriptor(channel));
    }
}

void DeviceIdentification::askMaker(comm::Bus& bus)
{
    if (usesModbus())
        return;
    comm::MakerExchange exchange(bus);
    const comm::MakerReply reply =
        exchange.Exchange(m_request.netAdress(), QChar(comm::MakerProtocol::kCurrentValues),
                          /*overTcp=*/false);
    const auto count = reply.status == core::ExchangeStatus::Good
                           ? makerChannelCount(reply.reply, m_request.address)
                           : std::nullopt;
    if (!count)
        return;
    m_result.outcome = IdentificationOutcome::Identified;
    m_result.channelCount = *count;
}

std::optional<quint16> DeviceIdentification::readOne(comm::Bus& bus, int reg)
{
    comm::ModbusExchanges exchanges(bus, m_unlisted, m_convert);
    const QString netAdress = m_request.netAdress();
    if (m_request.link == DeviceLink::Tcp)
        return exchanges.ReadRegisterTcp(m_request.tcp, m_request.protocol, netAdress, reg).value;
    return exchanges.ReadRegister(netAdress, 0, reg).value;
}

comm::BlockReply DeviceIdentification::readMany(comm::Bus& bus, int firstRegister, int count)
{
    comm::ModbusExchanges exchanges(bus, m_unlisted, m_convert);
    const QString netAdress = m_request.netAdress();
    if (m_request.link == DeviceLink::Tcp)
        return exchanges.ReadRegistersTcp(m_request.tcp, m_request.protocol, netAdress,
                                          firstRegister, count);
    return exchanges.ReadRegisters(netAdress, firstRegister, count);
}

QString DeviceIdentification::modelText(QStringView reply)
{
    constexpr int kFirstRegister = 7; // position of register 0, counted from 1
    constexpr int kTail = 6;
    QByteArray bytes;
    for (int position = kFirstRegister; position < reply.size() - kTail; position += 4) {
        const auto value = hexField(reply, position, 4);
        if (!value || *value == 0)
            break;
        bytes.append(static_cast<char>(*value & 0xFF));
        bytes.append(static_cast<char>(*value >> 8));
    }
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    return core::TextCodec::decode(bytes);
}

RegulatorLayout DeviceIdentification::layoutOf(std::optional<quint16> configurationWord)
{
    if (!configurationWord || (*configurationWord & kValidWordBits) != kValidWordBits)
        return {};
    const quint16 word = *configurationWord;
    RegulatorLayout layout;
    layout.Regtype = static_cast<qint16>((word & 0x6000) >> 13);
    layout.Prcount = (word & 0x0002) != 0 ? 80 : 20;
    layout.Prtype = static_cast<qint16>((word & 0x000C) >> 2);
    layout.Sttype = static_cast<qint16>((word >> 4) & 1);
    layout.Pidtype = static_cast<qint16>((word >> 6) & 1);
    return layout;
}

bool DeviceIdentification::hasDescriptorSupport(std::optional<quint16> value)
{
    return value == 0xF000 || value == 0xF001;
}

ChannelDescriptor DeviceIdentification::descriptorOf(int channel, QStringView reply,
                                                     int serviceZone)
{
    const auto first = hexField(reply, 7, 4);
    if (first && *first >= static_cast<uint>(serviceZone))
        return unknownDescriptor(channel);
    ChannelDescriptor descriptor;
    descriptor.can = static_cast<qint16>(channel);
    descriptor.unitCode = static_cast<int>(hexField(reply, 9, 2).value_or(0));
    descriptor.dataType = static_cast<quint8>(hexField(reply, 11, 2).value_or(1));
    const auto decimals = hexField(reply, 13, 2);
    descriptor.scale =
        decimals ? std::pow(10.0f, -static_cast<float>(*decimals)) : ChannelDescriptor{}.scale;
    return descriptor;
}

ChannelDescriptor DeviceIdentification::unknownDescriptor(int channel)
{
    ChannelDescriptor descriptor;
    descriptor.can = static_cast<qint16>(channel);
    return descriptor;
}

std::optional<int> DeviceIdentification::makerChannelCount(QStringView reply, int address)
{
    // Two digits for 1..99 as the request carries them; 100 and up have three.
    const QString prefix = QStringLiteral("%1+").arg(address, 2, 10, QLatin1Char('0'));
    if (!reply.startsWith(prefix))
        return std::nullopt;
    return comm::MakerProtocol::channelCount(reply);
}

} // namespace vostrand::devices

#include "acquisition/bus_poll_exchanges.h"

namespace vostrand::acquisition {

BusPollExchanges::BusPollExchanges(comm::Bus& bus, const core::DeviceTable& devices,
                                   comm::AsciiToTcpConverter convert)
    : m_bus(bus)
    , m_modbus(bus, devices, std::move(convert))
    , m_maker(bus)
{}

std::optional<comm::PortSummary> BusPollExchanges::endOfPass()
{
    std::optional<comm::PortSummary> summary = m_bus.endOfPassSummary();
    if (m_failedPorts.empty())
        return summary;
    if (!summary) {
        summary.emplace();
        summary->panel2 = m_bus.texts().errPort;
    }
    for (const QString& port : m_failedPorts) {
        if (summary->ports.contains(port))
            continue;
        summary->panel0Suffix += QLatin1Char(' ') + port + QLatin1Char(',');
        summary->ports.append(port);
    }
    return summary;
}

void BusPollExchanges::resetPortFlags()
{
    m_bus.resetPortFlags();
    m_failedPorts.clear();
}

bool BusPollExchanges::portSelected(const comm::SerialEndpoint& endpoint) const
{
    return m_bus.serialOpen() && m_bus.serialEndpoint() == endpoint;
}

bool BusPollExchanges::selectPort(const comm::SerialEndpoint& endpoint)
{
    if (m_bus.selectPort(endpoint))
        return true;
    m_failedPorts.insert(endpoint.portName);
    return false;
}

comm::BlockReply BusPollExchanges::readBlock(int deviceIndex, int count, int firstRegister)
{
    return m_modbus.ReadRegisterBlock(deviceIndex, count, firstRegister);
}

comm::RegisterReply BusPollExchanges::readRegister(QStringView netAdress, int channel, int base)
{
    return m_modbus.ReadRegister(netAdress, channel, base);
}

comm::BlockReply BusPollExchanges::readRegisters(QStringView netAdress, int firstRegister,
                                                 int count)
{
    return m_modbus.ReadRegisters(netAdress, firstRegister, count);
}

comm::MakerReply BusPollExchanges::maker(QStringView netAdress, QChar command, bool overTcp)
{
    return m_maker.Exchange(netAdress, command, overTcp);
}

void BusPollExchanges::pauseAfterReply()
{
    m_bus.pause(m_bus.timing().delayAfterReply);
}

} // namespace vostrand::acquisition

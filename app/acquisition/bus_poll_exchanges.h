#pragma once

#include "acquisition/poll_exchanges.h"
#include "comm/maker_exchange.h"
#include "comm/modbus_exchanges.h"

#include <set>

namespace vostrand::acquisition {

// The exchanges of a pass on the real links. Bus thread only, like the Bus itself.
class BusPollExchanges : public PollExchanges
{
public:
    BusPollExchanges(comm::Bus& bus, const core::DeviceTable& devices,
                     comm::AsciiToTcpConverter convert);

    void beginPass() override { m_failedPorts.clear(); }
    std::optional<comm::PortSummary> endOfPass() override;
    void resetPortFlags() override;

    bool portSelected(const comm::SerialEndpoint& endpoint) const override;
    bool selectPort(const comm::SerialEndpoint& endpoint) override;

    comm::BlockReply readBlock(int deviceIndex, int count, int firstRegister) override;
    comm::RegisterReply readRegister(QStringView netAdress, int channel, int base) override;
    comm::BlockReply readRegisters(QStringView netAdress, int firstRegister, int count) override;
    comm::MakerReply maker(QStringView netAdress, QChar command, bool overTcp) override;
    void pauseAfterReply() override;

private:
    comm::Bus& m_bus;
    comm::ModbusExchanges m_modbus;
    comm::MakerExchange m_maker;
    // Ports whose selection failed in this pass; the Bus keeps those whose writes failed.
    std::set<QString> m_failedPorts;
};

} // namespace vostrand::acquisition

#include "comm/maker_exchange.h"

#include "comm/bus.h"
#include "comm/maker_protocol.h"
#include "comm/modbus_codec.h"
#include "comm/serial_framing.h"

namespace vostrand::comm {

namespace {

constexpr int kWaitFactor = 3;

} // namespace

MakerExchange::MakerExchange(Bus& bus)
    : m_bus(bus)
{}

MakerReply MakerExchange::Exchange(QStringView netAdress, QChar command, bool overTcp)
{
    MakerReply result;
    if (overTcp) {
        m_bus.showStatus(StatusPanel::Panel2, MakerProtocol::kNoTcp);
        return result;
    }
    const auto address = ModbusCodec::parseAddress(netAdress);
    if (!address)
        return result;
    if (!m_bus.openSerialIfClosed())
        m_bus.showStatus(StatusPanel::Panel2, m_bus.texts().errPort2);
    // The framing is passed here rather than through identification mode, so that a later
    // Modbus request is never framed as this protocol.
    const LinkReply link = m_bus.serialExchange(
        MakerProtocol::request(*address, command).toLatin1(),
        [](const QByteArray& received) { return SerialFraming::makerPacket(received).has_value(); },
        m_bus.timing().replyTimeout * kWaitFactor);
    result.reply = SerialFraming::makerPacket(link.bytes).value_or(QString());
    result.status =
        result.reply.isEmpty() ? core::ExchangeStatus::NoReply : core::ExchangeStatus::Good;
    m_bus.pause(m_bus.timing().delayAfterReply);
    return result;
}

} // namespace vostrand::comm

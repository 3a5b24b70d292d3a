// The simulated instruments on every endpoint at once: one pseudo-terminal line (ASCII, RTU and
// the maker's protocol) and a loopback listener per TCP framing. The clock stands still, so
// every register value is known in advance.
#pragma once

#include "exchange_rig.h"
#include "sim/simulator.h"
#include "sim/simulator_host.h"

#include <array>
#include <map>
#include <optional>

#include <QTemporaryDir>

namespace vostrand::interop {

class SimulatorRig
{
public:
    static constexpr int kAddress = 1;
    static constexpr int kChannels = 8;

    // Channel k reads 20.0 + 1.5 k with one decimal; its setpoint is 100 + 10 k.
    static quint16 signalRaw(int channel) { return static_cast<quint16>(200 + 15 * channel); }
    static quint16 setpointRaw(int channel) { return static_cast<quint16>(1000 + 100 * channel); }

    SimulatorRig()
        : m_host(m_simulator)
    {
        sim::InstrumentConfig config;
        config.address = kAddress;
        config.model = QStringLiteral("ТК-8");
        for (int k = 0; k < kChannels; ++k) {
            sim::ChannelConfig channel;
            channel.decimals = 1;
            channel.shape = sim::ValueShape(sim::ValueShape::Kind::Constant, 20.0 + 1.5 * k);
            channel.setpoint = 100.0 + 10.0 * k;
            config.channels.push_back(channel);
        }
        m_error = m_simulator.addInstrument(config);
        m_simulator.setClock([] { return 0.0; });
        if (!m_error)
            m_error = m_host.start(specs());
        if (!m_error)
            notePorts();
    }

    // Empty when every endpoint is up.
    const std::optional<QString>& error() const { return m_error; }
    sim::Simulator& simulator() { return m_simulator; }

    // The line's stable name (a link to the terminal).
    QString linePath() const { return m_folder.filePath(QStringLiteral("ttySIM0")); }
    quint16 port(Link link) const
    {
        const auto found = m_ports.find(link);
        return found == m_ports.end() ? quint16(0) : found->second;
    }

    // Lists the instrument in `rig` as a device on `link`.
    bool listIn(ExchangeRig& rig, Link link, qint32 baud = 115200) const
    {
        const QString netAdress = QStringLiteral("01");
        if (isSerial(link))
            return rig.listSerialDevice(netAdress, link, linePath(), baud);
        rig.listTcpDevice(netAdress, link, port(link));
        return true;
    }

private:
    std::vector<sim::EndpointSpec> specs()
    {
        sim::EndpointSpec line;
        line.kind = sim::EndpointSpec::Kind::Pty;
        line.link = linePath();
        std::vector<sim::EndpointSpec> all{line};
        for (const auto& [mode, name] :
             {std::pair{sim::FrameSplitter::Mode::Mbap, QStringLiteral("mbtcp")},
              std::pair{sim::FrameSplitter::Mode::Rtu, QStringLiteral("rtu")},
              std::pair{sim::FrameSplitter::Mode::AsciiLines, QStringLiteral("ascii")}}) {
            sim::EndpointSpec tcp;
            tcp.mode = mode;
            tcp.framingName = name;
            all.push_back(tcp);
        }
        return all;
    }

    // The endpoints come back in the order they were asked for.
    void notePorts()
    {
        const auto& open = m_host.endpoints();
        const std::array tcpLinks{Link::ModbusTcp, Link::TcpRtu, Link::TcpAscii};
        for (std::size_t k = 0; k < tcpLinks.size() && k + 1 < open.size(); ++k)
            m_ports[tcpLinks[k]] = open[k + 1].port;
    }

    QTemporaryDir m_folder;
    sim::Simulator m_simulator;
    sim::SimulatorHost m_host;
    std::optional<QString> m_error;
    std::map<Link, quint16> m_ports;
};

} // namespace vostrand::interop

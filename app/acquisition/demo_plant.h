#pragma once

#include "core/station.h"

#include <memory>
#include <optional>

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace vostrand::sim {
class Simulator;
class SimulatorHost;
} // namespace vostrand::sim

namespace vostrand::acquisition {

// `--demo`: simulated instruments in this process and a fresh configuration that polls them,
// in a temporary folder that is kept afterwards so that its data files can be looked at:
// an 8-channel controller on Modbus TCP, a 4-channel program regulator on RTU over TCP, a
// 2-channel device on the maker's protocol over a pseudo-terminal, a vacuum gauge of the
// second brand on ASCII over TCP and the math device with two formulas.
class DemoPlant
{
public:
    static constexpr int kControllerAddress = 1;
    static constexpr int kRegulatorAddress = 2;
    static constexpr int kMakerAddress = 3;
    static constexpr int kGaugeAddress = 4;
    static constexpr int kPollingPeriodS = 1;

    DemoPlant();
    ~DemoPlant();

    DemoPlant(const DemoPlant&) = delete;
    DemoPlant& operator=(const DemoPlant&) = delete;

    // Opens the endpoints and writes the configuration; the reason when that fails.
    std::optional<QString> start();

    QString folder() const { return m_root.path(); }
    QString dataFolder() const;
    QString configFolder() const;
    // The endpoints, one line each.
    QStringList endpoints() const;

    // A station configured for the plant (also saved in configFolder()).
    std::unique_ptr<core::Station> station() const;

private:
    std::unique_ptr<core::Station> makeStation() const;

    QTemporaryDir m_root;
    std::unique_ptr<sim::Simulator> m_simulator;
    std::unique_ptr<sim::SimulatorHost> m_host;
    quint16 m_modbusTcpPort = 0;
    quint16 m_rtuPort = 0;
    quint16 m_asciiPort = 0;
    QString m_ptyDevice;
};

} // namespace vostrand::acquisition

// How long a polling pass takes beyond the delays it is configured to wait: 254 simulated
// instruments of 30 channels behind one RTU-over-TCP gateway, signals, setpoints and powers
// read, with the smallest delay after reply. The reference, measured in the same run, is the
// same blocks read by bare ModbusExchanges calls without the cycle around them. Prints
// figures and the ratio; asserts nothing.
#include "acquisition/bus_poll_exchanges.h"
#include "acquisition/polling_cycle.h"
#include "comm/bus.h"
#include "comm/modbus_exchanges.h"
#include "comm/serial_transport.h"
#include "comm/tcp_transport.h"
#include "core/station.h"
#include "sim/sim_command_line.h"
#include "sim/simulator.h"
#include "sim/simulator_host.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <vector>

#include <QCoreApplication>
#include <QTemporaryDir>

namespace {

using namespace vostrand;
using Clock = std::chrono::steady_clock;

constexpr int kDevices = 254;
constexpr int kChannels = 30;
constexpr int kSensorsPerDevice = 3; // the sensor table holds 777: the blocks stay 30 wide
constexpr int kBlocksPerDevice = 3;  // signals, setpoints, powers
constexpr int kPasses = 5;
constexpr int kSmallestDelayMs = 15;

QString hexAddress(int address)
{
    return QStringLiteral("%1").arg(address, 2, 16, QLatin1Char('0')).toUpper();
}

void configure(core::Station& station, const QString& dataFolder, quint16 port)
{
    core::Settings& settings = station.settings();
    settings.set(u"DirEdit1.Text", dataFolder);
    settings.set(u"SpinEdit1.Value", kSmallestDelayMs);
    settings.set(u"PwRead", true);
    settings.set(u"SPRead", true);
    settings.set(u"RS_or_TCP", 0);
    for (int d = 0; d < kDevices; ++d) {
        core::DeviceRecord device;
        device.Name = QStringLiteral("ТК-%1").arg(d + 1);
        device.NetAdress = hexAddress(d + 1);
        device.Canals = kChannels;
        device.Modbus = 1;
        device.YesRJ45 = true;
        device.IP = QStringLiteral("127.0.0.1");
        device.IPPort = QString::number(port);
        station.devices().append(device);
        for (int c = 0; c < kSensorsPerDevice; ++c) {
            core::SensorRecord sensor;
            sensor.Aktiv = true;
            sensor.Adr = device.NetAdress;
            sensor.Can = static_cast<qint16>(c);
            sensor.Ind = static_cast<qint16>(d);
            station.sensors().append(sensor);
        }
    }
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    sim::Simulator simulator;
    for (int address = 1; address <= kDevices; ++address) {
        QString error;
        const auto config = sim::SimCommandLine::parseDevice(
            QStringLiteral("%1:%2:shape=sine,base=100,amplitude=5,period=60,sp=100,pw=50")
                .arg(address)
                .arg(kChannels),
            error);
        if (!config || simulator.addInstrument(*config)) {
            std::printf("cannot simulate instrument %d: %s\n", address, qPrintable(error));
            return 1;
        }
    }
    sim::SimulatorHost host(simulator);
    QString error;
    const auto listen =
        sim::SimCommandLine::parseListen(QStringLiteral("tcp:127.0.0.1:0:rtu"), error);
    if (!listen || host.start({*listen})) {
        std::printf("cannot listen: %s\n", qPrintable(error));
        return 1;
    }
    QTemporaryDir folder;
    core::Station station(folder.path());
    configure(station, folder.path(), host.endpoints().front().port);

    comm::Bus bus(std::make_unique<comm::SerialTransport>(),
                  std::make_unique<comm::TcpTransport>());
    bus.setTiming(comm::ExchangeTiming::fromSettings(station.settings()));
    acquisition::BusPollExchanges exchanges(bus, station.devices(), {});
    acquisition::PollingCycle cycle({station,
                                     exchanges,
                                     core::RegionalFormat::dotDecimal(),
                                     {},
                                     [] { return QDateTime::currentDateTime(); },
                                     [](std::function<void()> pass) {
                                         pass();
                                     }});
    cycle.setTimerDriven(false);
    if (cycle.start()) {
        std::printf("polling did not start\n");
        return 1;
    }

    const int exchangesPerPass = kDevices * kBlocksPerDevice;
    const double delaysPerPassMs = double(exchangesPerPass) * kSmallestDelayMs;
    std::vector<double> passBeyondUs;
    std::vector<double> bareBeyondUs;
    int failed = 0;
    comm::ModbusExchanges bare(bus, station.devices(), {});
    for (int round = 0; round < kPasses; ++round) {
        auto start = Clock::now();
        cycle.tick();
        std::chrono::duration<double, std::milli> elapsed = Clock::now() - start;
        passBeyondUs.push_back((elapsed.count() - delaysPerPassMs) * 1000.0 / exchangesPerPass);
        for (const auto& device : station.devices().records())
            failed += device.Err != 0 ? 1 : 0;

        // The reference: the same blocks and pauses without the cycle.
        start = Clock::now();
        for (int d = 0; d < kDevices; ++d) {
            for (const int first : {0x0000, 0x0030, 0x0060}) {
                failed += bare.ReadRegisterBlock(d, kChannels, first).good() ? 0 : 1;
                bus.pause(std::chrono::milliseconds(kSmallestDelayMs));
            }
        }
        elapsed = Clock::now() - start;
        bareBeyondUs.push_back((elapsed.count() - delaysPerPassMs) * 1000.0 / exchangesPerPass);
    }
    cycle.stop();

    const double pass = median(passBeyondUs);
    const double reference = median(bareBeyondUs);
    std::printf("Polling pass: %d devices x %d channels over RTU over TCP, %d exchanges, "
                "delay after reply %d ms, %d passes:\n",
                kDevices, kChannels, exchangesPerPass, kSmallestDelayMs, kPasses);
    std::printf("  pass, per exchange beyond the delays        %8.1f us (median)\n", pass);
    std::printf("  bare exchanges, per exchange beyond delays  %8.1f us (median)\n", reference);
    std::printf("  ratio pass/bare %.2f; failed exchanges %d\n",
                reference > 0 ? pass / reference : 0.0, failed);
    return 0;
}

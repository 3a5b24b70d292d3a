#include "acquisition/demo_plant.h"

#include "core/config_location.h"
#include "core/config_store.h"
#include "core/units.h"
#include "sim/sim_command_line.h"
#include "sim/simulator.h"
#include "sim/simulator_host.h"

#include <array>

#include <QDir>

namespace vostrand::acquisition {

namespace {

constexpr int kVacuumUnit = 8;

struct DemoDevice
{
    const char* simulated; // the instrument as `vostrand-sim --device` takes it
    const char* name;
    int channels;
    qint16 modbus; // 0 ASCII, 1 RTU, 2 Modbus TCP, 3 maker's protocol
    qint16 lumirex;
};

const std::array<DemoDevice, 4> kDevices{{
    {"1:8:model=Vostrand ТК-08,shape=sine,base=120/250/380/450/520/600/700/850,amplitude=5,"
     "period=120,noise=0.3,sp=125/250/375/450/525/600/700/850,pw=35/40/45/50/55/60/65/70,"
     "seed=1",
     "ТК-08", 8, 2, 0},
    {"2:4:model=Vostrand ПР-04,regtype=3,config=0xE003,shape=ramp,base=20,amplitude=880,"
     "period=600,sp=900/650/400/300,pw=75/50/25/10,seed=2",
     "ПР-04", 4, 1, 0},
    {"3:2:model=Vostrand ТП-02,shape=sine,base=300/400,amplitude=3,period=60,sp=300/400,seed=3",
     "ТП-02", 2, 3, 0},
    {"4:1:model=Lumirex ВИТ-2,lumirex=2,unit=8,decimals=0,shape=sine,base=0.005,"
     "amplitude=0.002,period=300,noise=0.0001,seed=4",
     "ВИТ-2", 1, 0, 2},
}};

const std::array<const char*, 2> kFormulas{{"(t1.1+t1.2)/2", "t1.8-t2.1"}};

QString hexAddress(int address)
{
    return QStringLiteral("%1").arg(address, 2, 16, QLatin1Char('0')).toUpper();
}

core::SensorRecord sensorOf(const QString& name, int address, int channel, int deviceIndex)
{
    core::SensorRecord sensor;
    sensor.Name = name;
    sensor.Aktiv = true;
    sensor.Adr = hexAddress(address);
    sensor.Can = static_cast<qint16>(channel);
    sensor.Ind = static_cast<qint16>(deviceIndex);
    sensor.Dimension = core::Units::text(0);
    return sensor;
}

} // namespace

DemoPlant::DemoPlant()
    : m_simulator(std::make_unique<sim::Simulator>())
{
    m_root.setAutoRemove(false);
}

DemoPlant::~DemoPlant()
{
    if (m_host)
        m_host->stop();
}

QString DemoPlant::dataFolder() const
{
    return m_root.filePath(QStringLiteral("data"));
}

QString DemoPlant::configFolder() const
{
    return m_root.filePath(QStringLiteral("config"));
}

std::optional<QString> DemoPlant::start()
{
    if (!m_root.isValid())
        return QStringLiteral("cannot create a temporary folder: ") + m_root.errorString();
    for (const DemoDevice& device : kDevices) {
        QString error;
        const auto config =
            sim::SimCommandLine::parseDevice(QString::fromUtf8(device.simulated), error);
        if (!config)
            return error;
        if (const auto refused = m_simulator->addInstrument(*config))
            return *refused;
    }
    std::vector<sim::EndpointSpec> listeners;
    const QString link = m_root.filePath(QStringLiteral("ttyDEMO"));
    for (const QString& text :
         {QStringLiteral("tcp:127.0.0.1:0:mbtcp"), QStringLiteral("tcp:127.0.0.1:0:rtu"),
          QStringLiteral("tcp:127.0.0.1:0:ascii"), QStringLiteral("pty:") + link}) {
        QString error;
        const auto listener = sim::SimCommandLine::parseListen(text, error);
        if (!listener)
            return error;
        listeners.push_back(*listener);
    }
    m_host = std::make_unique<sim::SimulatorHost>(*m_simulator);
    if (const auto error = m_host->start(listeners))
        return *error;
    const auto& open = m_host->endpoints();
    m_modbusTcpPort = open.at(0).port;
    m_rtuPort = open.at(1).port;
    m_asciiPort = open.at(2).port;
    m_ptyDevice = open.at(3).devicePath.isEmpty() ? link : open.at(3).devicePath;

    QDir().mkpath(dataFolder());
    QDir().mkpath(configFolder());
    const auto configured = makeStation();
    const core::ConfigStore store(core::ConfigLocation(configFolder()).iniFilePath());
    const core::FileResult devices = store.saveDevicesAndSensors(*configured);
    if (!devices.ok)
        return devices.fileName + QStringLiteral(": ") + devices.error;
    const core::FileResult settings = store.saveSettings(*configured);
    if (!settings.ok)
        return settings.fileName + QStringLiteral(": ") + settings.error;
    return std::nullopt;
}

QStringList DemoPlant::endpoints() const
{
    QStringList lines;
    if (m_host) {
        for (const sim::EndpointInfo& endpoint : m_host->endpoints())
            lines.append(endpoint.description);
    }
    return lines;
}

std::unique_ptr<core::Station> DemoPlant::station() const
{
    return makeStation();
}

std::unique_ptr<core::Station> DemoPlant::makeStation() const
{
    auto station = std::make_unique<core::Station>(m_root.path());
    core::Settings& settings = station->settings();
    settings.set(u"DirEdit1.Text", dataFolder());
    settings.set(u"RS_or_TCP", 0);
    settings.set(u"SpinEdit4G.Value", kPollingPeriodS);
    settings.set(u"PwRead", true);
    settings.set(u"CheckBox31", true);

    const std::array<quint16, 4> ports{m_modbusTcpPort, m_rtuPort, 0, m_asciiPort};
    for (std::size_t d = 0; d < kDevices.size(); ++d) {
        const DemoDevice& demo = kDevices[d];
        const int address = static_cast<int>(d) + 1;
        core::DeviceRecord device;
        device.Name = QString::fromUtf8(demo.name);
        device.NetAdress = hexAddress(address);
        device.Canals = static_cast<qint16>(demo.channels);
        device.Modbus = demo.modbus;
        device.Lumirex = demo.lumirex;
        device.Regtype = address == kRegulatorAddress ? core::DeviceRecord::kProgramRegulator : 0;
        if (demo.modbus == 3) {
            device.Port = m_ptyDevice;
            device.BaudRate = QStringLiteral("9600");
        } else {
            device.YesRJ45 = true;
            device.IP = QStringLiteral("127.0.0.1");
            device.IPPort = QString::number(ports[d]);
        }
        station->devices().append(device);
        for (int c = 0; c < demo.channels; ++c) {
            core::SensorRecord sensor =
                sensorOf(QStringLiteral("%1 к%2").arg(device.Name).arg(c + 1), address, c,
                         static_cast<int>(d));
            if (address == kGaugeAddress)
                sensor.Dimension = core::Units::text(kVacuumUnit);
            station->sensors().append(sensor);
        }
    }
    core::DeviceRecord math;
    math.Name = QStringLiteral("Расчет");
    math.NetAdress = QStringLiteral("FF");
    math.Canals = static_cast<qint16>(kFormulas.size());
    math.YesRJ45 = true;
    station->devices().append(math);
    const int mathIndex = station->devices().Devcount() - 1;
    for (std::size_t f = 0; f < kFormulas.size(); ++f)
        station->sensors().append(
            sensorOf(QString::fromUtf8(kFormulas[f]), 255, static_cast<int>(f), mathIndex));
    return station;
}

} // namespace vostrand::acquisition

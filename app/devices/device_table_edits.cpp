#include "devices/device_table_edits.h"

#include "core/date_time.h"
#include "core/lang.h"
#include "core/station.h"
#include "devices/device_parameter_file.h"

#include <algorithm>

namespace vostrand::devices {

namespace {

const QString kDefaultUnits = QStringLiteral("°C");
const QString kLumirexUnits = QStringLiteral("мм.рт.ст.");
const QString kDefaultBaudRate = QStringLiteral("9600");
const QString kDefaultIp = QStringLiteral("192.168.1.4");
const QString kDefaultIpPort = QStringLiteral("502");
constexpr qint16 kServiceZone = 32000;
constexpr int kMaxChannels = static_cast<int>(core::DeviceRecord::kMaxChannels);

std::optional<int> addressOf(QStringView netAdress)
{
    bool ok = false;
    const int value = netAdress.toInt(&ok, 16);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// What a fresh sensor is before a survivor's record or a descriptor fills it in.
core::SensorRecord freshSensor(const QString& name, const QString& netAdress, int channel,
                               int deviceIndex, int period)
{
    core::SensorRecord sensor;
    sensor.Name = name;
    sensor.Aktiv = true;
    sensor.Adr = netAdress;
    sensor.Protocol = 1;
    sensor.Dimension = kDefaultUnits;
    sensor.CanType = 1;
    sensor.Mas = 0.1f;
    sensor.Dopusk = 0;
    sensor.Period = period;
    // Stored in the database like the sensors that a device search or a rebuild makes.
    sensor.AktivBase = true;
    sensor.Sluj = kServiceZone;
    sensor.aTim = 0.0;
    sensor.Can = static_cast<qint16>(channel);
    sensor.Ind = static_cast<qint16>(deviceIndex);
    return sensor;
}

AddDeviceResult refused(AddRefusal refusal)
{
    AddDeviceResult result;
    result.refusal = refusal;
    return result;
}

} // namespace

const QString DeviceTableEdits::kMathName = QStringLiteral("Mathematics");

NewDeviceTexts NewDeviceTexts::from(const core::Lang& lang)
{
    return {lang.text(u"Sens"), lang.text(u"Formula"), lang.text(u"No_name")};
}

bool DeviceTableEdits::atCapacity(const core::Station& station)
{
    return station.sensors().SensCount() >= kSensorLimit ||
           station.devices().Devcount() >= kDeviceLimit;
}

std::optional<int> DeviceTableEdits::findByAddress(const core::DeviceTable& devices, int address)
{
    for (int i = 0; i < devices.Devcount(); ++i) {
        if (addressOf(devices.at(i).NetAdress) == address)
            return i;
    }
    return std::nullopt;
}

AddDeviceResult DeviceTableEdits::addDevice(core::Station& station, const DeviceRequest& request,
                                            const IdentificationResult& identification,
                                            const NewDeviceTexts& texts)
{
    if (!identification.identified())
        return refused(AddRefusal::NotIdentified);
    const int count = identification.channelCount;
    if (const AddRefusal refusal = refusalFor(station, request.address, count);
        refusal != AddRefusal::None)
        return refused(refusal);

    const QString model = identification.model.value_or(texts.noName);
    core::DeviceRecord device = newDevice(request, model, count);
    device.Lumirex = lumirexOf(model);
    device.Regtype = identification.layout.Regtype;
    device.Prcount = identification.layout.Prcount;
    device.Prtype = identification.layout.Prtype;
    device.Sttype = identification.layout.Sttype;
    device.Pidtype = identification.layout.Pidtype;

    const int deviceIndex = station.devices().Devcount();
    std::vector<core::SensorRecord> sensors;
    for (int c = 0; c < count; ++c) {
        core::SensorRecord sensor = newSensor(station, request, c, deviceIndex);
        sensor.Name = sensorName(texts, request.address, c);
        const auto descriptors = identification.descriptors.size();
        if (identification.descriptorSupport && static_cast<std::size_t>(c) < descriptors) {
            const ChannelDescriptor& descriptor =
                identification.descriptors[static_cast<std::size_t>(c)];
            sensor.Can = descriptor.can;
            sensor.Dimension = descriptor.units();
            sensor.CanType = descriptor.dataType;
            sensor.Mas = descriptor.scale;
        }
        sensors.push_back(std::move(sensor));
    }
    return append(station, std::move(device), sensors);
}

AddDeviceResult DeviceTableEdits::addMathDevice(core::Station& station,
                                                const DeviceRequest& request,
                                                const NewDeviceTexts& texts)
{
    const int count = request.formulaCount;
    if (const AddRefusal refusal = refusalFor(station, DeviceRequest::kMathAddress, count);
        refusal != AddRefusal::None)
        return refused(refusal);
    DeviceRequest math = request;
    math.link = DeviceLink::Math;
    math.address = DeviceRequest::kMathAddress;
    math.protocol = DeviceRequest::kAscii; // never used: the device has no link
    core::DeviceRecord device = newDevice(math, kMathName, count);

    const int deviceIndex = station.devices().Devcount();
    std::vector<core::SensorRecord> sensors;
    for (int c = 0; c < count; ++c) {
        core::SensorRecord sensor = newSensor(station, math, c, deviceIndex);
        sensor.Name = c < request.formulas.size()
                          ? request.formulas.at(c)
                          : texts.formula + QLatin1Char(' ') + QString::number(c + 1);
        sensors.push_back(std::move(sensor));
    }
    return append(station, std::move(device), sensors);
}

DeleteResult DeviceTableEdits::deleteDevices(core::Station& station,
                                             const std::vector<int>& indexes,
                                             const NewDeviceTexts& texts)
{
    const std::vector<core::DeviceRecord> oldDevices = station.devices().records();
    const std::vector<core::SensorRecord> oldSensors = station.sensors().records();
    const int period = station.settings().pollingPeriodS();

    std::vector<core::DeviceRecord> kept;
    for (int i = 0; i < static_cast<int>(oldDevices.size()); ++i) {
        if (std::find(indexes.begin(), indexes.end(), i) == indexes.end())
            kept.push_back(oldDevices[static_cast<std::size_t>(i)]);
    }

    core::SensorTable& sensors = station.sensors();
    sensors.clear();
    for (int n = 0; n < static_cast<int>(kept.size()); ++n) {
        const core::DeviceRecord& device = kept[static_cast<std::size_t>(n)];
        const int address = addressOf(device.NetAdress).value_or(0);
        for (int c = 0; c < device.Canals; ++c) {
            core::SensorRecord sensor =
                freshSensor(sensorName(texts, address, c), device.NetAdress, c, n, period);
            if (device.Name.contains(QLatin1String("Lumirex")))
                sensor.Dimension = kLumirexUnits;
            const auto old = std::find_if(
                oldSensors.begin(), oldSensors.end(), [&](const core::SensorRecord& candidate) {
                    return candidate.Adr == device.NetAdress && candidate.Can == c;
                });
            if (old != oldSensors.end()) {
                core::SensorRecord survivor = *old;
                survivor.Ind = sensor.Ind;
                survivor.Can = sensor.Can;
                survivor.Protocol = sensor.Protocol;
                sensor = std::move(survivor);
            }
            // A configuration with more channels than the table holds keeps what fits.
            if (!sensors.append(std::move(sensor)))
                break;
        }
    }

    core::DeviceTable& devices = station.devices();
    devices.clear();
    for (core::DeviceRecord& device : kept)
        devices.append(std::move(device));

    DeleteResult result;
    result.removedDevices = static_cast<int>(oldDevices.size()) - devices.Devcount();
    result.sensorCount = sensors.SensCount();
    result.mathDeviceRemains = devices.FindDeviceByAddress(u"FF").has_value();
    return result;
}

qint16 DeviceTableEdits::lumirexOf(QStringView model)
{
    qint16 kind = 0;
    if (!model.contains(u"Lumirex"))
        return kind;
    if (model.contains(u"ВТ"))
        kind = 1;
    if (model.contains(u"ВИТ"))
        kind = 2;
    return kind;
}

QString DeviceTableEdits::sensorName(const NewDeviceTexts& texts, int address, int channel)
{
    return texts.sens + QLatin1Char(' ') + QString::number(address) + QLatin1Char('.') +
           QString::number(channel + 1);
}

AddRefusal DeviceTableEdits::refusalFor(const core::Station& station, int address, int channelCount)
{
    if (atCapacity(station))
        return AddRefusal::Capacity;
    if (findByAddress(station.devices(), address))
        return AddRefusal::DuplicateAddress;
    if (channelCount < 0 || channelCount > kMaxChannels)
        return AddRefusal::TooManyChannels;
    // Whole or not at all: a device whose channels would run past the table is refused.
    if (station.sensors().SensCount() + channelCount > core::SensorTable::kCapacity)
        return AddRefusal::Capacity;
    return AddRefusal::None;
}

core::DeviceRecord DeviceTableEdits::newDevice(const DeviceRequest& request, const QString& name,
                                               int channelCount)
{
    core::DeviceRecord device;
    device.Name = name;
    device.NetAdress = request.netAdress();
    device.Canals = static_cast<qint16>(channelCount);
    device.Modbus = request.protocol;
    device.Lumirex = 0;
    const RegulatorLayout defaults;
    device.Regtype = defaults.Regtype;
    device.Prcount = defaults.Prcount;
    device.Prtype = defaults.Prtype;
    device.Sttype = defaults.Sttype;
    device.Pidtype = defaults.Pidtype;
    device.FirstPr = 0;
    device.timer_in = 0;
    device.alarm_in = 0;
    device.Zon = kServiceZone;
    const bool tcp = request.link == DeviceLink::Tcp;
    device.Port = tcp ? QString() : request.serial.portName;
    device.BaudRate = tcp || request.serial.baudRate <= 0
                          ? kDefaultBaudRate
                          : QString::number(request.serial.baudRate);
    device.IP = tcp ? request.tcp.host : kDefaultIp;
    device.IPPort = tcp ? QString::number(request.tcp.port) : kDefaultIpPort;
    device.YesRJ45 = tcp;
    device.registers = core::RegisterMap();
    device.ParamFromDriver = 0;
    device.ltim = 0.0;
    device.rtim = 0.0;
    device.stim = 1;
    device.ybase = false;
    device.lti = core::DateTime::now();
    device.rti = device.lti;
    device.sti = 60;
    return device;
}

core::SensorRecord DeviceTableEdits::newSensor(const core::Station& station,
                                               const DeviceRequest& request, int channel,
                                               int deviceIndex)
{
    return freshSensor(QString(), request.netAdress(), channel, deviceIndex,
                       station.settings().pollingPeriodS());
}

AddDeviceResult DeviceTableEdits::append(core::Station& station, core::DeviceRecord device,
                                         const std::vector<core::SensorRecord>& sensors)
{
    const int deviceIndex = station.devices().Devcount();
    for (const core::SensorRecord& sensor : sensors)
        station.sensors().append(sensor);
    device.boundTexts(); // the file is looked for by the name as the record keeps it

    AddDeviceResult result;
    const QString dataFolder = station.settings().dataFolder();
    const QString path = DeviceParameterFile::path(dataFolder, device.Name);
    // Without a data folder there is no Options folder to look in (never the working folder).
    const ParameterFileRead read = dataFolder.isEmpty() ? ParameterFileRead{{}, true, std::nullopt}
                                                        : DeviceParameterFile::read(path);
    if (read.file) {
        read.file->apply(device, station.sensors(), deviceIndex,
                         DeviceParameterFile::Reader::AddDevice);
        result.parameterFile = path;
    } else if (!read.notFound) {
        result.parameterFileError = read.result;
    }
    station.devices().append(std::move(device));
    result.deviceIndex = deviceIndex;
    return result;
}

} // namespace vostrand::devices

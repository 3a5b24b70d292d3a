#include "acquisition/sensor_list_rows.h"

#include "core/no_value.h"

namespace vostrand::acquisition {

using comm::ValueColumn;
using comm::ValueText;

const QString SensorListRows::kNoSignal = QStringLiteral(" ?  ");
const QString SensorListRows::kNoSetpoint = QStringLiteral(" ? ");
const QString SensorListRows::kNoPower = QStringLiteral("?");

namespace {

int lumirexOf(const core::DeviceRecord* device)
{
    return device ? device->Lumirex : 0;
}

bool programRegulatorShown(const core::DeviceRecord* device, const SensorListOptions& options)
{
    return options.monitorPrograms && device &&
           device->Regtype == core::DeviceRecord::kProgramRegulator;
}

} // namespace

void SensorListRows::resize(int sensorCount)
{
    m_rows.resize(static_cast<std::size_t>(std::max(sensorCount, 0)));
}

QString SensorListRows::setpointText(const core::SensorRecord& sensor, bool deviceAnswered,
                                     const SensorListOptions& options)
{
    if (deviceAnswered) {
        if (const auto text = ValueText::format(sensor.SP, ValueColumn::Setpoint, sensor.CanType, 0,
                                                options.format))
            return QLatin1Char(' ') + *text;
    }
    return options.readSetpoint ? kNoSetpoint : QString();
}

SensorRow SensorListRows::rowWithValues(const core::SensorRecord& sensor,
                                        const core::DeviceRecord* device, SensorRow row,
                                        const SensorListOptions& options)
{
    if (!sensor.Aktiv) {
        row.signal.clear();
        row.setpoint.clear();
        row.power.clear();
        return row;
    }
    const bool answered = !device || device->Err == 0;
    const auto signal = ValueText::format(sensor.T, ValueColumn::Signal, sensor.CanType,
                                          lumirexOf(device), options.format);
    row.signal = answered && signal ? QLatin1Char(' ') + *signal : kNoSignal;
    row.setpoint = programRegulatorShown(device, options) ? sensor.StatusText
                                                          : setpointText(sensor, answered, options);
    const auto power = answered ? ValueText::format(sensor.Pw, ValueColumn::PowerInList,
                                                    sensor.CanType, 0, options.format)
                                : std::nullopt;
    row.power = power ? *power : (options.readPower ? kNoPower : QString());
    return row;
}

void SensorListRows::refreshWithValues(const core::DeviceTable& devices,
                                       const core::SensorTable& sensors,
                                       const SensorListOptions& options)
{
    resize(sensors.SensCount());
    for (int i = 0; i < sensors.SensCount(); ++i) {
        const auto owner = sensors.ownerOf(i, devices);
        const core::DeviceRecord* device = owner ? &devices.at(*owner) : nullptr;
        at(i) = rowWithValues(sensors.at(i), device, at(i), options);
    }
}

void SensorListRows::refreshWithoutValues(const core::SensorTable& sensors,
                                          const SensorListOptions& options)
{
    resize(sensors.SensCount());
    for (int i = 0; i < sensors.SensCount(); ++i) {
        SensorRow& row = at(i);
        row.icon = ToleranceZone::kNeutral;
        row.signal = sensors.at(i).Aktiv ? kNoSignal : QString();
        row.setpoint = options.readSetpoint ? kNoSetpoint : QString();
        row.power = options.readPower ? kNoPower : QString();
    }
}

void SensorListRows::clear()
{
    for (SensorRow& row : m_rows)
        row = SensorRow{};
}

} // namespace vostrand::acquisition

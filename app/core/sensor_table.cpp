#include "core/sensor_table.h"

#include <algorithm>

namespace vostrand::core {

bool SensorTable::append(SensorRecord record)
{
    if (isFull())
        return false;
    record.boundTexts();
    m_records.push_back(std::move(record));
    return true;
}

void SensorTable::replace(int index, SensorRecord record)
{
    record.boundTexts();
    m_records.at(static_cast<std::size_t>(index)) = std::move(record);
}

void SensorTable::setName(int index, const QString& name)
{
    edit(index, [&](SensorRecord& sensor) { sensor.Name = name; });
}

std::vector<int> SensorTable::sensorsOfDevice(QStringView netAdress) const
{
    std::vector<int> indexes;
    for (int i = 0; i < SensCount(); ++i) {
        if (m_records[static_cast<std::size_t>(i)].Adr == netAdress)
            indexes.push_back(i);
    }
    return indexes;
}

std::optional<int> SensorTable::ownerOf(int sensorIndex, const DeviceTable& devices) const
{
    if (!isValidIndex(sensorIndex))
        return std::nullopt;
    const SensorRecord& sensor = at(sensorIndex);
    if (!sensor.Ind || !devices.isValidIndex(*sensor.Ind))
        return std::nullopt;
    if (devices.at(*sensor.Ind).NetAdress != sensor.Adr)
        return std::nullopt;
    return *sensor.Ind;
}

void SensorTable::removeDevice(int deviceIndex, const DeviceTable& devices)
{
    if (!devices.isValidIndex(deviceIndex))
        return;
    const QString netAdress = devices.at(deviceIndex).NetAdress;
    // Another device with the same address keeps the sensors that name it by `Adr`.
    const bool addressShared = std::any_of(
        devices.records().begin(), devices.records().end(), [&](const DeviceRecord& other) {
            return &other != &devices.at(deviceIndex) && other.NetAdress == netAdress;
        });
    std::erase_if(m_records, [&](const SensorRecord& sensor) {
        if (sensor.Ind == deviceIndex)
            return true;
        return !addressShared && sensor.Adr == netAdress;
    });
    for (SensorRecord& sensor : m_records) {
        if (sensor.Ind && *sensor.Ind > deviceIndex)
            sensor.Ind = static_cast<qint16>(*sensor.Ind - 1);
    }
}

} // namespace vostrand::core

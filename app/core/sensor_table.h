#pragma once

#include "core/device_table.h"
#include "core/sensor_record.h"

#include <optional>
#include <vector>

#include <QStringView>

namespace vostrand::core {

// The fixed-capacity table of sensors; records 0 .. SensCount() − 1 are in use. Texts are cut
// to their stored lengths on the way in.
class SensorTable
{
public:
    static constexpr int kCapacity = 778;

    int SensCount() const { return static_cast<int>(m_records.size()); }
    bool isFull() const { return SensCount() >= kCapacity; }
    bool isValidIndex(int index) const { return index >= 0 && index < SensCount(); }

    const SensorRecord& at(int index) const
    {
        return m_records.at(static_cast<std::size_t>(index));
    }
    const std::vector<SensorRecord>& records() const { return m_records; }

    // False (and nothing changed) when the table is full.
    bool append(SensorRecord record);
    void replace(int index, SensorRecord record);
    // Applies `change` to the record, then cuts its texts.
    template <typename Change> void edit(int index, Change&& change)
    {
        SensorRecord& record = m_records.at(static_cast<std::size_t>(index));
        change(record);
        record.boundTexts();
    }
    void setName(int index, const QString& name);
    void clear() { m_records.clear(); }

    // Indexes of the sensors whose `Adr` equals `netAdress`, in table order.
    std::vector<int> sensorsOfDevice(QStringView netAdress) const;
    // The device a sensor belongs to: its `Ind`, when that device carries the sensor's `Adr`.
    std::optional<int> ownerOf(int sensorIndex, const DeviceTable& devices) const;

    // Drops the sensors of device `deviceIndex` (by `Ind` and by `Adr`) and renumbers the
    // `Ind` of the sensors of later devices, so that both links stay right once the device
    // itself is removed from `devices`.
    void removeDevice(int deviceIndex, const DeviceTable& devices);

private:
    std::vector<SensorRecord> m_records;
};

} // namespace vostrand::core

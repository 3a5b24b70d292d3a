#pragma once

#include "core/device_record.h"

#include <optional>
#include <vector>

#include <QStringView>

namespace vostrand::core {

// The fixed-capacity table of configured devices; records 0 .. Devcount() − 1 are in use and
// never reordered. Texts are cut to their stored lengths on the way in.
class DeviceTable
{
public:
    static constexpr int kCapacity = 255;

    int Devcount() const { return static_cast<int>(m_records.size()); }
    bool isFull() const { return Devcount() >= kCapacity; }
    bool isValidIndex(int index) const { return index >= 0 && index < Devcount(); }

    const DeviceRecord& at(int index) const
    {
        return m_records.at(static_cast<std::size_t>(index));
    }
    const std::vector<DeviceRecord>& records() const { return m_records; }

    // False (and nothing changed) when the table is full.
    bool append(DeviceRecord record);
    void replace(int index, DeviceRecord record);
    // Applies `change` to the record, then cuts its texts.
    template <typename Change> void edit(int index, Change&& change)
    {
        DeviceRecord& record = m_records.at(static_cast<std::size_t>(index));
        change(record);
        record.boundTexts();
    }
    void removeAt(int index);
    void clear() { m_records.clear(); }

    // The first device, in table order, whose `NetAdress` equals `netAdress` exactly.
    std::optional<int> FindDeviceByAddress(QStringView netAdress) const;

private:
    std::vector<DeviceRecord> m_records;
};

} // namespace vostrand::core

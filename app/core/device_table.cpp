#include "core/device_table.h"

namespace vostrand::core {

bool DeviceTable::append(DeviceRecord record)
{
    if (isFull())
        return false;
    record.boundTexts();
    m_records.push_back(std::move(record));
    return true;
}

void DeviceTable::replace(int index, DeviceRecord record)
{
    record.boundTexts();
    m_records.at(static_cast<std::size_t>(index)) = std::move(record);
}

void DeviceTable::removeAt(int index)
{
    if (!isValidIndex(index))
        return;
    m_records.erase(m_records.begin() + index);
}

std::optional<int> DeviceTable::FindDeviceByAddress(QStringView netAdress) const
{
    for (int i = 0; i < Devcount(); ++i) {
        if (m_records[static_cast<std::size_t>(i)].NetAdress == netAdress)
            return i;
    }
    return std::nullopt;
}

} // namespace vostrand::core

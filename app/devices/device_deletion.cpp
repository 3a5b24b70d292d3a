#include "devices/device_deletion.h"

#include "core/device_table.h"
#include "core/station.h"

namespace vostrand::devices {

std::vector<DeletionRow> DeviceDeletion::rows(const core::DeviceTable& devices,
                                              const QString& focusedAdr)
{
    std::vector<DeletionRow> rows;
    for (const core::DeviceRecord& device : devices.records()) {
        bool ok = false;
        const int address = device.NetAdress.toInt(&ok, 16);
        DeletionRow row;
        row.caption = device.Name;
        row.column = (ok ? QString::number(address) : device.NetAdress) + QStringLiteral(" - ") +
                     QString::number(device.Canals);
        row.checked = !focusedAdr.isEmpty() && device.NetAdress == focusedAdr;
        rows.push_back(std::move(row));
    }
    return rows;
}

DeleteResult DeviceDeletion::deleteMarked(core::Station& station,
                                          const std::vector<MarkedDevice>& marked,
                                          const NewDeviceTexts& texts)
{
    std::vector<int> indexes;
    const core::DeviceTable& devices = station.devices();
    for (const MarkedDevice& device : marked) {
        if (devices.isValidIndex(device.index) &&
            devices.at(device.index).NetAdress == device.netAdress)
            indexes.push_back(device.index);
    }
    if (indexes.empty()) {
        DeleteResult unchanged;
        unchanged.sensorCount = station.sensors().SensCount();
        unchanged.mathDeviceRemains = devices.FindDeviceByAddress(u"FF").has_value();
        return unchanged;
    }
    return DeviceTableEdits::deleteDevices(station, indexes, texts);
}

} // namespace vostrand::devices

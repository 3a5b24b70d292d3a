#pragma once

#include "devices/device_table_edits.h"

#include <vector>

#include <QString>

namespace vostrand::core {
class DeviceTable;
class Station;
} // namespace vostrand::core

namespace vostrand::devices {

// One line of the delete-devices list.
struct DeletionRow
{
    QString caption; // device `Name`
    QString column;  // decimal address + " - " + `Canals`
    bool checked = false;
};

// A device the user marked, by its index and address when the list was made.
struct MarkedDevice
{
    int index = -1;
    QString netAdress;
};

// The delete-devices list and the deletion of the marked devices.
class DeviceDeletion
{
public:
    // Every device; those whose `NetAdress` is `focusedAdr` (the focused sensor's) are checked.
    static std::vector<DeletionRow> rows(const core::DeviceTable& devices,
                                         const QString& focusedAdr);
    // Station thread. Deletes the marked devices that are still where the list saw them (a
    // device that moved meanwhile is kept rather than deleting another one).
    static DeleteResult deleteMarked(core::Station& station,
                                     const std::vector<MarkedDevice>& marked,
                                     const NewDeviceTexts& texts);
};

} // namespace vostrand::devices

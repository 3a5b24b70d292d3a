#pragma once

#include "devices/device_request.h"

#include <optional>

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace vostrand::devices {

// What the add-device dialog holds when OK is pressed, as texts and indexes.
struct AddDeviceFields
{
    int linkIndex = 0; // 0 serial, 1 IP, 2 math
    QString portName;
    QString baudRate;
    QString ipAddress;
    QString ipPort;
    int protocolIndex = 1;
    QString address;
    QString formulas;
};

// The request the fields give, or why they give none.
struct AddDeviceFormResult
{
    std::optional<DeviceRequest> request;
    QString error;  // shown instead of going on
    QString notice; // shown, then the request is used (a bad formula count)
};

// The rules of the add-device dialog that need no widgets: the protocol list of each link
// kind and the codes its items stand for, and the request the fields make.
class AddDeviceForm
{
public:
    static constexpr int kInitialProtocolIndex = 1;

    static DeviceLink linkOf(int linkIndex);
    // Serial: "Modbus ASCII", "Modbus RTU", "Vostrand"; IP: "Modbus ASCII", "Modbus RTU",
    // "Modbus TCP/IP"; none for the math device.
    static QStringList protocolItems(DeviceLink link);
    // The item selected when the link kind changes: RTU on a serial line, ASCII over IP.
    static int protocolIndexOnSwitch(DeviceLink link);
    // The protocol code (`Modbus`) of item `index`: serial 0, 1, 3; IP 0, 1, 2. Null for an
    // index out of range.
    static std::optional<qint16> protocolCode(DeviceLink link, int index);

    static AddDeviceFormResult request(const AddDeviceFields& fields);
};

} // namespace vostrand::devices

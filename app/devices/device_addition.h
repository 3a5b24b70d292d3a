#pragma once

#include "comm/modbus_codec.h"
#include "devices/device_request.h"
#include "devices/device_table_edits.h"
#include "devices/identification_result.h"

namespace vostrand::comm {
class Bus;
}

namespace vostrand::core {
class Station;
}

namespace vostrand::devices {

struct DeviceAdditionResult
{
    IdentificationResult identification; // empty for the math device and early refusals
    AddDeviceResult added;

    bool ok() const { return added.added(); }
};

// The whole add sequence without questions, for the command line and the headless program:
// capacity, duplicate address, identification (none for the math device), the records, the
// device parameter file. Bus thread, where the Station lives too. The caller saves the
// configuration when a device was added, and shows DeviceAddTexts::messagesFor().
class DeviceAddition
{
public:
    static DeviceAdditionResult run(core::Station& station, comm::Bus& bus,
                                    const DeviceRequest& request, const NewDeviceTexts& texts,
                                    const comm::AsciiToTcpConverter& convert);
};

} // namespace vostrand::devices

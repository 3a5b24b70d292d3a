#pragma once

#include "comm/modbus_codec.h"
#include "comm/transport.h"
#include "core/device_table.h"
#include "core/exchange_status.h"
#include "core/register_map.h"
#include "core/sensor_table.h"

#include <memory>
#include <optional>

#include <QString>
#include <QtGlobal>

namespace vostrand::comm {
class BusJob;
}

namespace vostrand::acquisition {

// The channel of one sensor as the device is reached: what a single-register exchange with
// that channel needs, taken from a consistent copy of the tables.
struct ChannelTarget
{
    int sensorIndex = -1;
    int channel = 0; // `Can`
    float mas = 0.1f;
    QString netAdress;
    QString deviceName;
    QString sensorName;
    core::RegisterMap registers;
    std::optional<comm::SerialEndpoint> serial; // null for a device reached over TCP
    // The owning device alone, so that the exchanges route by its record.
    core::DeviceTable devices;

    // Null for a formula channel, a sensor without a channel or without its device: nothing
    // can be asked of those.
    static std::optional<ChannelTarget> of(const core::DeviceTable& devices,
                                           const core::SensorTable& sensors, int sensorIndex);
};

// What a single-register exchange brought.
struct ChannelRegisterResult
{
    core::ExchangeStatus status = core::ExchangeStatus::NoReply;
    bool portUnavailable = false; // the device's serial port could not be selected
    std::optional<quint16> value; // read: the register; write: the value the device took
    bool exception = false;       // the device refused with an exception reply

    bool good() const { return status == core::ExchangeStatus::Good && value.has_value(); }
};

// Jobs that read or write one channel-relative register (channel × 0x400 + base) of a
// sensor's device with the device's own framing and link, after selecting its serial port.
// The result is complete once the job reported finished().
class ChannelRegisterJobs
{
public:
    static std::shared_ptr<comm::BusJob> read(ChannelTarget target, quint16 base,
                                              std::shared_ptr<ChannelRegisterResult> result,
                                              comm::AsciiToTcpConverter convert);
    static std::shared_ptr<comm::BusJob> write(ChannelTarget target, quint16 base, quint16 value,
                                               std::shared_ptr<ChannelRegisterResult> result,
                                               comm::AsciiToTcpConverter convert);
};

} // namespace vostrand::acquisition

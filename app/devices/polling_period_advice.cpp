#include "devices/polling_period_advice.h"

#include "core/device_table.h"
#include "core/sensor_table.h"
#include "core/settings.h"

#include <algorithm>
#include <cmath>

namespace vostrand::devices {

namespace {

constexpr double kSecondsPerDay = 86400.0;
constexpr double kProgramChannelS = 0.1;

int polledDeviceCount(const core::DeviceTable& devices, const core::SensorTable& sensors)
{
    if (sensors.SensCount() == 0)
        return devices.Devcount();
    int count = 0;
    for (const core::DeviceRecord& device : devices.records()) {
        const bool polled = std::any_of(
            sensors.records().begin(), sensors.records().end(),
            [&](const core::SensorRecord& s) { return s.Aktiv && s.Adr == device.NetAdress; });
        if (polled)
            ++count;
    }
    return count;
}

FieldAdvice attention()
{
    return {AdviceLevel::Attention, QStringLiteral("Atten"), {}};
}

FieldAdvice danger()
{
    return {AdviceLevel::Danger, QStringLiteral("Atten2"), {}};
}

} // namespace

PollingPeriodAdvice advisePollingPeriod(const core::DeviceTable& devices,
                                        const core::SensorTable& sensors,
                                        const core::Settings& settings)
{
    const int count = polledDeviceCount(devices, sensors);
    qint64 estimate = std::llround(static_cast<double>(settings.replyTimeoutMs()) * count / 1000.0);
    if (settings.readSetpoint())
        estimate *= 2;
    if (settings.readPower())
        estimate *= 2;
    estimate = std::max<qint64>(estimate, 1);

    if (settings.readProgramState()) {
        int programChannels = 0;
        for (const core::DeviceRecord& device : devices.records()) {
            if (device.Regtype == core::DeviceRecord::kProgramRegulator)
                programChannels += std::max<int>(device.Canals, 0);
        }
        estimate = std::max<qint64>(
            std::llround(static_cast<double>(estimate) + kProgramChannelS * programChannels), 1);
    }

    // The period is at least 1 s by its range; guard anyway so a bad copy never divides by 0.
    const int period = std::max(settings.pollingPeriodS(), 1);
    PollingPeriodAdvice advice;
    advice.estimatedCycleS = static_cast<int>(std::min<qint64>(estimate, 1 << 30));
    advice.recordsPerDay = static_cast<int>(std::lround(kSecondsPerDay / period));
    if (1.5 * static_cast<double>(estimate) > period)
        advice.field = danger();
    else if (2.0 * static_cast<double>(estimate) > period)
        advice.field = attention();
    return advice;
}

FieldAdvice adviseReplyWait(int replyWaitMs)
{
    if (replyWaitMs > 400)
        return {AdviceLevel::Attention, {}, QStringLiteral("Это МНОГО!")};
    if (replyWaitMs < 200)
        return danger();
    if (replyWaitMs < 300)
        return attention();
    return {};
}

} // namespace vostrand::devices

#include "acquisition/channel_register_jobs.h"

#include "comm/bus.h"
#include "comm/bus_job.h"
#include "comm/modbus_exchanges.h"

namespace vostrand::acquisition {

namespace {

// A polling pass or another job may have left the line on another port.
bool portReady(comm::Bus& bus, const ChannelTarget& target, ChannelRegisterResult& result)
{
    if (!target.serial || bus.serialEndpoint() == *target.serial)
        return true;
    if (bus.selectPort(*target.serial))
        return true;
    result.portUnavailable = true;
    result.status = core::ExchangeStatus::NoReply;
    return false;
}

} // namespace

std::optional<ChannelTarget> ChannelTarget::of(const core::DeviceTable& devices,
                                               const core::SensorTable& sensors, int sensorIndex)
{
    if (!sensors.isValidIndex(sensorIndex))
        return std::nullopt;
    const core::SensorRecord& sensor = sensors.at(sensorIndex);
    const auto owner = sensors.ownerOf(sensorIndex, devices);
    if (sensor.isFormula() || !sensor.Can || !owner)
        return std::nullopt;
    const core::DeviceRecord& device = devices.at(*owner);
    if (device.isMathDevice())
        return std::nullopt;
    ChannelTarget target;
    target.sensorIndex = sensorIndex;
    target.channel = *sensor.Can;
    target.mas = sensor.Mas;
    target.netAdress = device.NetAdress;
    target.deviceName = device.Name;
    target.sensorName = sensor.Name;
    target.registers = device.registers;
    if (!device.YesRJ45)
        target.serial = comm::SerialEndpoint{device.Port, device.BaudRate.toInt()};
    target.devices.append(device);
    return target;
}

std::shared_ptr<comm::BusJob>
ChannelRegisterJobs::read(ChannelTarget target, quint16 base,
                          std::shared_ptr<ChannelRegisterResult> result,
                          comm::AsciiToTcpConverter convert)
{
    auto job = std::make_shared<comm::BusJob>(comm::BusJob::Kind::Long,
                                              QStringLiteral("channel register read"));
    job->addStep(
        [target = std::move(target), base, result, convert = std::move(convert)](comm::Bus& bus) {
            *result = ChannelRegisterResult{};
            if (!portReady(bus, target, *result))
                return false;
            comm::ModbusExchanges exchanges(bus, target.devices, convert);
            const comm::RegisterReply reply =
                exchanges.ReadRegister(target.netAdress, target.channel, base);
            result->status = reply.status;
            result->exception = reply.status == core::ExchangeStatus::Exception;
            if (reply.status == core::ExchangeStatus::Good)
                result->value = reply.value;
            return true;
        });
    return job;
}

std::shared_ptr<comm::BusJob>
ChannelRegisterJobs::write(ChannelTarget target, quint16 base, quint16 value,
                           std::shared_ptr<ChannelRegisterResult> result,
                           comm::AsciiToTcpConverter convert)
{
    auto job = std::make_shared<comm::BusJob>(comm::BusJob::Kind::Long,
                                              QStringLiteral("channel register write"));
    job->addStep([target = std::move(target), base, value, result,
                  convert = std::move(convert)](comm::Bus& bus) {
        *result = ChannelRegisterResult{};
        if (!portReady(bus, target, *result))
            return false;
        comm::ModbusExchanges exchanges(bus, target.devices, convert);
        const comm::WriteReply reply =
            exchanges.WriteRegister(target.netAdress, target.channel, base, value);
        result->status = reply.status;
        result->exception = reply.exception;
        if (reply.written && reply.status == core::ExchangeStatus::Good)
            result->value = reply.echoed;
        return true;
    });
    return job;
}

} // namespace vostrand::acquisition

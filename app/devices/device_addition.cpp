#include "devices/device_addition.h"

#include "core/station.h"
#include "devices/device_identification.h"

namespace vostrand::devices {

DeviceAdditionResult DeviceAddition::run(core::Station& station, comm::Bus& bus,
                                         const DeviceRequest& request, const NewDeviceTexts& texts,
                                         const comm::AsciiToTcpConverter& convert)
{
    DeviceAdditionResult result;
    // Refusals that need no exchange come before the first request.
    if (DeviceTableEdits::atCapacity(station)) {
        result.added.refusal = AddRefusal::Capacity;
        return result;
    }
    if (DeviceTableEdits::findByAddress(station.devices(), request.address)) {
        result.added.refusal = AddRefusal::DuplicateAddress;
        return result;
    }
    if (request.isMath()) {
        result.added = DeviceTableEdits::addMathDevice(station, request, texts);
        return result;
    }
    DeviceIdentification identification(request, station.settings().serviceZone(), convert);
    result.identification = identification.run(bus);
    result.added = DeviceTableEdits::addDevice(station, request, result.identification, texts);
    return result;
}

} // namespace vostrand::devices

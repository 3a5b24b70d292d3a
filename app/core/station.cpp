#include "core/station.h"

namespace vostrand::core {

Station::Station(const QString& documentsFolder)
    : m_settings(documentsFolder)
{}

void Station::removeDevice(int deviceIndex)
{
    if (!m_devices.isValidIndex(deviceIndex))
        return;
    m_sensors.removeDevice(deviceIndex, m_devices);
    m_devices.removeAt(deviceIndex);
}

} // namespace vostrand::core

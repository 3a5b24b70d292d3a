#pragma once

#include "core/device_table.h"
#include "core/scan_parameters.h"
#include "core/sensor_table.h"
#include "core/settings.h"
#include "core/window_layout.h"

#include <QString>
#include <QStringList>

namespace vostrand::core {

// Owns what the whole run works on: the device and sensor tables, the settings and the
// state persisted beside them.
class Station
{
public:
    explicit Station(const QString& documentsFolder);

    DeviceTable& devices() { return m_devices; }
    const DeviceTable& devices() const { return m_devices; }
    SensorTable& sensors() { return m_sensors; }
    const SensorTable& sensors() const { return m_sensors; }
    Settings& settings() { return m_settings; }
    const Settings& settings() const { return m_settings; }
    ScanParameters& scan() { return m_scan; }
    const ScanParameters& scan() const { return m_scan; }
    // Lines of the virtual math device's constants list ("v=3,62").
    QStringList& mathConstants() { return m_mathConstants; }
    const QStringList& mathConstants() const { return m_mathConstants; }
    WindowLayout& windowLayout() { return m_windowLayout; }
    const WindowLayout& windowLayout() const { return m_windowLayout; }

    // Removes a device with its sensors and renumbers the later devices' sensors.
    void removeDevice(int deviceIndex);

private:
    DeviceTable m_devices;
    SensorTable m_sensors;
    Settings m_settings;
    ScanParameters m_scan;
    QStringList m_mathConstants;
    WindowLayout m_windowLayout;
};

} // namespace vostrand::core

#pragma once

#include "acquisition/sensor_row.h"
#include "comm/value_text.h"
#include "core/device_table.h"
#include "core/sensor_table.h"

#include <vector>

namespace vostrand::acquisition {

// What decides the texts of the rows: the display digits and which values are polled.
struct SensorListOptions
{
    comm::ValueTextFormat format;
    bool readSetpoint = true;
    bool readPower = false;
    bool monitorPrograms = false;
};

// The rows of the sensor list, one per sensor record, as the recording step leaves them after
// each pass. The window and the headless table show these texts as they are.
class SensorListRows
{
public:
    static const QString kNoSignal;   // " ?  "
    static const QString kNoSetpoint; // " ? "
    static const QString kNoPower;    // "?"

    const std::vector<SensorRow>& rows() const { return m_rows; }
    void resize(int sensorCount);
    SensorRow& at(int index) { return m_rows.at(static_cast<std::size_t>(index)); }

    // After a pass with values: the texts of every row from the sensor records.
    void refreshWithValues(const core::DeviceTable& devices, const core::SensorTable& sensors,
                           const SensorListOptions& options);
    // After a pass without any value: every row unanswered.
    void refreshWithoutValues(const core::SensorTable& sensors, const SensorListOptions& options);
    // At stop: no texts, neutral icons.
    void clear();

    // The setpoint text of an active sensor before any program status replaces it.
    static QString setpointText(const core::SensorRecord& sensor, bool deviceAnswered,
                                const SensorListOptions& options);

private:
    static SensorRow rowWithValues(const core::SensorRecord& sensor,
                                   const core::DeviceRecord* device, SensorRow row,
                                   const SensorListOptions& options);

    std::vector<SensorRow> m_rows;
};

} // namespace vostrand::acquisition

#pragma once

#include "core/sensor_record.h"

#include <QtGlobal>

namespace vostrand::acquisition {

// Where a signal lies against the tolerance zone around its setpoint, as a row icon of the
// sensor list and of the live recorders.
class ToleranceZone
{
public:
    static constexpr qint16 kNeutral = 43;
    static constexpr qint16 kInside = 47;
    static constexpr qint16 kBelow = 45; // too cold for a heater, too warm for a cooler
    static constexpr qint16 kAbove = 46; // overheat for a heater, too cold for a cooler

    // `dopusk` in tenths of a unit: above 0 a heater, below 0 a cooler, 0 no zone.
    static qint16 icon(float t, float sp, qint16 dopusk);
    static qint16 icon(const core::SensorRecord& sensor)
    {
        return icon(sensor.T, sensor.SP, sensor.Dopusk);
    }
};

} // namespace vostrand::acquisition

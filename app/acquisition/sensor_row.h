#pragma once

#include "acquisition/tolerance_zone.h"

#include <optional>

#include <QString>
#include <QtGlobal>

namespace vostrand::acquisition {

// What one row of the sensor list shows besides the sensor's name, address and unit.
struct SensorRow
{
    QString signal;
    QString setpoint; // or the program status of a program regulator's channel
    QString power;
    qint16 icon = ToleranceZone::kNeutral;
    std::optional<qint16> programIcon; // the SP column's icon; null: none

    bool operator==(const SensorRow&) const = default;
};

} // namespace vostrand::acquisition

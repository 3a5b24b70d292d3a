#pragma once

#include "acquisition/station_snapshot.h"
#include "core/lang.h"
#include "core/regional_format.h"

#include <QString>

namespace vostrand::acquisition {

// The tool tip of a sensor row: the sensor's link, protocol, scale, program state, zone and
// database storage, one line per item ("\r" ends each).
class SensorHint
{
public:
    // Empty for a row out of range.
    static QString text(const StationSnapshot& snapshot, int sensorIndex, const core::Lang& lang,
                        const core::RegionalFormat& regional);

    // The scale by the rounded decimal logarithm of `Mas`: "1" … "1000000", "0.1" …
    // "0.000001", empty past those; "0.1" when the logarithm cannot be taken.
    static QString scaleText(float mas);
    // Whether tips are shown at all (`Hint_schow`).
    static bool enabled(const core::Settings& settings);
};

} // namespace vostrand::acquisition

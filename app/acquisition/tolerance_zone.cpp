#include "acquisition/tolerance_zone.h"

#include "core/no_value.h"

#include <cstdlib>

namespace vostrand::acquisition {

qint16 ToleranceZone::icon(float t, float sp, qint16 dopusk)
{
    if (dopusk == 0 || !core::hasValue(t) || !core::hasValue(sp))
        return kNeutral;
    const double d = std::abs(dopusk) / 10.0;
    const double signal = t;
    const double setpoint = sp;
    if (signal > setpoint + d)
        return dopusk > 0 ? kAbove : kBelow;
    if (signal < setpoint - d)
        return dopusk > 0 ? kBelow : kAbove;
    return kInside;
}

} // namespace vostrand::acquisition

#include "acquisition/power_gauge.h"

#include <algorithm>
#include <cmath>

namespace vostrand::acquisition {

const QString PowerGauge::kHeating = QStringLiteral("Pwh");
const QString PowerGauge::kCooling = QStringLiteral("Pwc");

std::optional<PowerGauge> PowerGauge::of(QStringView powerText,
                                         const core::RegionalFormat& regional)
{
    const auto value = regional.parseNumber(powerText);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    PowerGauge gauge;
    gauge.cooling = *value < 0.0;
    gauge.percent = static_cast<int>(std::lround(std::min(std::abs(*value), 100.0)));
    return gauge;
}

} // namespace vostrand::acquisition

#pragma once

#include "core/regional_format.h"

#include <optional>

#include <QString>
#include <QStringView>

namespace vostrand::acquisition {

// The power gauge under the sensor list: the bar length and whether the output cools.
struct PowerGauge
{
    static const QString kHeating; // "Pwh"
    static const QString kCooling; // "Pwc"

    int percent = 0;      // 0 .. 100
    bool cooling = false; // a negative output drives a cooler

    const QString& label() const { return cooling ? kCooling : kHeating; }

    // Null when the power text is no number: the gauge is hidden then.
    static std::optional<PowerGauge> of(QStringView powerText,
                                        const core::RegionalFormat& regional);
};

} // namespace vostrand::acquisition

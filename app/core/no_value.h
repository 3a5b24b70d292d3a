#pragma once

#include <cmath>

namespace vostrand::core {

// The value that marks a missing measurement in records, files, replies and the database.
inline constexpr float NO_VALUE = 32767.0f;

// A value is present when its rounded integer differs from 32767. Not-a-number counts as
// missing too: it can never be shown or recorded as a measurement.
inline bool hasValue(float value)
{
    if (std::isnan(value))
        return false;
    return std::round(static_cast<double>(value)) != static_cast<double>(NO_VALUE);
}

} // namespace vostrand::core

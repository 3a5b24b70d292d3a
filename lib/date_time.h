// Seconds since 2000-01-01 00:00:00, the instruments' clock scale.
#pragma once

#include <cstdint>

namespace vostrand::lib {

struct DateTime
{
    std::uint8_t year = 0; // since 2000
    std::uint8_t month = 1;
    std::uint8_t day = 1;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
};

// Every fourth year is a leap year (no century rule); fields are not checked.
std::uint32_t dateTimeToSec2000(const DateTime& dateTime);
DateTime sec2000ToDateTime(std::uint32_t seconds);

} // namespace vostrand::lib

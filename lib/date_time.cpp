#include "date_time.h"

#include <algorithm>
#include <array>

namespace vostrand::lib {
namespace {

constexpr std::array<std::uint32_t, 12> kMonthDays = {31, 28, 31, 30, 31, 30,
                                                      31, 31, 30, 31, 30, 31};
constexpr std::uint32_t kSecondsPerDay = 86400;
constexpr std::uint32_t kHoursPerLeapYear = 366 * 24;
constexpr std::uint32_t kHoursPerYear = 365 * 24;
constexpr std::uint32_t kHoursPerFourYears = 1461 * 24;
constexpr std::uint32_t kLeapDay = 60; // 29 February as day of the year

// Months past December have no length: they add nothing instead of reading past the table.
std::uint32_t daysBeforeMonth(std::uint32_t month)
{
    const std::uint32_t fullMonths = std::min<std::uint32_t>(month > 0 ? month - 1 : 0, 12);
    std::uint32_t days = 0;
    for (std::uint32_t index = 0; index < fullMonths; ++index) {
        days += kMonthDays[index];
    }
    return days;
}

} // namespace

std::uint32_t dateTimeToSec2000(const DateTime& dateTime)
{
    const std::uint32_t yearInBlock = dateTime.year % 4u;
    std::uint32_t seconds =
        (dateTime.year / 4u) * (1461 * kSecondsPerDay) + yearInBlock * (365 * kSecondsPerDay);
    if (yearInBlock != 0) {
        seconds += kSecondsPerDay; // the leap day at the start of the block
    }
    std::uint32_t days = dateTime.day - 1u;
    if (dateTime.month > 2 && yearInBlock == 0) {
        days += 1;
    }
    days += daysBeforeMonth(dateTime.month);
    return seconds + (days * 24u + dateTime.hour) * 3600u + dateTime.minute * 60u + dateTime.second;
}

DateTime sec2000ToDateTime(std::uint32_t seconds)
{
    DateTime result;
    result.second = static_cast<std::uint8_t>(seconds % 60);
    std::uint32_t rest = seconds / 60;
    result.minute = static_cast<std::uint8_t>(rest % 60);
    rest /= 60;

    std::uint32_t year = (rest / kHoursPerFourYears) * 4;
    rest %= kHoursPerFourYears;
    if (rest >= kHoursPerLeapYear) {
        rest -= kHoursPerLeapYear;
        year += 1 + rest / kHoursPerYear;
        rest %= kHoursPerYear;
    }
    result.year = static_cast<std::uint8_t>(year);
    result.hour = static_cast<std::uint8_t>(rest % 24);
    std::uint32_t dayOfYear = rest / 24 + 1;

    if (year % 4 == 0) {
        if (dayOfYear == kLeapDay) {
            result.month = 2;
            result.day = 29;
            return result;
        }
        if (dayOfYear > kLeapDay) {
            dayOfYear -= 1;
        }
    }
    std::size_t month = 0;
    while (month < kMonthDays.size() - 1 && kMonthDays[month] < dayOfYear) {
        dayOfYear -= kMonthDays[month];
        ++month;
    }
    result.month = static_cast<std::uint8_t>(month + 1);
    result.day = static_cast<std::uint8_t>(dayOfYear);
    return result;
}

} // namespace vostrand::lib

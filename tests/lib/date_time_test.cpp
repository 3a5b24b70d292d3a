#include "vostrand_lib.h"

#include <array>
#include <gtest/gtest.h>

namespace {

struct Fields
{
    int year, month, day, hour, minute, second;
};

struct KnownDate
{
    Fields fields;
    uint32_t seconds;
};

constexpr std::array<KnownDate, 8> kKnownDates = {{
    {{0, 1, 1, 0, 0, 0}, 0},
    {{0, 2, 29, 0, 0, 0}, 5097600},
    {{0, 3, 1, 0, 0, 0}, 5184000},
    {{0, 12, 31, 23, 59, 59}, 31622399},
    {{1, 1, 1, 0, 0, 0}, 31622400},
    {{1, 3, 1, 0, 0, 0}, 36720000}, // no leap day in a year not divisible by 4
    {{4, 1, 1, 0, 0, 0}, 126230400},
    {{24, 5, 17, 12, 30, 45}, 769264245},
}};

uint32_t toSeconds(const Fields& f)
{
    return date_time_to_sec2000(f.year, f.month, f.day, f.hour, f.minute, f.second);
}

Fields toFields(uint32_t seconds)
{
    uint8_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    const uint8_t returned =
        sec2000_to_date_time(seconds, &year, &month, &day, &hour, &minute, &second);
    EXPECT_EQ(returned, second);
    return {year, month, day, hour, minute, second};
}

void expectFields(const Fields& actual, const Fields& expected)
{
    EXPECT_EQ(actual.year, expected.year);
    EXPECT_EQ(actual.month, expected.month);
    EXPECT_EQ(actual.day, expected.day);
    EXPECT_EQ(actual.hour, expected.hour);
    EXPECT_EQ(actual.minute, expected.minute);
    EXPECT_EQ(actual.second, expected.second);
}

TEST(DateTime, knownDatesConvertBothWays)
{
    for (const auto& known : kKnownDates) {
        SCOPED_TRACE(known.seconds);
        EXPECT_EQ(toSeconds(known.fields), known.seconds);
        expectFields(toFields(known.seconds), known.fields);
    }
}

// Every day of the century, around the clock edges, must survive the trip and be a real date.
TEST(DateTime, everyDayOfTheCenturyRoundTrips)
{
    constexpr std::array<int, 13> kMonthDays = {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    Fields previous{0, 1, 0, 0, 0, 0};
    for (uint32_t day = 0; day < 36525; ++day) {
        for (const uint32_t offset : {0u, 86399u}) {
            const uint32_t seconds = day * 86400 + offset;
            const Fields fields = toFields(seconds);
            ASSERT_EQ(toSeconds(fields), seconds);
            ASSERT_GE(fields.month, 1);
            ASSERT_LE(fields.month, 12);
            ASSERT_GE(fields.day, 1);
            ASSERT_LE(fields.day,
                      kMonthDays[fields.month] - (fields.month == 2 && fields.year % 4));
        }
        const Fields fields = toFields(day * 86400);
        const bool nextDay = fields.day == previous.day + 1 && fields.month == previous.month;
        const bool nextMonth = fields.day == 1 && (fields.month == previous.month + 1 ||
                                                   (fields.month == 1 && previous.month == 12));
        ASSERT_TRUE(nextDay || nextMonth) << "day " << day;
        previous = fields;
    }
}

TEST(DateTime, onlyTheLowByteOfEachFieldCounts)
{
    EXPECT_EQ(date_time_to_sec2000(0x101, 0x203, 0x301, 0x40C, 0x51E, 0x62D),
              date_time_to_sec2000(1, 3, 1, 12, 30, 45));
}

// Months past December have no table entry: month 13 runs into the next year, and larger
// values add nothing more instead of reading beyond the table.
TEST(DateTime, monthsPastDecemberStayInsideTheTable)
{
    EXPECT_EQ(date_time_to_sec2000(0, 13, 1, 0, 0, 0), date_time_to_sec2000(1, 1, 1, 0, 0, 0));
    EXPECT_EQ(date_time_to_sec2000(1, 13, 1, 0, 0, 0), date_time_to_sec2000(2, 1, 1, 0, 0, 0));
    EXPECT_EQ(date_time_to_sec2000(1, 255, 1, 0, 0, 0), date_time_to_sec2000(1, 13, 1, 0, 0, 0));
}

} // namespace

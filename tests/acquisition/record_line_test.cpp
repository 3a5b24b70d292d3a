#include "acquisition/record_line.h"
#include "core/no_value.h"

#include <gtest/gtest.h>

namespace vostrand::acquisition {
namespace {

using core::NO_VALUE;
using core::RegionalFormat;

RecordLineFormat format(RegionalFormat regional, bool readSetpoint)
{
    RecordLineFormat result;
    result.regional = std::move(regional);
    result.readSetpoint = readSetpoint;
    return result;
}

RecordSensorValues values(float t, float sp, float pw, int canType = 1, int lumirex = 0)
{
    return {t, sp, pw, canType, lumirex};
}

TEST(RecordLineTest, buildsTheReferenceLineTokenByToken)
{
    RecordLine line(12, QDateTime(QDate(2026, 12, 10), QTime(9, 5, 7)),
                    format(RegionalFormat::dotDecimal(), true));
    line.addSensor(u"1.1", values(23.5f, 25.0f, NO_VALUE));
    line.addSensor(u"1.2", values(NO_VALUE, NO_VALUE, NO_VALUE));
    line.addSensor(u"255.1", values(1.5f, NO_VALUE, NO_VALUE));

    EXPECT_EQ(line.text(),
              QStringLiteral("12 10.12.2026 9:05:07 ^1.1 23.5 25.0 X ^1.2 X X X ^255.1 1.5 X X "));
    const QStringList tokens = line.text().split(u' ');
    const QStringList expected = {"12",  "10.12.2026", "9:05:07", "^1.1", "23.5", "25.0",
                                  "X",   "^1.2",       "X",       "X",    "X",    "^255.1",
                                  "1.5", "X",          "X",       ""};
    EXPECT_EQ(tokens, expected);
}

TEST(RecordLineTest, setpointPollingDecidesWhetherMissingValuesLeaveATokenBehind)
{
    struct Case
    {
        bool readSetpoint;
        RecordSensorValues values;
        const char* expected;
    };
    const Case cases[] = {
        {true, values(23.5f, 25.0f, 100.0f), "^1.1 23.5 25.0 100.0 "},
        {true, values(23.5f, NO_VALUE, 50.0f), "^1.1 23.5 X 50.0 "},
        {true, values(NO_VALUE, 25.0f, NO_VALUE), "^1.1 X 25.0 X "},
        // Without setpoint polling the second token is the power, when there is one.
        {false, values(23.5f, NO_VALUE, 0.0f), "^1.1 23.5 0.0 "},
        {false, values(23.5f, NO_VALUE, NO_VALUE), "^1.1 23.5 "},
        {false, values(NO_VALUE, NO_VALUE, NO_VALUE), "^1.1 X "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(RecordLine::groupText(u"1.1", c.values,
                                        format(RegionalFormat::dotDecimal(), c.readSetpoint)),
                  QString::fromLatin1(c.expected));
    }
}

TEST(RecordLineTest, valueTextsFollowTheChannelKindAndTheRegionalSeparator)
{
    const RecordLineFormat russian = format(RegionalFormat::russian(), true);
    struct Case
    {
        RecordSensorValues values;
        const char* expected;
    };
    const Case cases[] = {
        {values(23.5f, 25.0f, 12.34f), "^2.3 23,5 25,0 12,3 "},
        // 16-bit float channel: signal and setpoint scientific with three digits.
        {values(0.00123f, 5.0f, NO_VALUE, 16), "^2.3 1,23E-3 5,00E+0 X "},
        // Mantissa-exponent gauge: the signal with two digits, the setpoint as usual.
        {values(0.005f, 25.0f, NO_VALUE, 1, 1), "^2.3 5,0E-3 25,0 X "},
        {values(123456.0f, NO_VALUE, NO_VALUE), "^2.3 1,2346E+5 X X "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(RecordLine::groupText(u"2.3", c.values, russian),
                  QString::fromLatin1(c.expected));
    }
}

TEST(RecordLineTest, aTwelveHourClockMakesTheDateTimeThreeTokens)
{
    const RegionalFormat us(u'.', QStringLiteral("M/d/yyyy"), QStringLiteral("h:mm:ss AP"));
    RecordLine line(1, QDateTime(QDate(2026, 12, 10), QTime(21, 5, 7)), format(us, false));
    line.addSensor(u"1.1", values(23.5f, NO_VALUE, NO_VALUE));
    EXPECT_EQ(line.text(), QStringLiteral("1 12/10/2026 9:05:07 PM ^1.1 23.5 "));
}

} // namespace
} // namespace vostrand::acquisition

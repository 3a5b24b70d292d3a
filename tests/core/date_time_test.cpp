#include "core/date_time.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace vostrand::core {
namespace {

TEST(DateTime, knownDayNumbers)
{
    const std::vector<std::pair<QDateTime, double>> cases = {
        {QDateTime(QDate(1899, 12, 30), QTime(0, 0)), 0.0},
        {QDateTime(QDate(1900, 1, 1), QTime(12, 0)), 2.5},
        {QDateTime(QDate(2000, 1, 1), QTime(0, 0)), 36526.0},
        {QDateTime(QDate(2026, 12, 10), QTime(6, 0)), 46366.25},
        {QDateTime(QDate(1899, 12, 29), QTime(6, 0)), -1.25},
    };
    for (const auto& [moment, days] : cases) {
        EXPECT_DOUBLE_EQ(DateTime::toDays(moment), days) << days;
        EXPECT_EQ(DateTime::toDateTime(days), moment) << days;
    }
}

TEST(DateTime, roundTripIsExactToTheMillisecond)
{
    const std::vector<QDate> dates = {QDate(1899, 12, 30), QDate(1980, 2, 29), QDate(2026, 12, 10),
                                      QDate(2099, 12, 31), QDate(1850, 6, 15)};
    const std::vector<int> milliseconds = {0, 1, 999, 1000, 43200000, 86399001, 86399999};
    for (const QDate date : dates) {
        for (const int ms : milliseconds) {
            const QDateTime moment(date, QTime::fromMSecsSinceStartOfDay(ms));
            const double days = DateTime::toDays(moment);
            EXPECT_EQ(DateTime::toDateTime(days), moment) << days;
            EXPECT_EQ(DateTime::toDateTime(DateTime::fromBinary(DateTime::toBinary(days)).value()),
                      moment);
        }
    }
}

TEST(DateTime, almostMidnightRoundsIntoTheNextDay)
{
    EXPECT_EQ(DateTime::toDateTime(1.0 - 1e-12), QDateTime(QDate(1899, 12, 31), QTime(0, 0)));
    EXPECT_EQ(DateTime::toDateTime(-2.0 + 1e-12), QDateTime(QDate(1899, 12, 28), QTime(0, 0)));
}

TEST(DateTime, partsOfADayNumber)
{
    EXPECT_DOUBLE_EQ(DateTime::datePart(46366.75), 46366.0);
    EXPECT_DOUBLE_EQ(DateTime::timePart(46366.75), 0.75);
    EXPECT_DOUBLE_EQ(DateTime::timePart(-1.25), 0.25);
    EXPECT_EQ(DateTime::toDate(46366.75), QDate(2026, 12, 10));
    EXPECT_EQ(DateTime::toTime(46366.75), QTime(18, 0));
    EXPECT_DOUBLE_EQ(DateTime::toDays(QDate(2026, 12, 10)), 46366.0);
}

TEST(DateTime, numbersThatAreNoDateGiveInvalidResults)
{
    for (const double bad : {std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(), 1e300}) {
        EXPECT_FALSE(DateTime::toDateTime(bad).isValid());
        EXPECT_FALSE(DateTime::toDate(bad).isValid());
        EXPECT_FALSE(DateTime::toTime(bad).isValid());
    }
}

TEST(DateTime, binaryFormIsALittleEndianDouble)
{
    EXPECT_EQ(DateTime::toBinary(1.5).toHex(), "000000000000f83f");
    EXPECT_EQ(DateTime::toBinary(46366.25).toHex(), "00000000c8a3e640");
    EXPECT_EQ(DateTime::fromBinary(QByteArray::fromHex("00000000c8a3e640")), 46366.25);
    EXPECT_FALSE(DateTime::fromBinary(QByteArray::fromHex("0000f83f")));
    EXPECT_FALSE(DateTime::fromBinary(QByteArray()));
}

TEST(DateTime, nowIsTheCurrentLocalTime)
{
    const QDateTime before = QDateTime::currentDateTime().addMSecs(-1);
    const QDateTime now = DateTime::toDateTime(DateTime::now());
    const QDateTime after = QDateTime::currentDateTime().addMSecs(1);
    EXPECT_LE(before, now);
    EXPECT_LE(now, after);
}

} // namespace
} // namespace vostrand::core

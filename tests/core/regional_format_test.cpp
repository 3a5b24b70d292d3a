#include "core/regional_format.h"

#include <gtest/gtest.h>

namespace vostrand::core {
namespace {

const RegionalFormat kRussian = RegionalFormat::russian();
const RegionalFormat kDot = RegionalFormat::dotDecimal();

TEST(RegionalFormat, pinnedSettings)
{
    EXPECT_EQ(kRussian.decimalSeparator(), u',');
    EXPECT_EQ(kRussian.dateSeparator(), u'.');
    EXPECT_EQ(kRussian.timeSeparator(), u':');
    EXPECT_EQ(kRussian.defaultDateTimeFormat(), "dd.MM.yyyy H:mm:ss");
    EXPECT_EQ(kDot.decimalSeparator(), u'.');
    EXPECT_EQ(kDot.shortDateFormat(), kRussian.shortDateFormat());
}

TEST(RegionalFormat, localeNames)
{
    EXPECT_EQ(RegionalFormat::fromLocaleName("ru_RU"), kRussian);

    const auto us = RegionalFormat::fromLocaleName("en_US");
    ASSERT_TRUE(us);
    EXPECT_EQ(us->decimalSeparator(), u'.');
    EXPECT_EQ(us->dateSeparator(), u'/');
    EXPECT_EQ(us->shortDateFormat(), "M/d/yyyy");
    EXPECT_FALSE(us->longTimeFormat().contains(u't')) << "no time zone in the long time";
    EXPECT_EQ(us->parseDate(u"12/10/2026"), QDate(2026, 12, 10));

    const auto german = RegionalFormat::fromLocaleName("de_DE");
    ASSERT_TRUE(german);
    EXPECT_EQ(german->decimalSeparator(), u',');

    EXPECT_FALSE(RegionalFormat::fromLocaleName("xx_nowhere"));
    // No regional conventions: dates must still be one numeric token in the data files.
    EXPECT_EQ(RegionalFormat::fromLocaleName("C"), kDot);
}

TEST(RegionalFormat, numbersToText)
{
    struct Case
    {
        const RegionalFormat& format;
        double value;
        int decimals;
        QString text;
    };
    const std::vector<Case> cases = {
        {kRussian, 23.5, 1, "23,5"},   {kDot, 23.5, 1, "23.5"},
        {kRussian, -1.25, 2, "-1,25"}, {kRussian, 1234567.0, 0, "1234567"},
        {kRussian, 0.05, 1, "0,1"},    {kRussian, -0.04, 1, "0,0"},
        {kDot, -0.0, 2, "0.00"},       {kDot, 32767.0, 1, "32767.0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.format.formatNumber(c.value, c.decimals), c.text) << c.value;
}

TEST(RegionalFormat, textToNumbersTakesOnlyTheRegionalSeparator)
{
    struct Case
    {
        const RegionalFormat& format;
        const char16_t* text;
        std::optional<double> value;
    };
    const std::vector<Case> cases = {
        {kRussian, u"2,5", 2.5},
        {kRussian, u"2.5", std::nullopt},
        {kRussian, u" -3,25 ", -3.25},
        {kRussian, u"+7", 7.0},
        {kRussian, u"1,5E3", 1500.0},
        {kRussian, u"1e-3", 0.001},
        {kDot, u"2.5", 2.5},
        {kDot, u"2,5", std::nullopt},
        {kDot, u"1,000", std::nullopt},
        {kDot, u"", std::nullopt},
        {kDot, u"abc", std::nullopt},
        {kDot, u"inf", std::nullopt},
        {kDot, u"nan", std::nullopt},
        {kDot, u"1.2.3", std::nullopt},
        {kDot, u"5 6", std::nullopt},
        {kDot, u"X", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.format.parseNumber(c.text), c.value)
            << QString::fromUtf16(c.text).toStdString();
}

TEST(RegionalFormat, dateTimeTextKeepsBothPartsAtMidnight)
{
    EXPECT_EQ(kRussian.formatDateTime(QDateTime(QDate(2026, 12, 10), QTime(9, 5, 7))),
              "10.12.2026 9:05:07");
    EXPECT_EQ(kRussian.formatDateTime(QDateTime(QDate(2026, 1, 2), QTime(0, 0))),
              "02.01.2026 0:00:00");
    EXPECT_EQ(kRussian.formatTime(QTime(23, 59, 59)), "23:59:59");
}

TEST(RegionalFormat, parsesDates)
{
    const std::vector<std::pair<const char16_t*, QDate>> cases = {
        {u"10.12.2026", QDate(2026, 12, 10)},
        {u"1.2.2026", QDate(2026, 2, 1)},
        {u" 29.02.2024 ", QDate(2024, 2, 29)},
        {u"10.12.26", QDate(2026, 12, 10)},
        {u"31.02.2026", QDate()},
        {u"29.02.2025", QDate()},
        {u"10/12/2026", QDate()},
        {u"10.12", QDate()},
        {u"10.12.2026.1", QDate()},
        {u"aa.12.2026", QDate()},
        {u"", QDate()},
    };
    for (const auto& [text, date] : cases) {
        const auto parsed = kRussian.parseDate(text);
        EXPECT_EQ(parsed.value_or(QDate()), date) << QString::fromUtf16(text).toStdString();
    }
}

TEST(RegionalFormat, parsesTimes)
{
    const std::vector<std::pair<const char16_t*, QTime>> cases = {
        {u"9:05:07", QTime(9, 5, 7)},     {u"09:05", QTime(9, 5)},
        {u"23:59:59", QTime(23, 59, 59)}, {u"9:05:07 PM", QTime(21, 5, 7)},
        {u"12:00:00 AM", QTime(0, 0)},    {u"12:30 pm", QTime(12, 30)},
        {u"24:00:00", QTime()},           {u"9:60", QTime()},
        {u"13:00 PM", QTime()},           {u"9", QTime()},
        {u"9:05:07:01", QTime()},         {u"9.05.07", QTime()},
    };
    for (const auto& [text, time] : cases) {
        const auto parsed = kRussian.parseTime(text);
        EXPECT_EQ(parsed.value_or(QTime()), time) << QString::fromUtf16(text).toStdString();
    }
}

TEST(RegionalFormat, dateTimeTextRoundTrips)
{
    const QDateTime moment(QDate(2026, 12, 10), QTime(9, 5, 7));
    for (const auto& format : {kRussian, kDot, *RegionalFormat::fromLocaleName("en_US")}) {
        const QString text = format.formatDateTime(moment);
        EXPECT_EQ(format.parseDateTime(text), moment) << text.toStdString();
    }
    EXPECT_EQ(kRussian.parseDateTime(u"10.12.2026"), QDateTime(QDate(2026, 12, 10), QTime(0, 0)));
    EXPECT_EQ(kRussian.parseDateTime(u"10.12.2026   9:05"),
              QDateTime(QDate(2026, 12, 10), QTime(9, 5)));
    EXPECT_FALSE(kRussian.parseDateTime(u"10.12.2026 later"));
    EXPECT_FALSE(kRussian.parseDateTime(u"9:05:07"));
}

} // namespace
} // namespace vostrand::core

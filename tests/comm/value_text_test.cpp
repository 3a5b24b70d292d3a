#include "comm/value_text.h"
#include "core/no_value.h"

#include <gtest/gtest.h>
#include <limits>

namespace vostrand::comm {
namespace {

const QChar kDot = QLatin1Char('.');
const QChar kComma = QLatin1Char(',');

TEST(ValueTextFixed, decimalsSignificantDigitsAndSeparator)
{
    struct Case
    {
        double value;
        int decimals;
        int significant;
        QChar separator;
        const char* text;
    };
    const Case cases[] = {
        {23.5, 1, 5, kDot, "23.5"},
        {23.5, 1, 5, kComma, "23,5"},
        {double(3199.9f), 1, 5, kDot, "3199.9"},
        {-7.0, 2, 5, kComma, "-7,00"},
        {1.25, 1, 5, kDot, "1.3"}, // halves away from zero
        {-1.25, 1, 5, kDot, "-1.3"},
        {2.5, 0, 5, kDot, "3"},
        {0.05, 1, 5, kDot, "0.1"},
        {0.0, 1, 5, kDot, "0.0"},
        {-0.04, 1, 5, kDot, "0.0"}, // no negative zero
        {0.012345, 5, 5, kDot, "0.01235"},
        {123.456, 3, 5, kDot, "123.460"}, // five significant digits, then zeros
        {12345.67, 1, 5, kDot, "12346.0"},
        {32766.0, 1, 5, kDot, "32766.0"},
        {999.95, 1, 4, kDot, "1000.0"},
        // More integer digits than significant ones: scientific.
        {123456.0, 1, 5, kComma, "1,2346E+5"},
        {99999.96, 1, 5, kDot, "1.0000E+5"},
        {-123456.0, 1, 4, kDot, "-1.235E+5"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ValueText::fixed(c.value, c.decimals, c.significant, c.separator),
                  QString::fromLatin1(c.text))
            << c.value;
}

TEST(ValueTextScientific, mantissaAndSignedExponent)
{
    struct Case
    {
        double value;
        int significant;
        QChar separator;
        int exponentDigits;
        const char* text;
    };
    const Case cases[] = {
        {5.0e-3, 2, kDot, 1, "5.0E-3"},      {1.2e-3, 2, kComma, 1, "1,2E-3"},
        {123.0, 3, kDot, 1, "1.23E+2"},      {1.0, 3, kDot, 1, "1.00E+0"},
        {-2.5e-10, 3, kDot, 1, "-2.50E-10"}, {9.96, 2, kDot, 1, "1.0E+1"},
        {0.0, 2, kDot, 1, "0.0E+0"},         {1.2e-3, 2, kDot, 2, "1.2E-03"},
        {1e30, 3, kDot, 1, "1.00E+30"},      {7.0, 1, kDot, 1, "7E+0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ValueText::scientific(c.value, c.significant, c.separator, c.exponentDigits),
                  QString::fromLatin1(c.text))
            << c.value;
}

TEST(ValueTextFormat, formByColumnAndChannelKind)
{
    const ValueTextFormat format{1, 5, kComma};
    struct Case
    {
        float value;
        ValueColumn column;
        int canType;
        int lumirex;
        const char* text;
    };
    const Case cases[] = {
        {5.0e-3f, ValueColumn::Signal, 1, 1, "5,0E-3"},
        {1.5e-3f, ValueColumn::Signal, 1, 2, "1,50E-3"},
        {5.0f, ValueColumn::Signal, 16, 0, "5,00E+0"},
        {5.0f, ValueColumn::Setpoint, 16, 0, "5,00E+0"},
        {25.0f, ValueColumn::Setpoint, 1, 1, "25,0"}, // gauges show setpoints plainly
        {25.0f, ValueColumn::Signal, 1, 0, "25,0"},
        {100.0f, ValueColumn::PowerInList, 16, 1, "100,0"},
        {12345.6f, ValueColumn::PowerInList, 1, 0, "1,235E+4"},
        {12345.6f, ValueColumn::PowerInFile, 1, 0, "12346,0"},
    };
    for (const Case& c : cases) {
        const auto text = ValueText::format(c.value, c.column, c.canType, c.lumirex, format);
        ASSERT_TRUE(text) << c.text;
        EXPECT_EQ(*text, QString::fromLatin1(c.text));
    }
}

TEST(ValueTextFixed, nonFiniteValuesDoNotPassForZero)
{
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(ValueText::fixed(inf, 1, 5, kDot), u"INF");
    EXPECT_EQ(ValueText::scientific(-inf, 3, kDot), u"-INF");
    EXPECT_EQ(ValueText::fixed(std::numeric_limits<double>::quiet_NaN(), 1, 5, kDot), u"NAN");
}

TEST(ValueTextFormat, missingValuesAreNotFormatted)
{
    for (const float value : {core::NO_VALUE, 32767.4f, 32766.6f})
        EXPECT_FALSE(ValueText::format(value, ValueColumn::Signal, 1, 0, {})) << value;
    EXPECT_TRUE(ValueText::format(32766.4f, ValueColumn::Signal, 1, 0, {}));
}

} // namespace
} // namespace vostrand::comm

#include "acquisition/formula_binding.h"
#include "core/no_value.h"

#include <gtest/gtest.h>
#include <vector>

namespace vostrand::acquisition {
namespace {

using core::NO_VALUE;
using core::SensorRecord;
using Later = FormulaBinding::LaterSensors;

SensorRecord sensor(const char* adr, qint16 can, float t, float sp, float pw)
{
    SensorRecord record;
    record.Adr = QString::fromLatin1(adr);
    record.Can = can;
    record.Aktiv = true;
    record.T = t;
    record.SP = sp;
    record.Pw = pw;
    return record;
}

// Two channels of device 1 read in this pass, the formula channel 255.1 with its result of
// the previous pass, then device 10 (previous pass), a switched-off channel of device 2
// with an old reading, and a sensor without a channel number.
class FormulaBindingTest : public ::testing::Test
{
protected:
    static constexpr int kFormula = 2;

    FormulaBindingTest()
    {
        m_sensors = {
            sensor("01", 0, 20.0f, 25.5f, NO_VALUE),   sensor("01", 1, 30.0f, NO_VALUE, NO_VALUE),
            sensor("FF", 0, 4.0f, NO_VALUE, NO_VALUE), sensor("0A", 0, 7.0f, NO_VALUE, 0.1f),
            sensor("02", 0, 99.0f, 1.0f, 2.0f),        sensor("03", 0, 5.0f, 5.0f, 5.0f),
        };
        m_sensors[4].Aktiv = false;
        m_sensors[5].Can.reset();
    }

    float valueOf(const QString& formula, Later later = Later::PreviousPass,
                  QChar separator = QLatin1Char(','))
    {
        m_sensors[kFormula].Name = formula;
        FormulaBinding binding(m_constants, separator);
        return binding.signalValue(m_sensors, kFormula, later);
    }

    QStringList m_constants = {QStringLiteral("v=3,62"), QStringLiteral("k=1,5")};
    std::vector<SensorRecord> m_sensors;
};

TEST_F(FormulaBindingTest, constantsThenThreeLinesPerSensorWithTheRegionalSeparator)
{
    const FormulaBinding binding(m_constants, QLatin1Char(','));
    const QStringList expected = {
        "v=3,62",   "k=1,5",                                               // constants first
        "t1.1=20",  "s1.1=25,5", "p1.1=",     "t1.2=30", "s1.2=", "p1.2=", // this pass
        "t255.1=4", "s255.1=",   "p255.1=",                                // its own last result
        "t10.1=7",  "s10.1=",    "p10.1=0,1", // previous pass; the float's shortest text
        "t2.1=",    "s2.1=",     "p2.1=",     // switched off: its old reading is no value
    };
    EXPECT_EQ(binding.variables(m_sensors, kFormula, Later::PreviousPass), expected);
}

TEST_F(FormulaBindingTest, formulaResultsAndTheNoValueCases)
{
    struct Case
    {
        const char* formula;
        float value;
    };
    const Case cases[] = {
        {"(t1.1+t1.2)/2", 25.0f},
        {"-t1.1", -20.0f},
        {"t1.1*k", 30.0f}, // the constant 1,5 read with the regional comma
        {"t1.1*v", 72.4f},
        {"t10.1+t255.1", 11.0f}, // later sensors and the channel itself: last stored values
        {"10^38", 1e38f},
        {"2*-3", NO_VALUE},   // sequence error
        {"t5.1", NO_VALUE},   // no such channel
        {"", NO_VALUE},       // ")" right after "("
        {"s1.2*2", NO_VALUE}, // a missing setpoint is not 32767 × 2
        {"p1.1+1", NO_VALUE},
        {"t2.1", NO_VALUE}, // switched off
        {"1/0", NO_VALUE},
        {"ln(t1.1-20)", NO_VALUE},
        {"10^39", NO_VALUE},    // beyond what the record's float holds
        {"2.5*t1.1", NO_VALUE}, // a decimal point where the comma is the separator
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(valueOf(QString::fromUtf8(c.formula)), c.value) << c.formula;
}

TEST_F(FormulaBindingTest, firstPassOfARunTakesNothingFromTheChannelOn)
{
    EXPECT_FLOAT_EQ(valueOf(QStringLiteral("t1.1+t1.2"), Later::NotReadYet), 50.0f);
    EXPECT_FLOAT_EQ(valueOf(QStringLiteral("t10.1"), Later::NotReadYet), NO_VALUE);
    EXPECT_FLOAT_EQ(valueOf(QStringLiteral("t255.1+1"), Later::NotReadYet), NO_VALUE);
    EXPECT_FLOAT_EQ(valueOf(QStringLiteral("t255.1+1"), Later::PreviousPass), 5.0f);
}

TEST_F(FormulaBindingTest, decimalPointSystem)
{
    m_constants = {QStringLiteral("k=1.5")};
    EXPECT_FLOAT_EQ(valueOf(QStringLiteral("s1.1*k"), Later::PreviousPass, QLatin1Char('.')),
                    38.25f);
    EXPECT_FLOAT_EQ(valueOf(QStringLiteral("2,5"), Later::PreviousPass, QLatin1Char('.')),
                    NO_VALUE);
}

TEST_F(FormulaBindingTest, bindsWhatTheWholeListWouldGive)
{
    // A constant shadows a sensor's line; of two sensors with one address the first counts.
    m_constants << QStringLiteral("t1.2=100");
    m_sensors.push_back(sensor("0A", 0, 500.0f, 500.0f, 500.0f));
    const char* formulas[] = {"t1.2+t1.1", "t10.1*s1.1+p10.1", "T1.1", "t01.1", "t255.1+s255.1",
                              "x1.1",      "t1.1+t2.1",        "k*v"};
    for (const Later later : {Later::PreviousPass, Later::NotReadYet}) {
        for (const char* formula : formulas) {
            m_sensors[kFormula].Name = QString::fromUtf8(formula);
            FormulaBinding binding(m_constants, QLatin1Char(','));
            TMathParser whole(QLatin1Char(','));
            whole.setExpression(m_sensors[kFormula].Name);
            whole.setVariables(binding.variables(m_sensors, kFormula, later));
            const MathResult expected = whole.evaluate();
            const MathResult bound = binding.evaluate(m_sensors, kFormula, later);
            ASSERT_EQ(bound.ok(), expected.ok()) << formula;
            if (expected.ok())
                EXPECT_EQ(bound.value(), expected.value()) << formula;
            else
                EXPECT_EQ(bound.failure(), expected.failure()) << formula;
        }
    }
}

TEST_F(FormulaBindingTest, indexOutsideTheTableHasNoValue)
{
    FormulaBinding binding(m_constants, QLatin1Char(','));
    EXPECT_FLOAT_EQ(binding.signalValue(m_sensors, -1, Later::PreviousPass), NO_VALUE);
    EXPECT_FLOAT_EQ(binding.signalValue(m_sensors, 6, Later::PreviousPass), NO_VALUE);
    EXPECT_EQ(binding.evaluate(m_sensors, 6, Later::PreviousPass).failure().error,
              MathError::UntrueSequence);
}

} // namespace
} // namespace vostrand::acquisition

#include "comm/channel_value.h"
#include "comm/modbus_codec.h"
#include "core/no_value.h"

#include <gtest/gtest.h>
#include <initializer_list>

namespace vostrand::comm {
namespace {

using core::NO_VALUE;

// A normalised read reply holding the given registers.
QString block(std::initializer_list<int> registers)
{
    QString pairs = QStringLiteral("0103") + ModbusCodec::hex8(2 * int(registers.size()));
    for (const int value : registers)
        pairs += ModbusCodec::hex16(value);
    return pairs + ModbusCodec::hex8(*ModbusCodec::lrc(QStringLiteral(":") + pairs));
}

ChannelParameters integerChannel()
{
    return {1, 0.1, 32000, 0};
}

ChannelParameters floatChannel()
{
    return {ChannelValue::kFloat16Type, 0.1, 32000, 0};
}

ChannelParameters gauge(int lumirex)
{
    return {1, 0.1, 32000, lumirex};
}

TEST(ChannelValueFloat16, knownCodes)
{
    struct Case
    {
        std::uint16_t bits;
        double value;
    };
    const Case cases[] = {
        {0x0000, 0.0},  {0x0801, 1.0},    {0x8801, -1.0},   {0x0805, 5.0},
        {0x0BFF, 1e30}, {0x8BFF, -1e-30}, {0x8FFF, -1e-30}, {0x4001, 1e-18},
        {0x7C01, 1e-3}, {0x3C01, 1e13},   {0x0001, 0.01},   {0x3FFE, 1022e13},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(ChannelValue::fl16ToFloat(c.bits), c.value) << std::hex << c.bits;
}

TEST(ChannelValueSignal, integerAndFloatChannels)
{
    struct Case
    {
        const char* name;
        ChannelParameters channel;
        int raw;
        float value;
    };
    const Case cases[] = {
        {"service zone starts at Sluj", integerChannel(), 0x7D00, NO_VALUE},
        {"just below the service zone", integerChannel(), 0x7CFF, float(31999 * 0.1)},
        {"negative service zone", integerChannel(), -32000, NO_VALUE},
        {"signed register", integerChannel(), 0xFFFF, float(-0.1)},
        {"scale", {1, 1000.0, 32000, 0}, 25, 25000.0f},
        {"float overflow marker", floatChannel(), 0x0BFF, NO_VALUE},
        {"float", floatChannel(), 0x0805, 5.0f},
        {"small float", floatChannel(), 0x4001, 1e-18f},
        {"negative float", floatChannel(), 0x8805, NO_VALUE},
        {"zero float", floatChannel(), 0x0000, NO_VALUE},
        {"float ignores the service zone", floatChannel(), 0x7D01, 0.257f},
        {"unknown gauge kind", gauge(3), 0x0123, 0.0f},
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(ChannelValue::signal(block({0, c.raw}), 1, c.channel), c.value) << c.name;
}

TEST(ChannelValueSignal, missingDigitsGiveNoValue)
{
    for (const int lumirex : {0, 1, 2, 3}) {
        EXPECT_EQ(ChannelValue::signal(u"", 0, gauge(lumirex)), NO_VALUE) << lumirex;
        EXPECT_EQ(ChannelValue::signal(block({1}), 1, gauge(lumirex)), NO_VALUE) << lumirex;
        EXPECT_EQ(ChannelValue::signal(u"01030200G0C1", 0, gauge(lumirex)), NO_VALUE) << lumirex;
    }
    EXPECT_EQ(ChannelValue::signal(block({1}), -1, integerChannel()), NO_VALUE);
}

TEST(ChannelValueSignal, mantissaAndExponentGauge)
{
    EXPECT_FLOAT_EQ(ChannelValue::signal(block({0x0032, 0xFFFD}), 0, gauge(1)), 5.0e-3f);
    EXPECT_EQ(ChannelValue::signal(block({0x7D00, 0xFFFD}), 0, gauge(1)), NO_VALUE);
    // An exponent no float can hold is no reading, not infinity.
    EXPECT_EQ(ChannelValue::signal(block({0x0032, 0x7FFF}), 0, gauge(1)), NO_VALUE);
    EXPECT_EQ(ChannelValue::signal(block({0x0032}), 0, gauge(1)), NO_VALUE);

    // Each channel owns its pair: a block of channels + 1 registers leaves the second
    // channel without its exponent, and the first channel's exponent is never a mantissa.
    const QString shortBlock = block({0x0032, 0xFFFD, 0x0014});
    EXPECT_FLOAT_EQ(ChannelValue::signal(shortBlock, 0, gauge(1)), 5.0e-3f);
    EXPECT_EQ(ChannelValue::signal(shortBlock, 1, gauge(1)), NO_VALUE);
    EXPECT_FLOAT_EQ(ChannelValue::signal(block({0x0032, 0xFFFD, 0x0014, 0x0002}), 1, gauge(1)),
                    200.0f);
}

TEST(ChannelValueSignal, float32Gauge)
{
    EXPECT_FLOAT_EQ(ChannelValue::signal(block({0x9BA6, 0x3AC4}), 0, gauge(2)), 1.5e-3f);
    EXPECT_FLOAT_EQ(ChannelValue::signal(block({0x0000, 0xC000}), 0, gauge(2)), -2.0f);
    // Two channels but three registers: the second float is incomplete.
    const QString twoChannels = block({0x9BA6, 0x3AC4, 0xC5AC});
    EXPECT_FLOAT_EQ(ChannelValue::signal(twoChannels, 0, gauge(2)), 1.5e-3f);
    EXPECT_EQ(ChannelValue::signal(twoChannels, 1, gauge(2)), NO_VALUE);
    EXPECT_FLOAT_EQ(ChannelValue::signal(block({0, 0, 0xC5AC, 0x3727}), 1, gauge(2)), 1.0e-5f);

    struct Case
    {
        const char* name;
        int low;
        int high;
    };
    const Case invalid[] = {
        {"zero", 0x0000, 0x0000},
        {"negative zero", 0x0000, 0x8000},
        {"denormal", 0xFFFF, 0x007F},
        {"infinity", 0x0000, 0x7F80},
        {"not a number", 0x0000, 0x7FC0},
        {"largest single", 0xFFFF, 0x7F7F},
        {"negative infinity", 0x0000, 0xFF80},
    };
    for (const Case& c : invalid)
        EXPECT_EQ(ChannelValue::signal(block({c.low, c.high}), 0, gauge(2)), NO_VALUE) << c.name;
}

TEST(ChannelValueSetpointAndPower, decoding)
{
    EXPECT_FLOAT_EQ(ChannelValue::setpoint(block({0, 250}), 1, integerChannel()), 25.0f);
    EXPECT_EQ(ChannelValue::setpoint(block({0x7D00}), 0, integerChannel()), NO_VALUE);
    EXPECT_FLOAT_EQ(ChannelValue::setpoint(block({0x0805}), 0, floatChannel()), 5.0f);
    EXPECT_EQ(ChannelValue::setpoint(block({0x8805}), 0, floatChannel()), NO_VALUE);
    // Setpoints of gauges are plain registers, one per channel.
    EXPECT_FLOAT_EQ(ChannelValue::setpoint(block({0x0032, 0x0014}), 1, gauge(1)), 2.0f);
    EXPECT_EQ(ChannelValue::setpoint(u"", 0, integerChannel()), NO_VALUE);

    EXPECT_FLOAT_EQ(ChannelValue::power(block({0x03E8}), 0, 32000), 100.0f);
    EXPECT_FLOAT_EQ(ChannelValue::power(block({0, -5}), 1, 32000), -0.5f);
    EXPECT_EQ(ChannelValue::power(block({0x7D00}), 0, 32000), NO_VALUE);
    EXPECT_EQ(ChannelValue::power(block({0x03E8}), 1, 32000), NO_VALUE);
}

TEST(ChannelValueMakerProtocol, channelsCountFromZero)
{
    EXPECT_FLOAT_EQ(ChannelValue::makerValue(u"05+23.5_-1.2", 0), 23.5f);
    EXPECT_FLOAT_EQ(ChannelValue::makerValue(u"05+23.5_-1.2", 1), -1.2f);
    EXPECT_EQ(ChannelValue::makerValue(u"05+23.5_-1.2", 2), NO_VALUE);
    EXPECT_EQ(ChannelValue::makerValue(u"05+1e300", 0), NO_VALUE);
}

} // namespace
} // namespace vostrand::comm

#include "comm/modbus_codec.h"
#include "devices/device_identification.h"

#include <gtest/gtest.h>
#include <vector>

namespace vostrand::devices {
namespace {

using comm::ModbusCodec;

// The normalised reply of device 05 to a read of these registers.
QString replyOf(const std::vector<quint16>& registers)
{
    QString text =
        QStringLiteral("0503") + ModbusCodec::hex8(2 * static_cast<int>(registers.size()));
    for (const quint16 value : registers)
        text += ModbusCodec::hex16(value);
    return text + ModbusCodec::hex8(*ModbusCodec::lrc(QLatin1Char(':') + text));
}

std::vector<quint16> modelRegisters(std::vector<quint16> leading)
{
    leading.resize(DeviceIdentification::kModelRegisterCount, 0);
    return leading;
}

struct ModelCase
{
    const char* name;
    std::vector<quint16> registers;
    QString expected;
};

class ModelText : public ::testing::TestWithParam<ModelCase>
{};

TEST_P(ModelText, readsTwoCharactersPerRegisterLowByteFirst)
{
    EXPECT_EQ(DeviceIdentification::modelText(replyOf(GetParam().registers)), GetParam().expected);
}

std::vector<quint16> alphabet()
{
    std::vector<quint16> registers;
    for (int k = 0; k < DeviceIdentification::kModelRegisterCount; ++k)
        registers.push_back(static_cast<quint16>(('a' + 2 * k) | ('a' + 2 * k + 1) << 8));
    return registers;
}

INSTANTIATE_TEST_SUITE_P(
    Registers, ModelText,
    ::testing::Values(
        ModelCase{"stopsAtZeroRegister", modelRegisters({0x4D54, 0x0000, 0x4141}), "TM"},
        // "ТРМ1" in code page 1251.
        ModelCase{"cyrillicIn1251", modelRegisters({0xD0D2, 0x31CC}), QStringLiteral("ТРМ1")},
        ModelCase{"cutAtFirstNul", modelRegisters({0x0041, 0x4242}), "A"},
        // The scan never reaches the 15th register: 28 characters at most.
        ModelCase{"fifteenRegistersGiveTwentyEight", alphabet(), "abcdefghijklmnopqrstuvwxyz{|"},
        ModelCase{"noRegisters", {}, ""}),
    [](const auto& tested) { return std::string(tested.param.name); });

TEST(ModelText, emptyOrGarbledReplyGivesNoText)
{
    EXPECT_EQ(DeviceIdentification::modelText(u""), QString());
    EXPECT_EQ(DeviceIdentification::modelText(u"05031E4DZZ4D54000000000000000000"), QString());
}

struct WordCase
{
    std::optional<quint16> word;
    RegulatorLayout expected;
};

class ConfigurationWord : public ::testing::TestWithParam<WordCase>
{};

TEST_P(ConfigurationWord, decodesOnlyWithBits15And0)
{
    EXPECT_EQ(DeviceIdentification::layoutOf(GetParam().word), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Words, ConfigurationWord,
    ::testing::Values(WordCase{0x8003, {0, 80, 0, 0, 0}}, WordCase{0x8001, {0, 20, 0, 0, 0}},
                      // 1100 0000 0101 1101: type 2, 20 programs, step type 3, both flags.
                      WordCase{0xC05D, {2, 20, 3, 1, 1}}, WordCase{0xFFFF, {3, 80, 3, 1, 1}},
                      WordCase{0x7FFF, {-1, 80, 0, 0, 0}}, WordCase{0x8000, {-1, 80, 0, 0, 0}},
                      WordCase{std::nullopt, {-1, 80, 0, 0, 0}}));

struct DescriptorCase
{
    const char* name;
    QString reply;
    int serviceZone;
    ChannelDescriptor expected;
    QString units;
};

class Descriptor : public ::testing::TestWithParam<DescriptorCase>
{};

TEST_P(Descriptor, givesUnitTypeAndScale)
{
    const DescriptorCase& c = GetParam();
    const ChannelDescriptor descriptor =
        DeviceIdentification::descriptorOf(2, c.reply, c.serviceZone);
    EXPECT_EQ(descriptor.can, 2);
    EXPECT_EQ(descriptor.unitCode, c.expected.unitCode);
    EXPECT_EQ(descriptor.dataType, c.expected.dataType);
    EXPECT_FLOAT_EQ(descriptor.scale, c.expected.scale);
    EXPECT_EQ(descriptor.units(), c.units);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, Descriptor,
    ::testing::Values(
        DescriptorCase{"pascalTwoDecimals",
                       replyOf({0x0003, 0x0102}),
                       32000,
                       {2, 3, 1, 0.01f},
                       QStringLiteral("Па")},
        DescriptorCase{"floatNoDecimals",
                       replyOf({0x0000, 0x1000}),
                       32000,
                       {2, 0, 16, 1.0f},
                       QStringLiteral("°C")},
        DescriptorCase{"atServiceZone", replyOf({0x7D00, 0x0102}), 32000, {2, -1, 1, 0.1f}, "?"},
        // Read as it is, not sign-extended: 0xFFF6 is far above the zone.
        DescriptorCase{"negativeLooking", replyOf({0xFFF6, 0x0102}), 32000, {2, -1, 1, 0.1f}, "?"},
        DescriptorCase{"belowARaisedZone",
                       replyOf({0x7D00, 0x0102}),
                       32767,
                       {2, 0, 1, 0.01f},
                       QStringLiteral("°C")},
        DescriptorCase{
            "unitOutsideTable", replyOf({0x0040, 0x0101}), 32000, {2, 0x40, 1, 0.1f}, "?"},
        // A field that is not hexadecimal falls back on its own: unit 0, type 1, scale 0.1.
        DescriptorCase{"garbledUnit",
                       QStringLiteral("05030400ZZ100200"),
                       32000,
                       {2, 0, 16, 0.01f},
                       QStringLiteral("°C")},
        DescriptorCase{"garbledTypeAndDecimals",
                       QStringLiteral("0503040003ZZZZ00"),
                       32000,
                       {2, 3, 1, 0.1f},
                       QStringLiteral("Па")}),
    [](const auto& tested) { return std::string(tested.param.name); });

TEST(DescriptorSupport, onlyF000AndF001)
{
    EXPECT_TRUE(DeviceIdentification::hasDescriptorSupport(0xF000));
    EXPECT_TRUE(DeviceIdentification::hasDescriptorSupport(0xF001));
    EXPECT_FALSE(DeviceIdentification::hasDescriptorSupport(0xF002));
    EXPECT_FALSE(DeviceIdentification::hasDescriptorSupport(0x7FFF));
    EXPECT_FALSE(DeviceIdentification::hasDescriptorSupport(std::nullopt));
}

TEST(MakerIdentification, recognisesTheAddressAndCountsChannels)
{
    EXPECT_EQ(DeviceIdentification::makerChannelCount(u"07+23.5_-1.2_+100", 7), 3);
    EXPECT_EQ(DeviceIdentification::makerChannelCount(u"07+23.5", 7), 1);
    EXPECT_FALSE(DeviceIdentification::makerChannelCount(u"07-23.5_1_2", 7));
    EXPECT_FALSE(DeviceIdentification::makerChannelCount(u"05+23.5", 7));
    EXPECT_FALSE(DeviceIdentification::makerChannelCount(u"7+23.5", 7));
    EXPECT_FALSE(DeviceIdentification::makerChannelCount(u"", 7));
    // Three-digit addresses are recognised by all three digits.
    EXPECT_EQ(DeviceIdentification::makerChannelCount(u"123+1_2", 123), 2);
}

} // namespace
} // namespace vostrand::devices

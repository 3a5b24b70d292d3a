#include "sim/float16.h"
#include "sim/instrument_model.h"
#include "sim_requests.h"

#include <bit>
#include <cmath>
#include <gtest/gtest.h>

#include <QStringDecoder>

namespace vostrand::sim {
namespace {

using testing::instrument;
using testing::pdu;
using testing::words;

// Reads registers the way the program does, through function 03.
std::vector<quint16> read(InstrumentModel& model, quint16 start, quint16 count)
{
    const QByteArray reply = model.handlePdu(pdu(0x03, {start, count}), 0.0);
    if (reply.size() != 2 + 2 * count || reply[0] != 0x03)
        return {};
    return words(QByteArrayView(reply).sliced(2));
}

// The model text as the program decodes it: low byte first, up to the first 0000 register.
QString modelText(const std::vector<quint16>& registers)
{
    QByteArray bytes;
    for (std::size_t index = 0; index < 14 && index < registers.size(); ++index) {
        if (registers[index] == 0)
            break;
        bytes.append(static_cast<char>(registers[index] & 0xFF));
        bytes.append(static_cast<char>(registers[index] >> 8));
    }
    bytes = bytes.left(bytes.indexOf('\0') < 0 ? bytes.size() : bytes.indexOf('\0'));
    QStringDecoder decoder("windows-1251");
    return decoder(bytes);
}

TEST(InstrumentModel, identificationReadsAsTheProgramDecodesIt)
{
    InstrumentConfig config = instrument(4, 3);
    config.model = QStringLiteral("Lumirex ВИТ-2");
    config.configurationWord = 0xE003;
    config.descriptorSupport = 0xF001;
    InstrumentModel model(config);

    EXPECT_EQ(read(model, 0x0130, 1), std::vector<quint16>{3});
    const std::vector<quint16> identification = read(model, 0x0131, 15);
    ASSERT_EQ(identification.size(), 15u);
    EXPECT_EQ(identification[0], 0x754C); // "Lu", low byte first
    EXPECT_EQ(modelText(identification), QStringLiteral("Lumirex ВИТ-2"));
    EXPECT_EQ(identification[12], 0) << "0x013D ends the text before the configuration word";
    EXPECT_EQ(identification[13], 0xE003);
    EXPECT_EQ(identification[14], 0xF001);
    EXPECT_EQ(model.regulatorType(), 3);
}

TEST(InstrumentModel, longModelNamesAreCutBeforeTheConfigurationWord)
{
    InstrumentConfig config = instrument(4, 1);
    config.model = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
    InstrumentModel model(config);
    EXPECT_EQ(modelText(read(model, 0x0131, 15)), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWX"));
}

TEST(InstrumentModel, descriptorsEncodeUnitTypeAndDecimalsPerChannel)
{
    InstrumentConfig config = instrument(4, 3);
    config.channels[0].unitCode = 3; // Па, integer, 0.01
    config.channels[0].decimals = 2;
    config.channels[2].unitCode = 8; // мм рт.ст., 16-bit float
    config.channels[2].dataType = 16;
    config.channels[2].decimals = 0;
    InstrumentModel model(config);
    EXPECT_EQ(read(model, 0x017E, 2), (std::vector<quint16>{0x0003, 0x0102}));
    EXPECT_EQ(read(model, 0x097E, 2), (std::vector<quint16>{0x0008, 0x1000}));
}

TEST(InstrumentModel, setpointWrittenAtChannelRegisterShowsInTheSetpointBlock)
{
    InstrumentConfig config = instrument(4, 2);
    config.channels[1].setpoint = 350.0;
    InstrumentModel model(config);
    EXPECT_EQ(read(model, 0x0030, 2), (std::vector<quint16>{0, 3500}));

    const QByteArray write = pdu(0x06, {0x0400 + 0x0173, 0xFFF6}); // channel 2: −1.0
    EXPECT_EQ(model.handlePdu(write, 0.0), write);
    EXPECT_EQ(read(model, 0x0030, 2), (std::vector<quint16>{0, 0xFFF6}));
    EXPECT_EQ(read(model, 0x0573, 1), std::vector<quint16>{0xFFF6});
    EXPECT_DOUBLE_EQ(model.setpointValue(1), -1.0);
}

TEST(InstrumentModel, otherRegistersAreAPlainStore)
{
    InstrumentModel model(instrument(4, 2));
    EXPECT_EQ(read(model, 0x059A, 1), std::vector<quint16>{0}); // alarm type of channel 2
    const QByteArray write = QByteArray::fromHex("10014000060C0019000C001F0017003B003B");
    EXPECT_EQ(model.handlePdu(write, 0.0), pdu(0x10, {0x0140, 6}));
    EXPECT_EQ(read(model, 0x0140, 6), (std::vector<quint16>{25, 12, 31, 23, 59, 59}));
}

TEST(InstrumentModel, refusesWhatARealInstrumentRefuses)
{
    InstrumentModel model(instrument(4, 2));
    const struct
    {
        const char* what;
        QByteArray request;
        QByteArray reply;
    } cases[] = {
        {"unknown function", pdu(0x2B, {0, 1}), QByteArray::fromHex("AB01")},
        {"count 0", pdu(0x03, {0, 0}), QByteArray::fromHex("8303")},
        {"count 128", pdu(0x04, {0, 128}), QByteArray::fromHex("8403")},
        {"page of channel 3", pdu(0x03, {0x0800, 1}), QByteArray::fromHex("8302")},
        {"block running into it", pdu(0x03, {0x07FF, 2}), QByteArray::fromHex("8302")},
        {"write a signal", pdu(0x06, {0x0001, 5}), QByteArray::fromHex("8602")},
        {"write the channel count", pdu(0x06, {0x0130, 5}), QByteArray::fromHex("8602")},
        {"write a descriptor", pdu(0x06, {0x057E, 5}), QByteArray::fromHex("8602")},
        {"short 06", QByteArray::fromHex("060173"), QByteArray::fromHex("8603")},
        {"10 byte count wrong", QByteArray::fromHex("1002000002030001000200"),
         QByteArray::fromHex("9003")},
        {"10 data longer than its count", QByteArray::fromHex("100200000204000100020000"),
         QByteArray::fromHex("9003")},
        {"10 touching a signal", QByteArray::fromHex("10002F00020400010002"),
         QByteArray::fromHex("9002")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(model.handlePdu(c.request, 0.0).toHex(), c.reply.toHex()) << c.what;
    EXPECT_EQ(read(model, 0x0030, 1), std::vector<quint16>{0}) << "refused 10 wrote nothing";
}

TEST(InstrumentModel, signalsFollowTheirShapeAndEncoding)
{
    InstrumentConfig config = instrument(4, 4);
    config.channels[0].shape = ValueShape(ValueShape::Kind::Ramp, 100, 50, 10);
    config.channels[1].shape = ValueShape(ValueShape::Kind::Sine, 0, 10, 20);
    config.channels[2].shape = ValueShape(ValueShape::Kind::Constant, 5.0);
    config.channels[2].dataType = 16;
    config.channels[3].shape = ValueShape(ValueShape::Kind::Constant, 40000);
    InstrumentModel model(config);
    const QByteArray reply = model.handlePdu(pdu(0x03, {0, 4}), 15.0);
    const std::vector<quint16> registers = words(QByteArrayView(reply).sliced(2));
    ASSERT_EQ(registers.size(), 4u);
    EXPECT_EQ(registers[0], 1250);   // half way up the ramp: 125.0
    EXPECT_EQ(registers[1], 0xFF9C); // 10 · sin(3π/2) = −10.0 → −100
    EXPECT_DOUBLE_EQ(Float16::decode(registers[2]), 5.0);
    EXPECT_EQ(registers[3], 0x7FFF) << "out of range clamps, and reads as no value";
}

TEST(InstrumentModel, noiseIsAFunctionOfSeedAndTime)
{
    InstrumentConfig config = instrument(4, 1);
    config.channels[0].shape = ValueShape(ValueShape::Kind::Constant, 50, 0, 60, 1.0);
    const InstrumentModel first(config);
    const InstrumentModel again(config);
    config.seed = 2;
    const InstrumentModel other(config);
    EXPECT_EQ(first.signalValue(0, 12.34), again.signalValue(0, 12.34));
    EXPECT_NE(first.signalValue(0, 12.34), other.signalValue(0, 12.34));
    EXPECT_NE(first.signalValue(0, 12.34), first.signalValue(0, 12.54));
    for (double t = 0; t < 10; t += 0.37)
        EXPECT_LE(std::fabs(first.signalValue(0, t) - 50), 1.0);
}

TEST(InstrumentModel, lumirexGaugesPutEachChannelInTwoRegisters)
{
    InstrumentConfig mantissa = instrument(4, 1);
    mantissa.lumirex = 1;
    mantissa.channels[0].shape = ValueShape(ValueShape::Kind::Constant, 5.0e-3);
    InstrumentModel kind1(mantissa);
    const std::vector<quint16> pair = read(kind1, 0, 2);
    ASSERT_EQ(pair.size(), 2u);
    const double value =
        static_cast<qint16>(pair[0]) * 0.1 * std::pow(10.0, static_cast<qint16>(pair[1]));
    EXPECT_NEAR(value, 5.0e-3, 1e-9);
    EXPECT_LT(std::abs(static_cast<qint16>(pair[0])), 32000);

    InstrumentConfig real = instrument(4, 2);
    real.lumirex = 2;
    real.channels[0].shape = ValueShape(ValueShape::Kind::Constant, 1.5e-4);
    InstrumentModel kind2(real);
    const std::vector<quint16> block = read(kind2, 0, 3); // the program reads channels + 1
    ASSERT_EQ(block.size(), 3u);
    const quint32 bits = (static_cast<quint32>(block[1]) << 16) | block[0]; // low word first
    EXPECT_FLOAT_EQ(std::bit_cast<float>(bits), 1.5e-4f);
}

TEST(Float16, roundTripsThroughTheProgramsRule)
{
    const struct
    {
        quint16 bits;
        double value;
    } decoded[] = {{0x0805, 5.0}, {0x4001, 1.0e-18}, {0x0BFF, 1.0e30}, {0x8805, -5.0}};
    for (const auto& c : decoded)
        EXPECT_DOUBLE_EQ(Float16::decode(c.bits), c.value) << c.bits;
    for (const double value : {5.0, -5.0, 0.004, 1.5, 123.4, 98765.0, 2.5e-9, 1.0e-18, 7.0e12})
        EXPECT_NEAR(Float16::decode(Float16::encode(value)), value, std::fabs(value) * 5e-3)
            << value;
    EXPECT_EQ(Float16::encode(0.0), 0);
    EXPECT_NE(Float16::encode(1.0e30) & 0x3FF, 0x3FF) << "mantissa 1023 is reserved";
}

} // namespace
} // namespace vostrand::sim

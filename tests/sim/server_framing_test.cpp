#include "comm/modbus_codec.h"
#include "sim/frame_splitter.h"
#include "sim/server_framing.h"
#include "sim/simulator.h"
#include "sim_requests.h"

#include <gtest/gtest.h>

namespace vostrand::sim {
namespace {

using testing::asciiRequest;
using testing::instrument;
using testing::pdu;
using testing::rtuRequest;
using testing::tcpRequest;

using comm::ModbusCodec;
using core::ExchangeStatus;

TEST(SimChecksum, codecKnownAnswersHold)
{
    EXPECT_EQ(ModbusCodec::lrc(u":0103000A0001"), 0xF1);
    EXPECT_EQ(ModbusCodec::crc16(QByteArray("123456789")), 0x4B37);
}

class SimFraming : public ::testing::Test
{
protected:
    void SetUp() override
    {
        InstrumentConfig config = instrument(1, 2);
        config.channels[0].shape = ValueShape(ValueShape::Kind::Constant, 23.5);
        config.channels[1].shape = ValueShape(ValueShape::Kind::Constant, -1.2);
        ASSERT_FALSE(m_simulator.addInstrument(config));
        InstrumentConfig maker = instrument(5, 3);
        maker.channels[0].shape = ValueShape(ValueShape::Kind::Constant, 23.5);
        maker.channels[1].shape = ValueShape(ValueShape::Kind::Constant, -1.2);
        maker.channels[2].shape = ValueShape(ValueShape::Kind::Constant, 100);
        maker.channels[2].decimals = 0;
        maker.channels[0].setpoint = 350;
        ASSERT_FALSE(m_simulator.addInstrument(maker));
        m_simulator.setClock([] { return 0.0; });
    }

    QByteArray reply(Framing framing, const QByteArray& request)
    {
        return m_simulator.respond(framing, request).reply.value_or("<none>");
    }

    Simulator m_simulator;
};

TEST_F(SimFraming, answersKnownFramesInEveryFraming)
{
    // 23.5 with one decimal is 235 = 0x00EB; −1.2 is −12 = 0xFFF4.
    EXPECT_EQ(reply(Framing::ModbusAscii, ":010300000002FA\r\n"), ":01030400EBFFF41A\r\n");
    EXPECT_EQ(reply(Framing::ModbusAscii, ":0103000A0001F1\r\n"), ":0103020000FA\r\n");
    EXPECT_EQ(reply(Framing::ModbusRtu, QByteArray::fromHex("010300000001840A")),
              QByteArray::fromHex("01030200EBF80B"));
    EXPECT_EQ(reply(Framing::ModbusTcp, QByteArray::fromHex("123400000006010300000002")),
              QByteArray::fromHex("12340000000701030400EBFFF4"));
    EXPECT_EQ(reply(Framing::Maker, "&051\r"), ">05+23.5_-1.2_+100\r");
    EXPECT_EQ(reply(Framing::Maker, "&05C\r"), ">05+350.0_+0.0_+0\r");
}

TEST_F(SimFraming, programsCodecReadsTheRepliesOfEveryFraming)
{
    const QString request = ModbusCodec::readRequest(1, 0x03, 0x0000, 2);
    const QByteArray ascii = reply(Framing::ModbusAscii, ModbusCodec::asciiFrame(request));
    ASSERT_TRUE(ascii.startsWith(':') && ascii.endsWith("\r\n"));
    const auto packet = ModbusCodec::fromAsciiPacket(QString::fromLatin1(ascii.mid(1).chopped(2)));
    const auto line = ModbusCodec::fromAsciiLine(QString::fromLatin1(ascii.chopped(2)));
    const std::optional<comm::RtuRequest> rtu = ModbusCodec::rtuRequest(request);
    ASSERT_TRUE(rtu);
    const QByteArray rtuReply = reply(Framing::ModbusRtu, rtu->frame);
    EXPECT_EQ(rtuReply.size(), rtu->expectedReplyLength);
    const auto fromRtu = ModbusCodec::fromRtu(rtuReply, 0x03);
    const auto fromTcp = ModbusCodec::fromModbusTcp(
        reply(Framing::ModbusTcp, tcpRequest(0, 1, pdu(0x03, {0x0000, 2}))));
    for (const auto& normalised : {packet, line, fromRtu, fromTcp}) {
        EXPECT_EQ(ModbusCodec::blockStatus(normalised), ExchangeStatus::Good)
            << normalised.text.toStdString();
        EXPECT_EQ(ModbusCodec::registerValue(normalised.text, 0), 235);
        EXPECT_EQ(ModbusCodec::registerValue(normalised.text, 1), 0xFFF4);
    }

    // A setpoint write through the codec, read back through it.
    const QString write =
        ModbusCodec::writeRegisterRequest(1, ModbusCodec::channelRegister(1, 0x0173), 77);
    const auto echo = ModbusCodec::registerWriteResult(ModbusCodec::fromRtu(
        reply(Framing::ModbusRtu, ModbusCodec::rtuRequest(write)->frame), 0x06));
    EXPECT_EQ(echo.echo, 77);
    const QString readBack = ModbusCodec::readRequest(1, 0x03, 0x0030, 2);
    const auto setpoints = ModbusCodec::fromAsciiPacket(QString::fromLatin1(
        reply(Framing::ModbusAscii, ModbusCodec::asciiFrame(readBack)).mid(1).chopped(2)));
    EXPECT_EQ(ModbusCodec::registerValue(setpoints.text, 1), 77);

    // An exception reply is status 3 for the program.
    const auto refused = ModbusCodec::fromRtu(
        reply(Framing::ModbusRtu,
              ModbusCodec::rtuRequest(ModbusCodec::readRequest(1, 0x03, 0x0C00, 1))->frame),
        0x03);
    EXPECT_EQ(ModbusCodec::blockStatus(refused), ExchangeStatus::Exception);
}

TEST_F(SimFraming, staysSilentOnBadChecksumsAndUnknownAddresses)
{
    const struct
    {
        const char* what;
        Framing framing;
        QByteArray request;
    } cases[] = {
        {"wrong LRC", Framing::ModbusAscii, ":010300000002FB\r\n"},
        {"not hex", Framing::ModbusAscii, ":01030000000ZFA\r\n"},
        {"no colon", Framing::ModbusAscii, "010300000002FA\r\n"},
        {"wrong CRC", Framing::ModbusRtu, QByteArray::fromHex("010300000001840B")},
        {"short RTU", Framing::ModbusRtu, QByteArray::fromHex("0103")},
        {"MBAP protocol 1", Framing::ModbusTcp, QByteArray::fromHex("123400010006010300000002")},
        {"MBAP bad length", Framing::ModbusTcp, QByteArray::fromHex("123400000009010300000002")},
        {"nobody at 9", Framing::ModbusAscii, asciiRequest(9, pdu(3, {0, 1}))},
        {"nobody at 9 RTU", Framing::ModbusRtu, rtuRequest(9, pdu(3, {0, 1}))},
        {"maker nobody", Framing::Maker, "&091\r"},
        {"maker unknown command", Framing::Maker, "&05Z\r"},
        {"maker no digits", Framing::Maker, "&1\r"},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(m_simulator.respond(c.framing, c.request).reply) << c.what;
}

TEST_F(SimFraming, makerAddressesAboveNinetyNineUseThreeDigits)
{
    ASSERT_FALSE(m_simulator.addInstrument(instrument(200, 1)));
    EXPECT_EQ(reply(Framing::Maker, "&2001\r"), ">200+0.0\r");
}

TEST_F(SimFraming, writesEchoInEveryModbusFraming)
{
    const QByteArray write06 = pdu(0x06, {0x0173, 400});
    EXPECT_EQ(reply(Framing::ModbusAscii, asciiRequest(1, write06)), asciiRequest(1, write06));
    EXPECT_EQ(reply(Framing::ModbusRtu, rtuRequest(1, write06)), rtuRequest(1, write06));
    // Function 10 answers with the start register and the count.
    const QByteArray write10 = QByteArray::fromHex("10020000020400010002");
    EXPECT_EQ(reply(Framing::ModbusTcp, tcpRequest(7, 1, write10)),
              tcpRequest(7, 1, pdu(0x10, {0x0200, 2})));
}

TEST(FrameSplitter, cutsMixedSerialLineAndResynchronises)
{
    FrameSplitter splitter(FrameSplitter::Mode::SerialLine);
    const QByteArray rtu = rtuRequest(1, pdu(3, {0, 8}));
    const QByteArray rtu10 = rtuRequest(2, QByteArray::fromHex("100140000204000A000B"));
    // Noise, an ASCII frame cut short by the next one, RTU, maker's request, RTU 10.
    splitter.append(QByteArray("\x07\x99", 2) + ":0103" + ":010300000002FA\r\n" + rtu + "&051\r" +
                    rtu10);
    std::vector<SplitFrame> frames;
    while (const auto frame = splitter.next())
        frames.push_back(*frame);
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0].framing, Framing::ModbusAscii);
    EXPECT_EQ(frames[0].bytes, ":010300000002FA\r\n");
    EXPECT_EQ(frames[1].framing, Framing::ModbusRtu);
    EXPECT_EQ(frames[1].bytes, rtu);
    EXPECT_EQ(frames[2].framing, Framing::Maker);
    EXPECT_EQ(frames[3].bytes, rtu10);
    EXPECT_FALSE(splitter.hasPending());
}

TEST(FrameSplitter, dropsAStaleHalfFrameOnSilence)
{
    FrameSplitter splitter(FrameSplitter::Mode::Rtu);
    const QByteArray rtu = rtuRequest(1, pdu(3, {0, 8}));
    splitter.append(rtu.left(5));
    EXPECT_FALSE(splitter.next());
    while (splitter.hasPending())
        splitter.dropStaleByte();
    splitter.append(rtu);
    const auto frame = splitter.next();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->bytes, rtu);
}

TEST(FrameSplitter, asciiLinesSkipTheExtraLineEnd)
{
    // The program sends its request line and a further CR LF.
    FrameSplitter splitter(FrameSplitter::Mode::AsciiLines);
    splitter.append(":010300000002FA\r\n\r\n:0103000A0001F1\r\n");
    EXPECT_EQ(splitter.next()->bytes, ":010300000002FA\r\n");
    EXPECT_EQ(splitter.next()->bytes, ":0103000A0001F1\r\n");
    EXPECT_FALSE(splitter.next());
}

TEST(FrameSplitter, boundsItsBufferAndRejectsNonsenseHeaders)
{
    FrameSplitter lines(FrameSplitter::Mode::AsciiLines);
    lines.append(':' + QByteArray(5000, '0'));
    EXPECT_FALSE(lines.next());
    lines.append(":010300000002FA\r\n");
    EXPECT_EQ(lines.next()->bytes, ":010300000002FA\r\n");

    FrameSplitter mbap(FrameSplitter::Mode::Mbap);
    mbap.append(QByteArray::fromHex("0001000000FE01"));
    EXPECT_FALSE(mbap.next());
    EXPECT_FALSE(mbap.broken());
    FrameSplitter nonsense(FrameSplitter::Mode::Mbap);
    nonsense.append(QByteArray::fromHex("00010000FFFF01"));
    EXPECT_FALSE(nonsense.next());
    EXPECT_TRUE(nonsense.broken());
}

} // namespace
} // namespace vostrand::sim

#include "comm/modbus_codec.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <optional>
#include <ostream>

#include <QDir>
#include <QFile>

namespace vostrand::core {
// Statuses read as their codes in failure messages.
static void PrintTo(ExchangeStatus status, std::ostream* out)
{
    *out << "status " << toCode(status);
}
} // namespace vostrand::core

namespace vostrand::comm {
namespace {

using core::ExchangeStatus;

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (const int value : values)
        result.append(static_cast<char>(value));
    return result;
}

QByteArray withCrc(QByteArray frame)
{
    const std::uint16_t crc = ModbusCodec::crc16(frame);
    frame.append(static_cast<char>(crc & 0xFF));
    frame.append(static_cast<char>(crc >> 8));
    return frame;
}

// A read reply in normalised form with a correct LRC.
QString normalised(const QString& pairs)
{
    return pairs + ModbusCodec::hex8(*ModbusCodec::lrc(QStringLiteral(":") + pairs));
}

TEST(ModbusCodecCheckSums, knownAnswers)
{
    EXPECT_EQ(ModbusCodec::lrc(u":0103000A0001"), 0xF1);
    EXPECT_EQ(ModbusCodec::lrc(u":010300000002"), 0xFA);
    EXPECT_EQ(ModbusCodec::lrc(u":"), 0x00);
    EXPECT_EQ(ModbusCodec::crc16(QByteArray("123456789")), 0x4B37);
    EXPECT_EQ(ModbusCodec::crc16(QByteArray()), 0xFFFF);
    EXPECT_EQ(ModbusCodec::crc16(bytes({0x01, 0x03, 0x00, 0x00, 0x00, 0x01})), 0x0A84);
}

TEST(ModbusCodecCheckSums, lrcRefusesTextThatIsNotWholeHexPairs)
{
    EXPECT_FALSE(ModbusCodec::lrc(u":01G3"));
    EXPECT_FALSE(ModbusCodec::lrc(u":010"));
    EXPECT_FALSE(ModbusCodec::lrc(u":01 3"));
}

TEST(ModbusCodecRequests, hexFormatterKeepsTheLowBits)
{
    EXPECT_EQ(ModbusCodec::hex16(0), u"0000");
    EXPECT_EQ(ModbusCodec::hex16(0x1ABCD), u"ABCD");
    EXPECT_EQ(ModbusCodec::hex16(-1), u"FFFF");
    EXPECT_EQ(ModbusCodec::hex8(10), u"0A");
    EXPECT_EQ(ModbusCodec::hex8(0x1FF), u"FF");
}

TEST(ModbusCodecRequests, textsForEveryFunction)
{
    EXPECT_EQ(ModbusCodec::readRequest(0x01, 0x03, 0x0000, 8), u":010300000008");
    EXPECT_EQ(ModbusCodec::readRequest(10, 0x04, 0x0030, 2), u":0A0400300002");
    EXPECT_EQ(ModbusCodec::writeRegisterRequest(0x01, 0x0173, -5), u":01060173FFFB");
    EXPECT_EQ(ModbusCodec::writeSixRegistersRequest(0x02, 0x0300, {24, 5, 17, 13, 4, 59}),
              QStringLiteral(":021003000006"
                             "0C"
                             "001800050011000D0004003B"));
    EXPECT_EQ(ModbusCodec::asciiFrame(u":0103000A0001"), QByteArray(":0103000A0001F1\r\n"));
    EXPECT_TRUE(ModbusCodec::asciiFrame(u":01G3").isEmpty());
}

TEST(ModbusCodecRequests, addressesAndChannelRegisters)
{
    EXPECT_EQ(ModbusCodec::parseAddress(u"0A"), 10);
    EXPECT_EQ(ModbusCodec::parseAddress(u"fe"), 254);
    EXPECT_FALSE(ModbusCodec::parseAddress(u""));
    EXPECT_FALSE(ModbusCodec::parseAddress(u"1G"));
    EXPECT_FALSE(ModbusCodec::parseAddress(u"100"));

    EXPECT_EQ(ModbusCodec::channelRegister(0, 0x0173), 0x0173);
    EXPECT_EQ(ModbusCodec::channelRegister(3, 0x0173), 0x0D73);
    EXPECT_EQ(ModbusCodec::channelRegister(63, 0x0221), 0xFE21);
    EXPECT_EQ(ModbusCodec::channelRegister(64, 0x0221), 0x0221); // wraps at 16 bits
}

TEST(ModbusCodecRtu, framesAndExpectedReplyLengths)
{
    const auto read = ModbusCodec::rtuRequest(u":010300000001");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->frame, bytes({0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A}));
    EXPECT_EQ(read->expectedReplyLength, 7);

    const auto block = ModbusCodec::rtuRequest(u":0A0400300008F0\r\n"); // LRC, CR LF ignored
    ASSERT_TRUE(block);
    EXPECT_EQ(block->frame.left(6), bytes({0x0A, 0x04, 0x00, 0x30, 0x00, 0x08}));
    EXPECT_EQ(block->expectedReplyLength, 21);

    const auto write = ModbusCodec::rtuRequest(u":010600010003");
    ASSERT_TRUE(write);
    EXPECT_EQ(write->frame, bytes({0x01, 0x06, 0x00, 0x01, 0x00, 0x03, 0x98, 0x0B}));
    EXPECT_EQ(write->expectedReplyLength, 8);

    const auto clock = ModbusCodec::rtuRequest(
        ModbusCodec::writeSixRegistersRequest(0x01, 0x0300, {24, 5, 17, 13, 4, 0x1234}));
    ASSERT_TRUE(clock);
    ASSERT_EQ(clock->frame.size(), 21);
    EXPECT_EQ(clock->frame.left(7), bytes({0x01, 0x10, 0x03, 0x00, 0x00, 0x06, 0x0C}));
    EXPECT_EQ(clock->frame.mid(17, 2), bytes({0x12, 0x34}));
    EXPECT_EQ(ModbusCodec::crc16(clock->frame), 0); // the CRC closes the frame
    EXPECT_EQ(clock->expectedReplyLength, 8);
}

TEST(ModbusCodecRtu, refusesWhatItCannotFrame)
{
    EXPECT_FALSE(ModbusCodec::rtuRequest(u""));
    EXPECT_FALSE(ModbusCodec::rtuRequest(u"010300000001"));  // no colon
    EXPECT_FALSE(ModbusCodec::rtuRequest(u":0103000000"));   // cut short
    EXPECT_FALSE(ModbusCodec::rtuRequest(u":0103XX000001")); // not hex
    EXPECT_FALSE(ModbusCodec::rtuRequest(u":010500000001")); // function not used here
    EXPECT_FALSE(ModbusCodec::rtuRequest(u":011003000006")); // values missing
    // A reply of 1024 + 5 bytes would overrun the receive buffer.
    EXPECT_TRUE(ModbusCodec::rtuRequest(u":0103000001FD"));
    EXPECT_FALSE(ModbusCodec::rtuRequest(u":010300000200"));
}

TEST(ModbusCodecRtu, replyNormalisation)
{
    const auto good = ModbusCodec::fromRtu(withCrc(bytes({0x01, 0x03, 0x02, 0x00, 0x2A})), 0x03);
    EXPECT_EQ(good.status, ExchangeStatus::Good);
    EXPECT_EQ(good.text, normalised(QStringLiteral("010302002A")));
    EXPECT_EQ(ModbusCodec::registerValue(good.text, 0), 0x2A);

    // Bytes after the frame (a TCP receive takes up to 1024) are not part of it.
    const auto trailing =
        ModbusCodec::fromRtu(withCrc(bytes({0x01, 0x03, 0x02, 0x00, 0x2A})) + "xyz", 0x03);
    EXPECT_EQ(trailing.text, good.text);

    const auto echo =
        ModbusCodec::fromRtu(withCrc(bytes({0x01, 0x06, 0x00, 0x01, 0x00, 0x03})), 0x06);
    EXPECT_EQ(echo.status, ExchangeStatus::Good);
    EXPECT_EQ(ModbusCodec::echoedValue(echo.text), 3);

    const auto exception = ModbusCodec::fromRtu(withCrc(bytes({0x01, 0x83, 0x02})), 0x03);
    EXPECT_EQ(exception.text, normalised(QStringLiteral("018302")));
    EXPECT_EQ(ModbusCodec::blockStatus(exception), ExchangeStatus::Exception);
    // The exception frame carries no CRC check.
    EXPECT_EQ(ModbusCodec::fromRtu(bytes({0x01, 0x83, 0x02, 0x00, 0x00}), 0x03).text,
              exception.text);
}

TEST(ModbusCodecRtu, badOrShortRepliesGiveNoText)
{
    struct Case
    {
        const char* name;
        QByteArray reply;
        std::uint8_t function;
        ExchangeStatus status;
    };
    QByteArray corrupted = withCrc(bytes({0x01, 0x03, 0x02, 0x00, 0x2A}));
    corrupted[4] = 0x2B;
    const Case cases[] = {
        {"empty", {}, 0x03, ExchangeStatus::NoReply},
        {"one byte", bytes({0x01}), 0x03, ExchangeStatus::NoReply},
        {"exception cut short", bytes({0x01, 0x83}), 0x03, ExchangeStatus::NoReply},
        {"read without byte count", bytes({0x01, 0x03}), 0x03, ExchangeStatus::NoReply},
        {"fewer data than counted", withCrc(bytes({0x01, 0x03, 0x04, 0x00, 0x2A})), 0x03,
         ExchangeStatus::NoReply},
        {"write cut short", bytes({0x01, 0x06, 0x00, 0x01, 0x00, 0x03, 0x98}), 0x06,
         ExchangeStatus::NoReply},
        {"bad read CRC", corrupted, 0x03, ExchangeStatus::ChecksumError},
        {"bad write CRC", bytes({0x01, 0x06, 0x00, 0x01, 0x00, 0x03, 0x98, 0x0C}), 0x06,
         ExchangeStatus::ChecksumError},
    };
    for (const Case& c : cases) {
        const NormalisedReply reply = ModbusCodec::fromRtu(c.reply, c.function);
        EXPECT_TRUE(reply.text.isEmpty()) << c.name;
        EXPECT_EQ(reply.status, c.status) << c.name;
        // A block read keeps the reason instead of a bare "no reply".
        EXPECT_EQ(ModbusCodec::blockStatus(reply), c.status) << c.name;
    }
}

// One register of device 1 at 0x0C73, the request the cases below wait on.
constexpr ExpectedReply kOneRegister{0x01, 0x03, 0x0C73, 1};

TEST(ModbusCodecRtu, completeOnTheOwnFrameOrWholeException)
{
    const QByteArray own = withCrc(bytes({0x01, 0x03, 0x02, 0x00, 0x2A}));
    EXPECT_FALSE(ModbusCodec::rtuReplyComplete(own.left(6), kOneRegister));
    EXPECT_TRUE(ModbusCodec::rtuReplyComplete(own, kOneRegister));
    EXPECT_TRUE(ModbusCodec::rtuReplyComplete(withCrc(bytes({0x01, 0x83, 0x02})), kOneRegister));
    EXPECT_FALSE(ModbusCodec::rtuReplyComplete(bytes({0x01, 0x83, 0x02}), kOneRegister));
}

// A reply that answers another request (a block read's that came too late, a write to another
// register) is not this request's reply, whatever its check sum says.
TEST(ModbusCodecRtu, onlyTheRequestsOwnFrameIsTaken)
{
    const QByteArray own = withCrc(bytes({0x01, 0x03, 0x02, 0x00, 0x2A}));
    const QByteArray staleBlock =
        withCrc(bytes({0x01, 0x03, 0x08, 0x00, 0x11, 0x00, 0x12, 0x00, 0x13, 0x00, 0x14}));
    QByteArray badOwn = own;
    badOwn[4] = 0x2B;
    const ExpectedReply write{0x01, 0x06, 0x0173, 1};
    const ExpectedReply clock{0x01, 0x10, 0x0120, 6};
    struct Case
    {
        const char* name;
        QByteArray received;
        ExpectedReply expected;
        bool complete;
        ExchangeStatus status;
        std::optional<std::uint16_t> register0;
    };
    const Case cases[] = {
        {"own frame", own, kOneRegister, true, ExchangeStatus::Good, 0x2A},
        {"stale block alone", staleBlock, kOneRegister, false, ExchangeStatus::NoReply, {}},
        {"stale block, then own", staleBlock + own, kOneRegister, true, ExchangeStatus::Good, 0x2A},
        {"stale block, own cut short",
         staleBlock + own.left(4),
         kOneRegister,
         false,
         ExchangeStatus::NoReply,
         {}},
        {"stale block, own exception",
         staleBlock + withCrc(bytes({0x01, 0x83, 0x02})),
         kOneRegister,
         true,
         ExchangeStatus::Exception,
         {}},
        {"junk, then own", bytes({0x7F, 0x01}) + own, kOneRegister, true, ExchangeStatus::Good,
         0x2A},
        // Behind a stale frame only a good CRC makes a frame; in front the CRC is judged.
        {"stale block, own with bad CRC",
         staleBlock + badOwn,
         kOneRegister,
         false,
         ExchangeStatus::NoReply,
         {}},
        {"own with bad CRC", badOwn, kOneRegister, true, ExchangeStatus::ChecksumError, {}},
        {"other address",
         withCrc(bytes({0x02, 0x03, 0x02, 0x00, 0x2A})),
         kOneRegister,
         false,
         ExchangeStatus::NoReply,
         {}},
        {"write echo",
         withCrc(bytes({0x01, 0x06, 0x01, 0x73, 0x00, 0x4D})),
         write,
         true,
         ExchangeStatus::Good,
         {}},
        {"echo of another register",
         withCrc(bytes({0x01, 0x06, 0x01, 0x74, 0x00, 0x4D})),
         write,
         false,
         ExchangeStatus::NoReply,
         {}},
        {"clock echo",
         withCrc(bytes({0x01, 0x10, 0x01, 0x20, 0x00, 0x06})),
         clock,
         true,
         ExchangeStatus::Good,
         {}},
        {"clock echo of another count",
         withCrc(bytes({0x01, 0x10, 0x01, 0x20, 0x00, 0x02})),
         clock,
         false,
         ExchangeStatus::NoReply,
         {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ModbusCodec::rtuReplyComplete(c.received, c.expected), c.complete) << c.name;
        const NormalisedReply reply = ModbusCodec::fromRtu(c.received, c.expected);
        EXPECT_EQ(ModbusCodec::blockStatus(reply), c.status) << c.name;
        if (c.register0) {
            EXPECT_EQ(ModbusCodec::registerValue(reply.text, 0), c.register0) << c.name;
        }
    }
}

TEST(ModbusCodecAscii, packetAnswersOnlyItsOwnRequest)
{
    struct Case
    {
        const char* packet;
        ExpectedReply expected;
        bool answers;
    };
    const Case cases[] = {
        {"010302002AD0", kOneRegister, true},
        {"0103100011001200130014001500160017001855", kOneRegister, false}, // block read
        {"0203020000FA", kOneRegister, false},
        {"0104020000FA", kOneRegister, false},
        {"018302", kOneRegister, true},
        {"0183", kOneRegister, false},
        {"01060173004D", {0x01, 0x06, 0x0173, 1}, true},
        {"01060174004D", {0x01, 0x06, 0x0173, 1}, false},
        {"011001200006", {0x01, 0x10, 0x0120, 6}, true},
        {"011001200001", {0x01, 0x10, 0x0120, 6}, false},
        {"01XX02002A", kOneRegister, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ModbusCodec::answersPacket(QString::fromLatin1(c.packet), c.expected), c.answers)
            << c.packet;
}

TEST(ModbusCodecBlock, eightChannelReadFromDeviceOne)
{
    const QString request = ModbusCodec::readRequest(0x01, 0x03, 0x0000, 8);
    EXPECT_EQ(ModbusCodec::asciiFrame(request), QByteArray(":010300000008F4\r\n"));

    const QString data = QStringLiteral("00FA00FB00FC0123FFFF7D0000000001");
    const auto reply = ModbusCodec::fromAsciiPacket(normalised(QStringLiteral("010310") + data));
    ASSERT_EQ(reply.text.size(), 6 + 32 + 2);
    EXPECT_EQ(ModbusCodec::blockStatus(reply), ExchangeStatus::Good);
    EXPECT_EQ(reply.text.mid(18, 4), u"0123"); // register 3 at positions 19..22
    EXPECT_EQ(ModbusCodec::registerValue(reply.text, 3), 0x0123);
    EXPECT_EQ(ModbusCodec::registerValue(reply.text, 7), 0x0001);
    EXPECT_FALSE(ModbusCodec::registerValue(reply.text, 8)); // the LRC is no register
    EXPECT_FALSE(ModbusCodec::registerValue(reply.text, -1));
}

TEST(ModbusCodecBlock, validation)
{
    const QString good = normalised(QStringLiteral("010302002A"));
    QString wrongLrc = good;
    wrongLrc[wrongLrc.size() - 1] = QLatin1Char(good.back() == QLatin1Char('0') ? '1' : '0');
    const QString exception = normalised(QStringLiteral("018302"));
    struct Case
    {
        QString reply;
        ExchangeStatus status;
    };
    const Case cases[] = {
        {good, ExchangeStatus::Good},
        {good.toLower(), ExchangeStatus::Good},
        {QString(), ExchangeStatus::NoReply},
        {wrongLrc, ExchangeStatus::ChecksumError},
        {exception, ExchangeStatus::Exception},
        {QStringLiteral("01830200"), ExchangeStatus::Exception}, // whatever the LRC says
        {QStringLiteral("01XX02002AD0"), ExchangeStatus::NoReply},
        {QStringLiteral("010302ZZ2AD0"), ExchangeStatus::NoReply},
        {QStringLiteral("010302002AZZ"), ExchangeStatus::NoReply},
        {QStringLiteral("010302002AD"), ExchangeStatus::NoReply}, // odd length
        {QStringLiteral("0"), ExchangeStatus::NoReply},
        {QStringLiteral("01"), ExchangeStatus::NoReply},
        {QStringLiteral("010"), ExchangeStatus::NoReply},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ModbusCodec::validateBlockReply(c.reply), c.status) << c.reply.toStdString();
}

TEST(ModbusCodecBlock, fieldsOfShortRepliesAreMissing)
{
    EXPECT_FALSE(ModbusCodec::functionCode(u"0"));
    EXPECT_FALSE(ModbusCodec::echoedValue(u"0106000100"));
    EXPECT_EQ(ModbusCodec::echoedValue(u"01060001FFFB"), 0xFFFB);
    EXPECT_FALSE(ModbusCodec::echoedValue(normalised(QStringLiteral("018602"))));
}

TEST(ModbusCodecSingleRegister, readResult)
{
    const auto good = ModbusCodec::registerReadResult(
        {normalised(QStringLiteral("010302FFFB")), ExchangeStatus::Good});
    EXPECT_EQ(good.value, 0xFFFB);
    EXPECT_EQ(good.status, ExchangeStatus::Good);

    struct Case
    {
        NormalisedReply reply;
        ExchangeStatus status;
    };
    const Case cases[] = {
        {{}, ExchangeStatus::NoReply},
        {{QString(), ExchangeStatus::ChecksumError}, ExchangeStatus::ChecksumError},
        {{QStringLiteral("010302FFFB01"), ExchangeStatus::Good}, ExchangeStatus::ChecksumError},
        {{normalised(QStringLiteral("010300")), ExchangeStatus::Good}, ExchangeStatus::NoReply},
        {{normalised(QStringLiteral("018302")), ExchangeStatus::Exception},
         ExchangeStatus::Exception},
    };
    for (const Case& c : cases) {
        const RegisterRead read = ModbusCodec::registerReadResult(c.reply);
        EXPECT_FALSE(read.value) << c.reply.text.toStdString();
        EXPECT_EQ(read.status, c.status) << c.reply.text.toStdString();
    }
}

TEST(ModbusCodecSingleRegister, writeResult)
{
    // The echo counts even with a wrong LRC.
    const auto echo =
        ModbusCodec::registerWriteResult({QStringLiteral("010601730019FF"), ExchangeStatus::Good});
    EXPECT_EQ(echo.echo, 0x0019);
    EXPECT_FALSE(echo.exception);
    EXPECT_EQ(echo.status, ExchangeStatus::Good);

    const auto exception = ModbusCodec::registerWriteResult(
        {normalised(QStringLiteral("018602")), ExchangeStatus::Exception});
    EXPECT_FALSE(exception.echo);
    EXPECT_TRUE(exception.exception);
    EXPECT_EQ(exception.status, ExchangeStatus::Exception);

    const auto cut =
        ModbusCodec::registerWriteResult({QStringLiteral("0106017300"), ExchangeStatus::Good});
    EXPECT_FALSE(cut.echo);
    EXPECT_EQ(cut.status, ExchangeStatus::NoReply);
    EXPECT_EQ(ModbusCodec::registerWriteResult({}).status, ExchangeStatus::NoReply);
}

TEST(ModbusCodecAsciiTcp, lineNormalisation)
{
    EXPECT_EQ(ModbusCodec::fromAsciiLine(u":010302002AD0").text, u"010302002AD0");
    EXPECT_EQ(ModbusCodec::fromAsciiLine(u":010302002AD0").status, ExchangeStatus::Good);

    const auto badLrc = ModbusCodec::fromAsciiLine(u":010302002AD1");
    EXPECT_TRUE(badLrc.text.isEmpty());
    EXPECT_EQ(badLrc.status, ExchangeStatus::ChecksumError);

    for (const QString& line : {QString(), QStringLiteral(":"), QStringLiteral(":0"),
                                QStringLiteral("010302002AD0"), QStringLiteral(":0103G2002AD0")}) {
        const auto reply = ModbusCodec::fromAsciiLine(line);
        EXPECT_TRUE(reply.text.isEmpty()) << line.toStdString();
        EXPECT_EQ(reply.status, ExchangeStatus::NoReply) << line.toStdString();
    }
    EXPECT_EQ(ModbusCodec::fromAsciiPacket(u"").status, ExchangeStatus::NoReply);
}

TEST(ModbusCodecTcp, expectedReplyLengths)
{
    struct Case
    {
        int function;
        int start;
        int count;
        int tcpBytes;
        int asciiChars;
    };
    const Case cases[] = {
        {0x03, 0x0000, 8, 25, 13},  {0x03, 0x0090, 10, 29, 49}, {0x03, 0x0112, 2, 13, 17},
        {0x03, 0x0125, 2, 13, 13},  {0x03, 0x0114, 6, 21, 33},  {0x03, 0x0120, 1, 12, 15},
        {0x03, 0x0131, 15, 39, 69}, {0x06, 0x0173, 1, 12, 15},  {0x10, 0x0300, 6, 12, 15},
        {0x04, 0x0000, 4, 17, 13},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ModbusCodec::expectedModbusTcpReplyBytes(c.function, c.start, c.count),
                  c.tcpBytes)
            << c.function << " " << c.start;
        EXPECT_EQ(ModbusCodec::expectedAsciiTcpReplyChars(c.function, c.start, c.count),
                  c.asciiChars)
            << c.function << " " << c.start;
    }
}

TEST(ModbusCodecTcp, replyTakenFromTheUnitIdentifierWithinSizeLimits)
{
    const QByteArray reply =
        bytes({0x00, 0x00, 0x00, 0x00, 0x00, 0x05, 0x01, 0x03, 0x02, 0x00, 0x2A});
    const auto good = ModbusCodec::fromModbusTcp(reply);
    EXPECT_EQ(good.text, normalised(QStringLiteral("010302002A")));
    EXPECT_EQ(ModbusCodec::blockStatus(good), ExchangeStatus::Good);
    // Bytes past the frame its header announces are not part of it.
    EXPECT_EQ(ModbusCodec::fromModbusTcp(reply + "xyz").text, good.text);

    const auto exception =
        ModbusCodec::fromModbusTcp(bytes({0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x01, 0x83, 0x02}));
    EXPECT_EQ(ModbusCodec::blockStatus(exception), ExchangeStatus::Exception);

    EXPECT_TRUE(ModbusCodec::fromModbusTcp(reply.left(8)).text.isEmpty());
    QByteArray longest(1022, '\0');
    longest[4] = char(0x03);
    longest[5] = char(0xF8);
    EXPECT_FALSE(ModbusCodec::fromModbusTcp(longest).text.isEmpty());
    EXPECT_TRUE(ModbusCodec::fromModbusTcp(longest + '\0').text.isEmpty());
}

// Bytes of a reply's length are not a reply: every header field and the PDU's first bytes must
// agree with the request.
TEST(ModbusCodecTcp, replyMustAnswerTheRequestByEveryHeaderField)
{
    // Transaction 0x1234, unit 1, one register at 0x0C73.
    const QByteArray request =
        bytes({0x12, 0x34, 0x00, 0x00, 0x00, 0x06, 0x01, 0x03, 0x0C, 0x73, 0x00, 0x01});
    const QByteArray good =
        bytes({0x12, 0x34, 0x00, 0x00, 0x00, 0x05, 0x01, 0x03, 0x02, 0x00, 0x2A});
    const auto changed = [&good](qsizetype index, int value) {
        QByteArray reply = good;
        reply[index] = static_cast<char>(value);
        return reply;
    };
    struct Case
    {
        const char* name;
        QByteArray reply;
        ExchangeStatus status;
    };
    const Case cases[] = {
        {"own reply", good, ExchangeStatus::Good},
        {"exception", bytes({0x12, 0x34, 0x00, 0x00, 0x00, 0x03, 0x01, 0x83, 0x02}),
         ExchangeStatus::Exception},
        {"other transaction", changed(1, 0x35), ExchangeStatus::NoReply},
        {"protocol not 0", changed(3, 0x01), ExchangeStatus::NoReply},
        {"length beyond the bytes", changed(5, 0x07), ExchangeStatus::NoReply},
        {"length short of the PDU", changed(5, 0x04), ExchangeStatus::NoReply},
        {"other unit", changed(6, 0x02), ExchangeStatus::NoReply},
        {"other function", changed(7, 0x04), ExchangeStatus::NoReply},
        {"byte count of a block", changed(8, 0x10), ExchangeStatus::NoReply},
        {"random bytes", bytes({0x5A, 0xC3, 0x91, 0x07, 0x3E, 0xB2, 0x44, 0x0F, 0xE8, 0x61, 0x9D}),
         ExchangeStatus::NoReply},
        {"cut short", good.left(10), ExchangeStatus::NoReply},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ModbusCodec::blockStatus(ModbusCodec::fromModbusTcp(c.reply, request)), c.status)
            << c.name;

    // A write is answered by the echo of its own register.
    const QByteArray write =
        bytes({0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0x01, 0x06, 0x01, 0x73, 0x00, 0x4D});
    EXPECT_EQ(ModbusCodec::fromModbusTcp(write, write).status, ExchangeStatus::Good);
    QByteArray otherRegister = write;
    otherRegister[9] = 0x74;
    EXPECT_TRUE(ModbusCodec::fromModbusTcp(otherRegister, write).text.isEmpty());
}

TEST(ModbusCodecTcp, replyCompleteWhenTheHeaderLengthHasArrived)
{
    const QByteArray exception = bytes({0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x01, 0x83, 0x02});
    EXPECT_TRUE(ModbusCodec::modbusTcpReplyComplete(exception));
    EXPECT_FALSE(ModbusCodec::modbusTcpReplyComplete(exception.left(8)));
    EXPECT_FALSE(ModbusCodec::modbusTcpReplyComplete(exception.left(5)));
}

// Stands in for the library export and records how it was called.
struct FakeConverter
{
    QByteArray seenFrame;
    int seenTransaction = -1;
    std::int32_t length = 0;

    AsciiToTcpConverter converter()
    {
        return [this](const QByteArray& ascii, int transaction, QByteArray& tcp) {
            seenFrame = ascii;
            seenTransaction = transaction;
            tcp = QByteArray(length, 'x');
            return core::LibraryCall{length, {}};
        };
    }
};

TEST(ModbusCodecTcp, frameBuiltFromTheAsciiFrameWithTransactionZero)
{
    FakeConverter fake;
    fake.length = 12;
    const TcpFrameResult frame = ModbusCodec::modbusTcpFrame(u":010300000002", fake.converter());
    EXPECT_TRUE(frame.ok());
    EXPECT_EQ(frame.frame.size(), 12);
    EXPECT_EQ(fake.seenFrame, QByteArray(":010300000002FA\r\n"));
    EXPECT_EQ(fake.seenTransaction, 0);

    fake.length = 11; // 11 bytes or fewer is no frame
    const TcpFrameResult tooShort = ModbusCodec::modbusTcpFrame(u":010300000002", fake.converter());
    EXPECT_EQ(tooShort.status, ExchangeStatus::NoReply);
    EXPECT_TRUE(tooShort.frame.isEmpty());
    EXPECT_TRUE(tooShort.message.isEmpty());
}

TEST(ModbusCodecTcp, missingExportIsReported)
{
    const QString message = QStringLiteral(
        "Ошибка - не доступна функция convert_MODBUS_ASCII_to_TCP библиотеки vostrand_lib.dll");
    const AsciiToTcpConverter unbound = [](const QByteArray&, int, QByteArray&) {
        return core::LibraryCall{std::nullopt, QStringLiteral("whatever the binding says")};
    };
    for (const AsciiToTcpConverter& convert : {unbound, AsciiToTcpConverter()}) {
        const TcpFrameResult frame = ModbusCodec::modbusTcpFrame(u":010300000002", convert);
        EXPECT_EQ(frame.status, ExchangeStatus::NoReply);
        EXPECT_TRUE(frame.frame.isEmpty());
        EXPECT_EQ(frame.message, message);
    }
}

TEST(ModbusCodecTcp, frameFromTheRealLibrary)
{
    const QString path =
        QDir(QStringLiteral(VOSTRAND_TEST_BIN_DIR)).filePath(QStringLiteral("libvostrand_lib.so"));
    if (!QFile::exists(path))
        GTEST_SKIP() << "helper library not built: " << path.toStdString();
    const core::HelperLibrary library(QStringList{path});
    ASSERT_TRUE(library.isLoaded());
    const AsciiToTcpConverter convert = [&library](const QByteArray& ascii, int transaction,
                                                   QByteArray& tcp) {
        return library.convertModbusAsciiToTcp(ascii, transaction, tcp);
    };
    const TcpFrameResult frame = ModbusCodec::modbusTcpFrame(u":010300000002", convert);
    ASSERT_TRUE(frame.ok());
    EXPECT_EQ(frame.frame,
              bytes({0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0x01, 0x03, 0x00, 0x00, 0x00, 0x02}));
}

} // namespace
} // namespace vostrand::comm

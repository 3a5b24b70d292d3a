#include "comm/bus.h"
#include "comm/maker_exchange.h"
#include "comm/modbus_exchanges.h"
#include "comm/serial_transport.h"
#include "comm/tcp_transport.h"
#include "comm_fakes.h"
#include "core/device_table.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

namespace vostrand::comm {
namespace {

using core::ExchangeStatus;
using namespace testing;

constexpr auto kTimeout = 300ms;

core::DeviceRecord serialDevice(const QString& address, qint16 protocol)
{
    core::DeviceRecord device;
    device.NetAdress = address;
    device.Modbus = protocol;
    device.Canals = 8;
    return device;
}

core::DeviceRecord tcpDevice(const QString& address, qint16 protocol, quint16 port)
{
    core::DeviceRecord device = serialDevice(address, protocol);
    device.YesRJ45 = true;
    device.IP = QStringLiteral("127.0.0.1");
    device.IPPort = QString::number(port);
    return device;
}

qint16 protocolOf(Link link)
{
    return testing_links::protocolCode(link);
}

// A Bus on the test thread with real transports; pauses are recorded, not slept.
class ExchangesTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    ExchangesTest()
        : bus(std::make_unique<SerialTransport>(), std::make_unique<TcpTransport>())
        , exchanges(bus, devices, fakeAsciiToTcp)
    {
        bus.setTiming({kTimeout, 50ms});
        bus.setPauser([this](std::chrono::milliseconds pause) { pauses.push_back(pause); });
        QObject::connect(&bus, &Bus::statusText, [this](StatusPanel panel, const QString& text) {
            statusTexts.push_back({panel, text});
        });
    }

    // Lists one device "01" on `link`, served by `responder`.
    void attach(Link link, Responder responder, qint32 baud = 115200)
    {
        if (isSerial(link)) {
            pty = std::make_unique<PtyDevice>(std::move(responder));
            ASSERT_TRUE(pty->ok());
            ASSERT_TRUE(bus.selectPort({pty->slavePath(), baud}));
            devices.append(serialDevice(QStringLiteral("01"), protocolOf(link)));
        } else {
            tcp = std::make_unique<TcpDevice>(std::move(responder));
            devices.append(tcpDevice(QStringLiteral("01"), protocolOf(link), tcp->port()));
        }
    }

    core::DeviceTable devices;
    Bus bus;
    ModbusExchanges exchanges;
    std::unique_ptr<PtyDevice> pty;
    std::unique_ptr<TcpDevice> tcp;
    std::vector<std::chrono::milliseconds> pauses;
    std::vector<std::pair<StatusPanel, QString>> statusTexts;
};

struct StatusCase
{
    Link link;
    Fault fault;
    ExchangeStatus expected;
};

class BlockStatusTest : public ExchangesTest, public ::testing::WithParamInterface<StatusCase>
{};

TEST_P(BlockStatusTest, blockReadEndsWithTheStatusOfTheReply)
{
    const StatusCase c = GetParam();
    attach(c.link, deviceResponder(c.link, Registers{{{0x0000, 235}, {0x0003, 0xFFF6}}}, c.fault));

    const BlockReply block = exchanges.ReadRegisterBlock(0, 8, 0x0000);

    EXPECT_EQ(block.status, c.expected);
    if (c.expected == ExchangeStatus::Good) {
        EXPECT_EQ(block.reply.left(6), QStringLiteral("010310"));
        EXPECT_EQ(ModbusCodec::registerValue(block.reply, 0), 235);
        EXPECT_EQ(ModbusCodec::registerValue(block.reply, 3), 0xFFF6);
    }
    if (c.expected == ExchangeStatus::Exception) {
        EXPECT_EQ(block.reply.left(6), QStringLiteral("018302"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryFraming, BlockStatusTest,
    ::testing::Values(
        StatusCase{Link::SerialAscii, Fault::None, ExchangeStatus::Good},
        StatusCase{Link::SerialAscii, Fault::Silent, ExchangeStatus::NoReply},
        StatusCase{Link::SerialAscii, Fault::BadChecksum, ExchangeStatus::ChecksumError},
        StatusCase{Link::SerialAscii, Fault::Exception, ExchangeStatus::Exception},
        StatusCase{Link::SerialAscii, Fault::Partial, ExchangeStatus::NoReply},
        StatusCase{Link::SerialRtu, Fault::None, ExchangeStatus::Good},
        StatusCase{Link::SerialRtu, Fault::Silent, ExchangeStatus::NoReply},
        StatusCase{Link::SerialRtu, Fault::BadChecksum, ExchangeStatus::ChecksumError},
        StatusCase{Link::SerialRtu, Fault::Exception, ExchangeStatus::Exception},
        StatusCase{Link::SerialRtu, Fault::Partial, ExchangeStatus::NoReply},
        StatusCase{Link::TcpAscii, Fault::None, ExchangeStatus::Good},
        StatusCase{Link::TcpAscii, Fault::Silent, ExchangeStatus::NoReply},
        StatusCase{Link::TcpAscii, Fault::BadChecksum, ExchangeStatus::ChecksumError},
        StatusCase{Link::TcpAscii, Fault::Exception, ExchangeStatus::Exception},
        StatusCase{Link::TcpAscii, Fault::Partial, ExchangeStatus::NoReply},
        StatusCase{Link::TcpRtu, Fault::None, ExchangeStatus::Good},
        StatusCase{Link::TcpRtu, Fault::BadChecksum, ExchangeStatus::ChecksumError},
        StatusCase{Link::TcpRtu, Fault::Exception, ExchangeStatus::Exception},
        StatusCase{Link::TcpRtu, Fault::Partial, ExchangeStatus::NoReply},
        StatusCase{Link::ModbusTcp, Fault::None, ExchangeStatus::Good},
        StatusCase{Link::ModbusTcp, Fault::Silent, ExchangeStatus::NoReply},
        StatusCase{Link::ModbusTcp, Fault::Exception, ExchangeStatus::Exception},
        StatusCase{Link::ModbusTcp, Fault::Partial, ExchangeStatus::NoReply}));

class PromptReplyTest : public ExchangesTest, public ::testing::WithParamInterface<Link>
{};

// The serial block wait is 3 × 300 ms; a prompt reply must end it at once.
TEST_P(PromptReplyTest, waitEndsAsSoonAsTheReplyIsWhole)
{
    attach(GetParam(), deviceResponder(GetParam(), Registers{}, Fault::None));
    QElapsedTimer elapsed;
    elapsed.start();

    const BlockReply block = exchanges.ReadRegisterBlock(0, 8, 0x0000);

    EXPECT_EQ(block.status, ExchangeStatus::Good);
    EXPECT_LT(elapsed.elapsed(), 150);
    EXPECT_TRUE(pauses.empty()); // the polling pass pauses, not the block read
}

TEST_P(PromptReplyTest, exceptionReplyEndsTheWaitToo)
{
    attach(GetParam(), deviceResponder(GetParam(), Registers{}, Fault::Exception));
    QElapsedTimer elapsed;
    elapsed.start();

    EXPECT_EQ(exchanges.ReadRegisterBlock(0, 8, 0x0000).status, ExchangeStatus::Exception);
    EXPECT_LT(elapsed.elapsed(), 150);
}

INSTANTIATE_TEST_SUITE_P(EveryFraming, PromptReplyTest,
                         ::testing::Values(Link::SerialAscii, Link::SerialRtu, Link::TcpAscii,
                                           Link::TcpRtu, Link::ModbusTcp));

TEST_F(ExchangesTest, lateReplyIsNotTakenForNextRequest)
{
    // The first request is answered after its wait ended; the device then falls silent.
    std::atomic<int> served{0};
    attach(Link::SerialAscii, [&](const QByteArray& received) -> std::optional<FakeReply> {
        const auto pdu = asciiRequestPdu(received);
        if (!pdu)
            return std::nullopt;
        if (served++ > 0)
            return FakeReply{};
        return FakeReply{asciiLine(Registers{}.answer(*pdu)), 400ms};
    });
    bus.setTiming({100ms, 0ms});

    EXPECT_EQ(exchanges.ReadRegisterBlock(0, 8, 0x0000).status, ExchangeStatus::NoReply);
    std::this_thread::sleep_for(200ms); // the late reply is in before the next request leaves
    EXPECT_EQ(exchanges.ReadRegisterBlock(0, 8, 0x0000).status, ExchangeStatus::NoReply);
}

TEST_F(ExchangesTest, lateReplyArrivingDuringTheNextWaitIsPassedOver)
{
    // Device 01 answers late, into the wait of the request to 02, which stays unanswered.
    attach(Link::SerialAscii, [](const QByteArray& received) -> std::optional<FakeReply> {
        const auto pdu = asciiRequestPdu(received);
        if (!pdu)
            return std::nullopt;
        if (pdu->at(0) != 0x01)
            return FakeReply{};
        return FakeReply{asciiLine(Registers{}.answer(*pdu)), 350ms};
    });
    devices.append(serialDevice(QStringLiteral("02"), 0));
    bus.setTiming({100ms, 0ms});

    EXPECT_EQ(exchanges.ReadRegisterBlock(0, 8, 0x0000).status, ExchangeStatus::NoReply);
    EXPECT_EQ(exchanges.ReadRegisterBlock(1, 8, 0x0000).status, ExchangeStatus::NoReply);
}

TEST_F(ExchangesTest, tcpConnectFailureIsNoReplyWithinTheTimeout)
{
    quint16 closedPort = 0;
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        closedPort = server.serverPort();
    }
    devices.append(tcpDevice(QStringLiteral("01"), 2, closedPort));
    QElapsedTimer elapsed;
    elapsed.start();

    EXPECT_EQ(exchanges.ReadRegisterBlock(0, 8, 0x0000).status, ExchangeStatus::NoReply);
    EXPECT_LT(elapsed.elapsed(), 1000);
}

TEST_F(ExchangesTest, everyTcpExchangeHasAConnectionOfItsOwn)
{
    attach(Link::ModbusTcp, deviceResponder(Link::ModbusTcp, Registers{}, Fault::None));

    exchanges.ReadRegisterBlock(0, 2, 0x0000);
    exchanges.ReadRegisterBlock(0, 2, 0x0030);

    EXPECT_EQ(tcp->connectionCount(), 2);
}

TEST_F(ExchangesTest, missingConversionIsReportedAndNoReply)
{
    ModbusExchanges withoutLibrary(bus, devices, AsciiToTcpConverter{});
    std::vector<QString> messages;
    QObject::connect(&bus, &Bus::message, [&](const QString& text) { messages.push_back(text); });
    devices.append(tcpDevice(QStringLiteral("01"), 2, 502));

    EXPECT_EQ(withoutLibrary.ReadRegisterBlock(0, 8, 0x0000).status, ExchangeStatus::NoReply);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("convert_MODBUS_ASCII_to_TCP")));
}

TEST_F(ExchangesTest, singleRegisterReadsAndWrites)
{
    attach(Link::SerialRtu,
           deviceResponder(Link::SerialRtu, Registers{{{0x0573, 1234}}}, Fault::None));

    const RegisterReply read = exchanges.ReadRegister(QStringLiteral("01"), 1, 0x0173);
    EXPECT_EQ(read.status, ExchangeStatus::Good);
    EXPECT_EQ(read.value, 1234);

    const WriteReply write = exchanges.WriteRegister(QStringLiteral("01"), 1, 0x0173, 777);
    EXPECT_EQ(write.status, ExchangeStatus::Good);
    EXPECT_TRUE(write.written);
    EXPECT_EQ(write.echoed, 777);

    // Half the delay after each.
    EXPECT_EQ(pauses, (std::vector<std::chrono::milliseconds>{25ms, 25ms}));
}

TEST_F(ExchangesTest, failedReadsGiveNoValueAndTheirStatus)
{
    attach(Link::SerialAscii, deviceResponder(Link::SerialAscii, Registers{}, Fault::BadChecksum));

    const RegisterReply read = exchanges.ReadRegister(QStringLiteral("01"), 0, 0x0173);
    EXPECT_EQ(read.status, ExchangeStatus::ChecksumError);
    EXPECT_EQ(read.valueOrNoValue(), RegisterReply::kNoValue);
}

TEST_F(ExchangesTest, writeExceptionSetsTheFlag)
{
    attach(Link::SerialAscii, deviceResponder(Link::SerialAscii, Registers{}, Fault::Exception));

    const WriteReply write = exchanges.WriteRegister(QStringLiteral("01"), 0, 0x0173, 5);

    EXPECT_EQ(write.status, ExchangeStatus::Exception);
    EXPECT_TRUE(write.exception);
    EXPECT_FALSE(write.written);
    EXPECT_EQ(write.echoedOrNoValue(), RegisterReply::kNoValue);
}

TEST_F(ExchangesTest, clockIsReadAndWrittenAsSixRegisters)
{
    attach(Link::SerialAscii, deviceResponder(Link::SerialAscii,
                                              Registers{{{0x0100, 24},
                                                         {0x0101, 3},
                                                         {0x0102, 15},
                                                         {0x0103, 13},
                                                         {0x0104, 45},
                                                         {0x0105, 30}}},
                                              Fault::None));

    const DateTimeReply clock = exchanges.ReadDateTime(QStringLiteral("01"), 0x0100);
    EXPECT_EQ(clock.status, ExchangeStatus::Good);
    EXPECT_EQ(clock.dateTime, QDateTime(QDate(2024, 3, 15), QTime(13, 45, 30)));

    EXPECT_TRUE(exchanges.WriteSixRegisters(QStringLiteral("01"), 0x0100, *clock.dateTime).written);
}

TEST_F(ExchangesTest, refusedClockWriteShowsNoTime)
{
    attach(Link::SerialAscii, deviceResponder(Link::SerialAscii, Registers{}, Fault::Exception));
    bus.setTexts({QStringLiteral("port"), QStringLiteral("ports"), QStringLiteral("no time")});

    const ClockWriteReply write =
        exchanges.WriteSixRegisters(QStringLiteral("01"), 0x0100, QDateTime::currentDateTime());

    EXPECT_FALSE(write.written);
    EXPECT_EQ(write.status, ExchangeStatus::Exception);
    ASSERT_FALSE(statusTexts.empty());
    EXPECT_EQ(statusTexts.back().second, QStringLiteral("no time"));
}

TEST_F(ExchangesTest, unlistedDeviceGoesOutOnlyInIdentificationMode)
{
    pty = std::make_unique<PtyDevice>(
        deviceResponder(Link::SerialRtu, Registers{{{0x0130, 4}}}, Fault::None));
    ASSERT_TRUE(bus.selectPort({pty->slavePath(), 115200}));

    EXPECT_EQ(exchanges.ReadRegister(QStringLiteral("05"), 0, 0x0130).status,
              ExchangeStatus::NoReply);
    EXPECT_EQ(pty->requestCount(), 0);

    bus.setIdentificationProtocol(1);
    const RegisterReply count = exchanges.ReadRegister(QStringLiteral("05"), 0, 0x0130);
    EXPECT_EQ(count.status, ExchangeStatus::Good);
    EXPECT_EQ(count.value, 4);
}

TEST_F(ExchangesTest, tcpIdentificationVariantsTakeTheLinkFromTheCaller)
{
    tcp = std::make_unique<TcpDevice>(
        deviceResponder(Link::TcpAscii, Registers{{{0x0130, 6}}}, Fault::None));
    const TcpEndpoint endpoint{QStringLiteral("127.0.0.1"), tcp->port()};

    const RegisterReply count =
        exchanges.ReadRegisterTcp(endpoint, 0, QStringLiteral("07"), 0x0130);
    EXPECT_EQ(count.value, 6);
    const BlockReply model =
        exchanges.ReadRegistersTcp(endpoint, 0, QStringLiteral("07"), 0x0131, 15);
    EXPECT_EQ(model.status, ExchangeStatus::Good);
    EXPECT_EQ(pauses, (std::vector<std::chrono::milliseconds>{25ms, 50ms}));
}

TEST_F(ExchangesTest, closedPortThatWillNotOpenSendsNoPollingRead)
{
    devices.append(serialDevice(QStringLiteral("01"), 0));
    EXPECT_FALSE(bus.selectPort({QStringLiteral("/nonexistent/tty"), 9600}));

    EXPECT_EQ(exchanges.ReadRegisterBlock(0, 8, 0x0000).status, ExchangeStatus::NoReply);
    ASSERT_FALSE(statusTexts.empty());
    EXPECT_EQ(statusTexts.back(),
              std::make_pair(StatusPanel::Panel0,
                             bus.texts().errPort2 + QStringLiteral(" /nonexistent/tty")));
}

TEST_F(ExchangesTest, makerProtocolExchange)
{
    pty = std::make_unique<PtyDevice>([](const QByteArray& received) -> std::optional<FakeReply> {
        if (!received.endsWith('\r'))
            return std::nullopt;
        if (received != "&121\r")
            return FakeReply{};
        return FakeReply{QByteArray(">12+23.5_-1.2\r")};
    });
    ASSERT_TRUE(bus.selectPort({pty->slavePath(), 9600}));
    MakerExchange maker(bus);

    const MakerReply reply = maker.Exchange(QStringLiteral("0C"), QLatin1Char('1'), false);
    EXPECT_EQ(reply.status, ExchangeStatus::Good);
    EXPECT_EQ(reply.reply, QStringLiteral("12+23.5_-1.2"));

    const MakerReply silent = maker.Exchange(QStringLiteral("05"), QLatin1Char('1'), false);
    EXPECT_EQ(silent.status, ExchangeStatus::NoReply);
    EXPECT_TRUE(silent.reply.isEmpty());
}

TEST_F(ExchangesTest, makerProtocolRefusesTcp)
{
    MakerExchange maker(bus);

    EXPECT_EQ(maker.Exchange(QStringLiteral("05"), QLatin1Char('1'), true).status,
              ExchangeStatus::NoReply);
    ASSERT_FALSE(statusTexts.empty());
    EXPECT_EQ(statusTexts.back().first, StatusPanel::Panel2);
    EXPECT_EQ(statusTexts.back().second,
              QStringLiteral("Протокол Vostrand через TCP/IP не работает"));
}

} // namespace
} // namespace vostrand::comm

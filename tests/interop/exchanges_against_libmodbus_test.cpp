// Our exchanges against libmodbus's server: a Modbus stack nobody here wrote decides whether
// our frames are Modbus, and what it stores is what we wrote.
#include "exchange_rig.h"
#include "libmodbus_server.h"
#include "pty_bridge.h"

#include <gtest/gtest.h>

namespace vostrand::interop {
namespace {

using namespace std::chrono_literals;
using comm::ModbusCodec;
using core::ExchangeStatus;

constexpr int kRegisterCount = 0x0C00; // three channel pages
constexpr int kOutsideMapping = 0x2000;
constexpr qint32 kBaud = 115200;
const QString kAddress = QStringLiteral("01");

std::string testName(const ::testing::TestParamInfo<Link>& test)
{
    return linkName(test.param);
}

class ExchangesAgainstLibmodbus : public ::testing::TestWithParam<Link>
{
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    void SetUp() override
    {
        ASSERT_TRUE(rig.helperLoaded()) << ExchangeRig::builtHelperLibrary().toStdString();
        if (GetParam() == Link::ModbusTcp) {
            server = LibmodbusServer::tcp(kRegisterCount);
            ASSERT_TRUE(server);
            rig.listTcpDevice(kAddress, Link::ModbusTcp, server->port());
            return;
        }
        bridge = std::make_unique<PtyBridge>();
        ASSERT_TRUE(bridge->ok());
        server = LibmodbusServer::rtu(bridge->firstPath(), kBaud, kRegisterCount);
        ASSERT_TRUE(server);
        ASSERT_TRUE(rig.listSerialDevice(kAddress, Link::SerialRtu, bridge->secondPath(), kBaud));
    }

    ExchangeRig rig{{300ms, 50ms}};
    std::unique_ptr<PtyBridge> bridge;
    std::unique_ptr<LibmodbusServer> server;
};

TEST_P(ExchangesAgainstLibmodbus, readsSeeWhatTheServerHolds)
{
    for (int k = 0; k < 30; ++k)
        server->setRegister(k, static_cast<quint16>(0x1000 + 37 * k));
    server->setRegister(0x0100, 0xFFFF);
    server->setRegister(0x0101, 7);
    server->setRegister(0x0473, 0x8001); // channel 1's copy of 0x0073

    const comm::BlockReply block = rig.exchanges().ReadRegisterBlock(0, 30, 0x0000);
    ASSERT_EQ(block.status, ExchangeStatus::Good) << block.reply.toStdString();
    EXPECT_EQ(block.reply.left(6), QStringLiteral("01033C"));
    for (int k = 0; k < 30; ++k)
        EXPECT_EQ(ModbusCodec::registerValue(block.reply, k), 0x1000 + 37 * k) << "register " << k;

    const comm::BlockReply two = rig.exchanges().ReadRegisters(kAddress, 0x0100, 2);
    ASSERT_EQ(two.status, ExchangeStatus::Good);
    EXPECT_EQ(ModbusCodec::registerValue(two.reply, 0), 0xFFFF);
    EXPECT_EQ(ModbusCodec::registerValue(two.reply, 1), 7);

    const comm::RegisterReply single = rig.exchanges().ReadRegister(kAddress, 1, 0x0073);
    EXPECT_EQ(single.status, ExchangeStatus::Good);
    EXPECT_EQ(single.value, 0x8001);
}

TEST_P(ExchangesAgainstLibmodbus, writesLandInTheServersMapping)
{
    const comm::WriteReply written = rig.exchanges().WriteRegister(kAddress, 2, 0x0073, 0xBEEF);
    EXPECT_EQ(written.status, ExchangeStatus::Good);
    EXPECT_TRUE(written.written);
    EXPECT_EQ(written.echoed, 0xBEEF);
    EXPECT_EQ(server->registerAt(0x0873), 0xBEEF);

    const QDateTime clock(QDate(2024, 3, 15), QTime(10, 30, 45));
    const comm::ClockWriteReply clockWritten =
        rig.exchanges().WriteSixRegisters(kAddress, 0x0200, clock);
    EXPECT_EQ(clockWritten.status, ExchangeStatus::Good);
    EXPECT_TRUE(clockWritten.written);
    const std::array<quint16, 6> fields{24, 3, 15, 10, 30, 45};
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(server->registerAt(0x0200 + k), fields[static_cast<std::size_t>(k)]);

    // And back through our six-register read.
    EXPECT_EQ(rig.exchanges().ReadDateTime(kAddress, 0x0200).dateTime, clock);
}

TEST_P(ExchangesAgainstLibmodbus, illegalAddressComesBackAsAnException)
{
    const comm::BlockReply block = rig.exchanges().ReadRegisterBlock(0, 8, kOutsideMapping);
    EXPECT_EQ(block.status, ExchangeStatus::Exception);
    EXPECT_EQ(block.reply.left(6), QStringLiteral("018302"));

    EXPECT_EQ(rig.exchanges().ReadRegister(kAddress, 0, kOutsideMapping).status,
              ExchangeStatus::Exception);

    const comm::WriteReply refused = rig.exchanges().WriteRegister(kAddress, 0, kOutsideMapping, 1);
    EXPECT_EQ(refused.status, ExchangeStatus::Exception);
    EXPECT_TRUE(refused.exception);
    EXPECT_FALSE(refused.written);

    const comm::ClockWriteReply clock = rig.exchanges().WriteSixRegisters(
        kAddress, kOutsideMapping, QDateTime(QDate(2024, 1, 1), QTime(0, 0)));
    EXPECT_EQ(clock.status, ExchangeStatus::Exception);
    EXPECT_FALSE(clock.written);

    // The refusals did not upset the link: the next exchange is answered.
    EXPECT_EQ(rig.exchanges().ReadRegisterBlock(0, 1, 0x0000).status, ExchangeStatus::Good);
}

INSTANTIATE_TEST_SUITE_P(Links, ExchangesAgainstLibmodbus,
                         ::testing::Values(Link::ModbusTcp, Link::SerialRtu), testName);

} // namespace
} // namespace vostrand::interop

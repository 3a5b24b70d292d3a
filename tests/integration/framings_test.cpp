// Every framing end to end: our exchanges, the real transports and the simulated instruments on
// a pseudo-terminal line and on loopback.
#include "comm/maker_protocol.h"
#include "simulator_rig.h"

#include <gtest/gtest.h>

namespace vostrand::integration {
namespace {

using namespace std::chrono_literals;
using comm::ModbusCodec;
using core::ExchangeStatus;
using interop::Link;
using interop::SimulatorRig;

const QString kAddress = QStringLiteral("01");

std::string testName(const ::testing::TestParamInfo<Link>& test)
{
    return interop::linkName(test.param);
}

class Framings : public ::testing::TestWithParam<Link>
{
protected:
    static void SetUpTestSuite() { interop::ensureApplication(); }

    void SetUp() override
    {
        ASSERT_FALSE(sim.error()) << sim.error()->toStdString();
        ASSERT_TRUE(rig.helperLoaded());
        ASSERT_TRUE(sim.listIn(rig, GetParam()));
    }

    SimulatorRig sim;
    interop::ExchangeRig rig{{300ms, 50ms}};
};

TEST_P(Framings, blockReadAndSingleRegisterReadAndWrite)
{
    const comm::BlockReply signalBlock =
        rig.exchanges().ReadRegisterBlock(0, SimulatorRig::kChannels, 0x0000);
    ASSERT_EQ(signalBlock.status, ExchangeStatus::Good) << signalBlock.reply.toStdString();
    EXPECT_EQ(signalBlock.reply.left(6), QStringLiteral("010310"));
    for (int k = 0; k < SimulatorRig::kChannels; ++k)
        EXPECT_EQ(ModbusCodec::registerValue(signalBlock.reply, k), SimulatorRig::signalRaw(k))
            << "channel " << k;

    // Channel 3's final setpoint lives on its own page.
    const comm::RegisterReply setpoint = rig.exchanges().ReadRegister(kAddress, 3, 0x0173);
    EXPECT_EQ(setpoint.status, ExchangeStatus::Good);
    EXPECT_EQ(setpoint.value, SimulatorRig::setpointRaw(3));

    const comm::WriteReply written = rig.exchanges().WriteRegister(kAddress, 3, 0x0173, 777);
    EXPECT_EQ(written.status, ExchangeStatus::Good);
    EXPECT_EQ(written.echoed, 777);
    EXPECT_EQ(rig.exchanges().ReadRegister(kAddress, 3, 0x0173).value, 777);
    const comm::BlockReply setpointBlock =
        rig.exchanges().ReadRegisterBlock(0, SimulatorRig::kChannels, 0x0030);
    EXPECT_EQ(ModbusCodec::registerValue(setpointBlock.reply, 3), 777)
        << "the block and the channel page are one setpoint";
}

INSTANTIATE_TEST_SUITE_P(EveryModbusLink, Framings,
                         ::testing::Values(Link::SerialAscii, Link::SerialRtu, Link::TcpAscii,
                                           Link::TcpRtu, Link::ModbusTcp),
                         testName);

class MakerFraming : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { interop::ensureApplication(); }
};

TEST_F(MakerFraming, allChannelsAndSetpointsOnTheLine)
{
    SimulatorRig sim;
    ASSERT_FALSE(sim.error());
    interop::ExchangeRig rig{{300ms, 50ms}};
    ASSERT_TRUE(sim.listIn(rig, Link::SerialMaker));

    const comm::MakerReply values = rig.maker().Exchange(kAddress, QLatin1Char('1'), false);
    ASSERT_EQ(values.status, ExchangeStatus::Good);
    const comm::MakerReply setpoints = rig.maker().Exchange(kAddress, QLatin1Char('C'), false);
    ASSERT_EQ(setpoints.status, ExchangeStatus::Good);
    EXPECT_EQ(comm::MakerProtocol::channelCount(values.reply), SimulatorRig::kChannels);
    for (int k = 0; k < SimulatorRig::kChannels; ++k) {
        EXPECT_EQ(comm::MakerProtocol::value(values.reply, k + 1), 20.0 + 1.5 * k) << k;
        EXPECT_EQ(comm::MakerProtocol::value(setpoints.reply, k + 1), 100.0 + 10.0 * k) << k;
    }

    // A Modbus request on the same line afterwards goes out as Modbus, not as the maker's text.
    EXPECT_EQ(rig.exchanges().ReadRegister(kAddress, 0, 0x0000).value, SimulatorRig::signalRaw(0));
}

} // namespace
} // namespace vostrand::integration

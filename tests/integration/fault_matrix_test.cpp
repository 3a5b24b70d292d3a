// Each fault the simulated instruments inject, on each framing: the status the exchange ends
// with, and that the exchange after it gets its own reply.
#include "comm/maker_protocol.h"
#include "simulator_rig.h"

#include <gtest/gtest.h>
#include <set>

namespace vostrand::integration {
namespace {

using namespace std::chrono_literals;
using comm::ModbusCodec;
using core::ExchangeStatus;
using interop::Link;
using interop::SimulatorRig;
using sim::FaultKind;

constexpr auto kReplyTimeout = 200ms;
const QString kAddress = QStringLiteral("01");

const char* faultName(FaultKind kind)
{
    switch (kind) {
    case FaultKind::NoReply:
        return "NoReply";
    case FaultKind::LateReply:
        return "LateReply";
    case FaultKind::BadChecksum:
        return "BadChecksum";
    case FaultKind::Exception:
        return "Exception";
    case FaultKind::Garbage:
        return "Garbage";
    case FaultKind::Partial:
        return "Partial";
    case FaultKind::Disconnect:
        return "Disconnect";
    }
    return "?";
}

// One block of the instrument as the link reads it: the status and the channel values (raw
// registers, or the maker's numbers scaled back to tenths).
struct Block
{
    ExchangeStatus status = ExchangeStatus::NoReply;
    std::vector<int> values;
};

class FaultRig
{
public:
    explicit FaultRig(Link link)
        : m_link(link)
    {}

    bool ready() { return !m_sim.error() && m_rig.helperLoaded() && m_sim.listIn(m_rig, m_link); }
    sim::Simulator& simulator() { return m_sim.simulator(); }
    interop::ExchangeRig& rig() { return m_rig; }

    // The signals (first) or the setpoints, by the link's own block exchange.
    Block read(bool setpoints)
    {
        if (m_link == Link::SerialMaker)
            return readMaker(setpoints);
        const comm::BlockReply reply = m_rig.exchanges().ReadRegisterBlock(
            0, SimulatorRig::kChannels, setpoints ? 0x0030 : 0x0000);
        Block block{reply.status, {}};
        for (int k = 0; k < SimulatorRig::kChannels && reply.good(); ++k)
            block.values.push_back(ModbusCodec::registerValue(reply.reply, k).value_or(-1));
        return block;
    }

    static std::vector<int> expected(bool setpoints)
    {
        std::vector<int> values;
        for (int k = 0; k < SimulatorRig::kChannels; ++k)
            values.push_back(setpoints ? SimulatorRig::setpointRaw(k) : SimulatorRig::signalRaw(k));
        return values;
    }

private:
    Block readMaker(bool setpoints)
    {
        const comm::MakerReply reply =
            m_rig.maker().Exchange(kAddress, QLatin1Char(setpoints ? 'C' : '1'), false);
        Block block{reply.status, {}};
        for (int k = 1; k <= SimulatorRig::kChannels && reply.status == ExchangeStatus::Good; ++k)
            block.values.push_back(
                int(std::lround(comm::MakerProtocol::value(reply.reply, k).value_or(-1) * 10)));
        return block;
    }

    Link m_link;
    SimulatorRig m_sim;
    interop::ExchangeRig m_rig{{kReplyTimeout, 50ms}};
};

struct FaultCase
{
    Link link;
    FaultKind kind;
    std::set<ExchangeStatus> statuses; // any of them is right
};

std::string faultCaseName(const ::testing::TestParamInfo<FaultCase>& test)
{
    return std::string(interop::linkName(test.param.link)) + "_" + faultName(test.param.kind);
}

class FaultMatrix : public ::testing::TestWithParam<FaultCase>
{
protected:
    static void SetUpTestSuite() { interop::ensureApplication(); }
};

TEST_P(FaultMatrix, faultGivesItsStatusAndTheNextExchangeItsOwnReply)
{
    const FaultCase c = GetParam();
    FaultRig rig(c.link);
    ASSERT_TRUE(rig.ready());
    // Later than any wait of a block read on any link (three reply time-outs on ASCII).
    rig.simulator().setLateReplyMs(int(4 * kReplyTimeout.count()));
    rig.simulator().addFault(SimulatorRig::kAddress, {c.kind, 1.0, 0x02});

    const Block faulted = rig.read(false);
    EXPECT_TRUE(c.statuses.contains(faulted.status)) << "status " << int(faulted.status);

    rig.simulator().clearFaults(SimulatorRig::kAddress);
    const Block next = rig.read(true);
    EXPECT_EQ(next.status, ExchangeStatus::Good);
    EXPECT_EQ(next.values, FaultRig::expected(true)) << "the setpoints, not a left-over reply";
}

std::vector<FaultCase> faultCases()
{
    const std::set<ExchangeStatus> noReply{ExchangeStatus::NoReply};
    const std::set<ExchangeStatus> checksum{ExchangeStatus::ChecksumError};
    const std::set<ExchangeStatus> exception{ExchangeStatus::Exception};
    const std::set<ExchangeStatus> good{ExchangeStatus::Good};
    // Random bytes: unreadable, or read and failing their check sum. Never good.
    const std::set<ExchangeStatus> unusable{ExchangeStatus::NoReply, ExchangeStatus::ChecksumError};
    std::vector<FaultCase> cases;
    for (const Link link :
         {Link::SerialAscii, Link::SerialRtu, Link::TcpAscii, Link::TcpRtu, Link::ModbusTcp}) {
        // Modbus TCP frames carry no check sum: a damaged data byte is just another value.
        const bool checked = link != Link::ModbusTcp;
        cases.push_back({link, FaultKind::NoReply, noReply});
        cases.push_back({link, FaultKind::LateReply, noReply});
        cases.push_back({link, FaultKind::BadChecksum, checked ? checksum : good});
        cases.push_back({link, FaultKind::Exception, exception});
        cases.push_back({link, FaultKind::Garbage, unusable});
        cases.push_back({link, FaultKind::Partial, noReply});
        cases.push_back({link, FaultKind::Disconnect, noReply});
    }
    // The maker's protocol has neither a check sum nor an exception reply.
    for (const auto& [kind, statuses] : std::vector<std::pair<FaultKind, std::set<ExchangeStatus>>>{
             {FaultKind::NoReply, noReply},
             {FaultKind::LateReply, noReply},
             {FaultKind::BadChecksum, good},
             {FaultKind::Exception, noReply},
             {FaultKind::Garbage, noReply},
             {FaultKind::Partial, noReply},
             {FaultKind::Disconnect, noReply}})
        cases.push_back({Link::SerialMaker, kind, statuses});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryLinkEveryFault, FaultMatrix, ::testing::ValuesIn(faultCases()),
                         faultCaseName);

// A reply that comes after its wait ended, while the next request waits in vain: only a reply
// to that request may end it. The next request asks for something else (one register on a
// channel page), so a reply meant for the block cannot pass for its own.
struct LateCase
{
    Link link;
    std::chrono::milliseconds replyTimeout;
    std::chrono::milliseconds late; // past the block's wait, inside the next request's wait
};

std::string lateCaseName(const ::testing::TestParamInfo<LateCase>& test)
{
    return interop::linkName(test.param.link);
}

class LateReply : public ::testing::TestWithParam<LateCase>
{
protected:
    static void SetUpTestSuite() { interop::ensureApplication(); }
};

TEST_P(LateReply, lateReplyIsNotTakenForNextRequest)
{
    const LateCase c = GetParam();
    SimulatorRig sim;
    ASSERT_FALSE(sim.error());
    interop::ExchangeRig rig{{c.replyTimeout, 50ms}};
    ASSERT_TRUE(rig.helperLoaded());
    ASSERT_TRUE(sim.listIn(rig, c.link));
    sim.simulator().setLateReplyMs(int(c.late.count()));

    sim.simulator().addFault(SimulatorRig::kAddress, {FaultKind::LateReply});
    EXPECT_EQ(rig.exchanges().ReadRegisterBlock(0, SimulatorRig::kChannels, 0x0000).status,
              ExchangeStatus::NoReply);
    sim.simulator().clearFaults(SimulatorRig::kAddress);
    sim.simulator().addFault(SimulatorRig::kAddress, {FaultKind::NoReply});

    const comm::RegisterReply starved = rig.exchanges().ReadRegister(kAddress, 3, 0x0173);
    EXPECT_NE(starved.status, ExchangeStatus::Good);
    EXPECT_FALSE(starved.value.has_value())
        << "took " << starved.value.value_or(0) << " from the block's late reply";

    sim.simulator().clearFaults(SimulatorRig::kAddress);
    const comm::RegisterReply own = rig.exchanges().ReadRegister(kAddress, 3, 0x0173);
    EXPECT_EQ(own.status, ExchangeStatus::Good);
    EXPECT_EQ(own.value, SimulatorRig::setpointRaw(3));
}

// TCP drops a late reply with its connection.
INSTANTIATE_TEST_SUITE_P(TcpLinks, LateReply,
                         ::testing::Values(LateCase{Link::TcpAscii, 300ms, 450ms},
                                           LateCase{Link::TcpRtu, 300ms, 450ms},
                                           LateCase{Link::ModbusTcp, 300ms, 450ms}),
                         lateCaseName);

// On the serial line nothing drops the late reply: the request's own reply is told from it by
// its byte count. ASCII waits three reply time-outs, RTU at 115200 one.
INSTANTIATE_TEST_SUITE_P(SerialLinks, LateReply,
                         ::testing::Values(LateCase{Link::SerialAscii, 200ms, 900ms},
                                           LateCase{Link::SerialRtu, 300ms, 450ms}),
                         lateCaseName);

} // namespace
} // namespace vostrand::integration

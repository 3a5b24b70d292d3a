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

class FaultInjection : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_simulator.addInstrument(instrument(1, 2)));
        ASSERT_FALSE(m_simulator.addInstrument(instrument(2, 2)));
        m_simulator.setClock([] { return 0.0; });
        m_simulator.setLateReplyMs(1500);
    }

    Simulator m_simulator;
};

TEST_F(FaultInjection, eachKindDamagesTheReplyAsNamed)
{
    const QByteArray request = rtuRequest(1, pdu(0x03, {0x0130, 1}));
    const QByteArray good = *m_simulator.respond(Framing::ModbusRtu, request).reply;
    ASSERT_TRUE(ServerFraming::parseRtu(good));

    const struct
    {
        FaultKind kind;
        bool replies;
        int delayMs;
        bool disconnects;
    } cases[] = {
        {FaultKind::NoReply, false, 0, false},    {FaultKind::LateReply, true, 1500, false},
        {FaultKind::BadChecksum, true, 0, false}, {FaultKind::Exception, true, 0, false},
        {FaultKind::Garbage, true, 0, false},     {FaultKind::Partial, true, 0, false},
        {FaultKind::Disconnect, false, 0, true},
    };
    for (const auto& c : cases) {
        const auto name = static_cast<int>(c.kind);
        m_simulator.clearFaults(1);
        m_simulator.addFault(1, {c.kind});
        const SimResponse response = m_simulator.respond(Framing::ModbusRtu, request);
        EXPECT_EQ(response.reply.has_value(), c.replies) << name;
        EXPECT_EQ(response.delayMs, c.delayMs) << name;
        EXPECT_EQ(response.disconnect, c.disconnects) << name;
        if (!response.reply)
            continue;
        const QByteArray& reply = *response.reply;
        switch (c.kind) {
        case FaultKind::LateReply:
            EXPECT_EQ(reply, good);
            break;
        case FaultKind::BadChecksum:
            EXPECT_EQ(reply.size(), good.size());
            EXPECT_FALSE(ServerFraming::parseRtu(reply));
            EXPECT_EQ(reply.left(reply.size() - 2), good.left(good.size() - 2));
            break;
        case FaultKind::Exception:
            EXPECT_EQ(reply, rtuRequest(1, QByteArray::fromHex("8304")));
            break;
        case FaultKind::Garbage:
            EXPECT_EQ(reply.size(), good.size());
            EXPECT_NE(reply, good);
            break;
        case FaultKind::Partial:
            EXPECT_EQ(reply, good.left(good.size() / 2));
            break;
        default:
            break;
        }
    }
    m_simulator.clearFaults(1);
    EXPECT_EQ(m_simulator.respond(Framing::ModbusRtu, request).reply, good);
}

TEST_F(FaultInjection, onlyTheFaultyAddressIsAffected)
{
    m_simulator.addFault(1, {FaultKind::NoReply});
    EXPECT_FALSE(m_simulator.respond(Framing::ModbusAscii, asciiRequest(1, pdu(3, {0, 1}))).reply);
    EXPECT_TRUE(m_simulator.respond(Framing::ModbusAscii, asciiRequest(2, pdu(3, {0, 1}))).reply);
}

TEST_F(FaultInjection, checksumFaultsBreakTheAsciiLrcAndExceptionsTakeTheirCode)
{
    m_simulator.addFault(1, {FaultKind::BadChecksum});
    const QByteArray ascii =
        *m_simulator.respond(Framing::ModbusAscii, asciiRequest(1, pdu(3, {0, 1}))).reply;
    EXPECT_TRUE(ascii.startsWith(':') && ascii.endsWith("\r\n"));
    EXPECT_FALSE(ServerFraming::parseAscii(ascii));

    m_simulator.clearFaults(1);
    m_simulator.addFault(1, {FaultKind::Exception, 1.0, 0x02});
    EXPECT_EQ(m_simulator.respond(Framing::ModbusTcp, tcpRequest(9, 1, pdu(6, {0x0173, 1}))).reply,
              tcpRequest(9, 1, QByteArray::fromHex("8602")));
    EXPECT_FALSE(m_simulator.respond(Framing::Maker, "&011\r").reply)
        << "the maker's protocol has no exception reply";
}

TEST_F(FaultInjection, anExceptionOrSilenceLeavesTheWriteUndone)
{
    m_simulator.addFault(1, {FaultKind::Exception});
    m_simulator.respond(Framing::ModbusRtu, rtuRequest(1, pdu(6, {0x0173, 123})));
    m_simulator.clearFaults(1);
    m_simulator.addFault(1, {FaultKind::LateReply});
    m_simulator.respond(Framing::ModbusRtu, rtuRequest(1, pdu(6, {0x0573, 456})));
    m_simulator.clearFaults(1);
    EXPECT_EQ(m_simulator.respond(Framing::ModbusRtu, rtuRequest(1, pdu(3, {0x0030, 2}))).reply,
              rtuRequest(1, QByteArray::fromHex("0304000001C8")));
}

TEST_F(FaultInjection, probabilityDrawsRepeatWithTheSeed)
{
    const auto pattern = [this](quint64 seed) {
        m_simulator.clearFaults(1);
        m_simulator.setFaultSeed(seed);
        m_simulator.addFault(1, {FaultKind::NoReply, 0.5});
        QString replies;
        for (int index = 0; index < 64; ++index) {
            const bool answered =
                m_simulator.respond(Framing::ModbusRtu, rtuRequest(1, pdu(3, {0, 1})))
                    .reply.has_value();
            replies += answered ? '1' : '0';
        }
        return replies;
    };
    const QString first = pattern(7);
    EXPECT_EQ(pattern(7), first);
    EXPECT_NE(pattern(8), first);
    EXPECT_GT(first.count('1'), 16);
    EXPECT_GT(first.count('0'), 16);
}

} // namespace
} // namespace vostrand::sim

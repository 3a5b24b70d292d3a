#include "comm/tcp_transport.h"
#include "comm_fakes.h"

#include <gtest/gtest.h>
#include <vector>

#include <QDeadlineTimer>
#include <QElapsedTimer>

namespace vostrand::comm {
namespace {

using namespace testing;

const ReplyComplete kNever = [](const QByteArray&) {
    return false;
};

class TcpTransportTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ensureApplication(); }
};

TEST_F(TcpTransportTest, connectFailureEndsWithinTheTimeout)
{
    quint16 closedPort = 0;
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        closedPort = server.serverPort();
    }
    TcpTransport link;
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_FALSE(link.open(TcpEndpoint{QStringLiteral("127.0.0.1"), closedPort}, 200ms));
    EXPECT_LT(elapsed.elapsed(), 1500);
    EXPECT_FALSE(link.isOpen());
}

// Literal addresses of both families and names all resolve; a name that has an IPv6 address
// with nothing listening falls through to the next address.
TEST_F(TcpTransportTest, connectsByLiteralAddressOrName)
{
    QTcpServer v4;
    ASSERT_TRUE(v4.listen(QHostAddress::LocalHost, 0));
    QTcpServer v6;
    const bool hasV6 = v6.listen(QHostAddress::LocalHostIPv6, 0);
    struct Case
    {
        QString host;
        quint16 port;
    };
    std::vector<Case> cases{{QStringLiteral("127.0.0.1"), v4.serverPort()},
                            {QStringLiteral("localhost"), v4.serverPort()}};
    if (hasV6)
        cases.push_back({QStringLiteral("::1"), v6.serverPort()});
    for (const Case& c : cases) {
        TcpTransport link;
        EXPECT_TRUE(link.open(TcpEndpoint{c.host, c.port}, 1000ms))
            << c.host.toStdString() << ": " << link.errorText().toStdString();
        EXPECT_TRUE(link.isOpen()) << c.host.toStdString();
    }
}

TEST_F(TcpTransportTest, receiveEndsOnceComplete)
{
    TcpDevice device([](const QByteArray&) { return FakeReply{QByteArray("abc\r\n")}; });
    TcpTransport link;
    ASSERT_TRUE(link.open(TcpEndpoint{QStringLiteral("127.0.0.1"), device.port()}, 1000ms));
    ASSERT_TRUE(link.send("?", 100ms));
    QElapsedTimer elapsed;
    elapsed.start();

    const Received received =
        link.receive([](const QByteArray& bytes) { return bytes.endsWith("\r\n"); }, 3000ms);

    EXPECT_TRUE(received.complete);
    EXPECT_EQ(received.bytes, "abc\r\n");
    EXPECT_LT(elapsed.elapsed(), 1500);
}

TEST_F(TcpTransportTest, partialFrameEndsIncompleteAtTheTimeout)
{
    TcpDevice device([](const QByteArray&) { return FakeReply{QByteArray("\x00\x00\x00", 3)}; });
    TcpTransport link;
    ASSERT_TRUE(link.open(TcpEndpoint{QStringLiteral("127.0.0.1"), device.port()}, 1000ms));
    ASSERT_TRUE(link.send("?", 100ms));

    const Received received = link.receive(kNever, 200ms);

    EXPECT_FALSE(received.complete);
    EXPECT_EQ(received.bytes.size(), 3);
}

TEST_F(TcpTransportTest, peerClosingEndsTheWait)
{
    TcpDevice device([](const QByteArray&) {
        FakeReply reply;
        reply.disconnect = true;
        return reply;
    });
    TcpTransport link;
    ASSERT_TRUE(link.open(TcpEndpoint{QStringLiteral("127.0.0.1"), device.port()}, 1000ms));
    ASSERT_TRUE(link.send("?", 100ms));
    QElapsedTimer elapsed;
    elapsed.start();

    EXPECT_FALSE(link.receive(kNever, 3000ms).complete);
    EXPECT_LT(elapsed.elapsed(), 1500);
}

TEST_F(TcpTransportTest, closeLeavesNoConnection)
{
    TcpDevice device([](const QByteArray&) { return FakeReply{}; });
    TcpTransport link;
    ASSERT_TRUE(link.open(TcpEndpoint{QStringLiteral("127.0.0.1"), device.port()}, 1000ms));
    ASSERT_TRUE(link.send("?", 100ms));

    link.close();

    EXPECT_FALSE(link.isOpen());
    QDeadlineTimer deadline(2000);
    while (!device.lastClosedByClient() && !deadline.hasExpired())
        std::this_thread::sleep_for(5ms);
    EXPECT_TRUE(device.lastClosedByClient());
}

} // namespace
} // namespace vostrand::comm

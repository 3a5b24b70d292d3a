#include "comm/serial_transport.h"
#include "comm_fakes.h"

#include <gtest/gtest.h>

namespace vostrand::comm {
namespace {

using namespace testing;

const ReplyComplete kNever = [](const QByteArray&) {
    return false;
};

class SerialTransportTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ensureApplication(); }
};

TEST_F(SerialTransportTest, receiveNeverReadsPastItsBuffer)
{
    PtyDevice flood([](const QByteArray&) { return FakeReply{QByteArray(3000, 'x')}; });
    ASSERT_TRUE(flood.ok());
    SerialTransport link;
    ASSERT_TRUE(link.open(SerialEndpoint{flood.slavePath(), 115200}, 0ms));

    ASSERT_TRUE(link.send("?", 100ms));
    const Received received = link.receive(kNever, 2000ms);

    EXPECT_EQ(received.bytes.size(), Transport::kReceiveBufferSize);
    EXPECT_FALSE(received.complete);
}

TEST_F(SerialTransportTest, discardDropsInputThatCameBefore)
{
    PtyDevice chatty([](const QByteArray& received) -> std::optional<FakeReply> {
        return FakeReply{received == "first" ? QByteArray(":stale\r\n") : QByteArray()};
    });
    ASSERT_TRUE(chatty.ok());
    SerialTransport link;
    ASSERT_TRUE(link.open(SerialEndpoint{chatty.slavePath(), 9600}, 0ms));
    ASSERT_TRUE(link.send("first", 100ms));
    std::this_thread::sleep_for(100ms);

    link.discardInput();

    EXPECT_TRUE(link.receive(kNever, 50ms).bytes.isEmpty());
}

TEST_F(SerialTransportTest, receiveEndsOnceComplete)
{
    PtyDevice echo(
        [](const QByteArray& received) -> std::optional<FakeReply> { return FakeReply{received}; });
    ASSERT_TRUE(echo.ok());
    SerialTransport link;
    ASSERT_TRUE(link.open(SerialEndpoint{echo.slavePath(), 9600}, 0ms));
    ASSERT_TRUE(link.send("abc\r", 100ms));

    const Received received =
        link.receive([](const QByteArray& bytes) { return bytes.endsWith('\r'); }, 5000ms);

    EXPECT_TRUE(received.complete);
    EXPECT_EQ(received.bytes, QByteArray("abc\r"));
}

TEST_F(SerialTransportTest, openRefusesWhatIsNoUsablePort)
{
    SerialTransport link;
    EXPECT_FALSE(link.open(SerialEndpoint{QStringLiteral("/nonexistent/tty"), 9600}, 0ms));
    EXPECT_FALSE(link.open(SerialEndpoint{QString(), 9600}, 0ms));
    EXPECT_FALSE(link.open(TcpEndpoint{QStringLiteral("127.0.0.1"), 502}, 0ms));
    EXPECT_FALSE(link.isOpen());
    EXPECT_FALSE(link.send("x", 10ms));
}

TEST_F(SerialTransportTest, sendFailsOnceTheLineIsGone)
{
    PtyDevice line([](const QByteArray&) { return FakeReply{}; });
    ASSERT_TRUE(line.ok());
    SerialTransport link;
    ASSERT_TRUE(link.open(SerialEndpoint{line.slavePath(), 9600}, 0ms));

    line.unplug();

    EXPECT_FALSE(link.send("x", 100ms));
}

} // namespace
} // namespace vostrand::comm

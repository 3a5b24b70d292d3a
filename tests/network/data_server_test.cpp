#include "network/data_server.h"
#include "server_fake_line_server.h"
#include "snapshot_fixture.h"

#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

namespace vostrand::network {
namespace {

using namespace std::chrono_literals;

struct Outcome
{
    QByteArray reply;
    bool closed = false; // by the server, before the wait ran out
    qint64 elapsedMs = 0;
};

// One connection: send `request`, read until the server closes or `waitMs` runs out.
Outcome exchange(quint16 port, const QByteArray& request, int waitMs = 3000)
{
    Outcome outcome;
    QElapsedTimer clock;
    clock.start();
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(waitMs))
        return outcome;
    if (!request.isEmpty()) {
        socket.write(request);
        socket.waitForBytesWritten(waitMs);
    }
    const QDeadlineTimer deadline(waitMs);
    while (socket.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
        if (socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            outcome.reply += socket.readAll();
    }
    outcome.reply += socket.readAll();
    outcome.closed = socket.state() != QAbstractSocket::ConnectedState;
    outcome.elapsedMs = clock.elapsed();
    return outcome;
}

QByteArray ask(quint16 port, const QByteArray& request)
{
    return exchange(port, request).reply;
}

class DataServerTest : public ::testing::Test
{
protected:
    void start(DataServer::Limits limits = fastLimits())
    {
        server.setLimits(limits);
        server.setSnapshot(test::share(test::exampleSnapshot()));
        const auto error = server.listen(QStringLiteral("127.0.0.1"), 0);
        ASSERT_FALSE(error) << error->toStdString();
        port = server.port();
        ASSERT_NE(port, 0);
    }

    static DataServer::Limits fastLimits()
    {
        DataServer::Limits limits;
        limits.maxLineBytes = 64;
        limits.idleTimeout = 300ms;
        limits.maxConnections = 16;
        return limits;
    }

    DataServer server{core::RegionalFormat::russian()};
    quint16 port = 0;
};

TEST_F(DataServerTest, answersOneRequestPerConnectionAndCloses)
{
    start();
    const Outcome dttimer = exchange(port, "dttimer\r\n");
    EXPECT_EQ(dttimer.reply, "3\r\n");
    EXPECT_TRUE(dttimer.closed);
    EXPECT_LT(dttimer.elapsedMs, 300); // closed after the reply, not by the idle time-out
    EXPECT_EQ(ask(port, "dttimer\n"), "3\r\n");
    EXPECT_EQ(ask(port, "t1\r\n"), "\r\n11.12.2026 13:31:24 25,0 25,1 25,2\r\n");
    EXPECT_EQ(ask(port, "ipscan\r\n"), "11\r\n");
    EXPECT_EQ(ask(port, "ipscan1\r\n"), "\xD2\xD0\xCC-05\r\n");
    const Outcome nothing = exchange(port, "nonsense\r\n");
    EXPECT_TRUE(nothing.reply.isEmpty());
    EXPECT_TRUE(nothing.closed);
    EXPECT_TRUE(exchange(port, "\r\n").reply.isEmpty());
}

TEST_F(DataServerTest, answersFromTheLatestSnapshot)
{
    start();
    EXPECT_EQ(ask(port, "IPTimer22\r\n"), "1\r\n");
    acquisition::StationSnapshot stopped = test::exampleSnapshot();
    stopped.state = acquisition::PollingState::Stopped;
    server.setSnapshot(test::share(stopped));
    EXPECT_EQ(ask(port, "IPTimer22\r\n"), "0\r\n");
    EXPECT_EQ(ask(port, "allmodbus\r\n"), "0\r\n");
    // Before any snapshot: an empty station that does not poll.
    server.setSnapshot(nullptr);
    EXPECT_EQ(ask(port, "IPTimer22\r\n"), "0\r\n");
    EXPECT_EQ(ask(port, "dttimer\r\n"), "3\r\n");
}

TEST_F(DataServerTest, badInputClosesTheConnectionWithoutReply)
{
    DataServer::Limits limits = fastLimits();
    limits.idleTimeout = 5s; // so that a close before it is the server's own decision
    start(limits);
    const Outcome oversized = exchange(port, QByteArray(1000, 'a'));
    EXPECT_TRUE(oversized.reply.isEmpty());
    EXPECT_TRUE(oversized.closed);
    EXPECT_LT(oversized.elapsedMs, 2000);

    const Outcome longLine = exchange(port, QByteArray(100, 'b') + "\r\n");
    EXPECT_TRUE(longLine.reply.isEmpty());
    EXPECT_TRUE(longLine.closed);

    const Outcome megabytes = exchange(port, QByteArray(4 << 20, 'c'));
    EXPECT_TRUE(megabytes.reply.isEmpty());
    EXPECT_TRUE(megabytes.closed);
    EXPECT_LT(megabytes.elapsedMs, 2000);

    std::mt19937 random(20261211);
    QByteArray noise(64 * 1024, Qt::Uninitialized);
    for (char& byte : noise)
        byte = static_cast<char>(random());
    EXPECT_TRUE(exchange(port, noise).closed);

    EXPECT_EQ(ask(port, "dttimer\r\n"), "3\r\n");
}

TEST_F(DataServerTest, idleAndPartialConnectionsTimeOutWhileOthersAreServed)
{
    start();
    QTcpSocket idle;
    idle.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(idle.waitForConnected(2000));
    QTcpSocket partial;
    partial.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(partial.waitForConnected(2000));
    partial.write("dttim");
    ASSERT_TRUE(partial.waitForBytesWritten(2000));

    EXPECT_EQ(ask(port, "dttimer\r\n"), "3\r\n");

    for (QTcpSocket* socket : {&idle, &partial}) {
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(socket->waitForReadyRead(3000) && !socket->readAll().isEmpty());
        if (socket->state() == QAbstractSocket::ConnectedState)
            socket->waitForDisconnected(3000);
        EXPECT_NE(socket->state(), QAbstractSocket::ConnectedState);
        EXPECT_LT(clock.elapsed(), 2000);
    }
}

TEST_F(DataServerTest, manyIdleConnectionsDoNotLockOutAClient)
{
    DataServer::Limits limits = fastLimits();
    limits.idleTimeout = 30s;
    start(limits);
    std::vector<std::unique_ptr<QTcpSocket>> idle;
    for (int i = 0; i < 300; ++i) {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QHostAddress::LocalHost, port);
        idle.push_back(std::move(socket));
    }
    for (auto& socket : idle)
        socket->waitForConnected(2000);
    const Outcome served = exchange(port, "dttimer\r\n");
    EXPECT_EQ(served.reply, "3\r\n");
    EXPECT_LT(served.elapsedMs, 2000);
}

TEST_F(DataServerTest, concurrentClientsEachGetOneConsistentState)
{
    start();
    acquisition::StationSnapshot one = test::exampleSnapshot();
    acquisition::StationSnapshot two = one;
    two.devices.append(test::device(QStringLiteral("second"), QStringLiteral("0A"), 2));
    const auto snapshots = std::array{test::share(one), test::share(two)};
    std::atomic<bool> stop{false};
    std::thread publisher([&] {
        for (std::size_t i = 0; !stop; ++i) {
            server.setSnapshot(snapshots[i % 2]);
            std::this_thread::sleep_for(1ms);
        }
    });
    std::atomic<int> bad{0};
    std::vector<std::thread> clients;
    for (int t = 0; t < 4; ++t) {
        clients.emplace_back([&, t] {
            for (int i = 0; i < 25; ++i) {
                const QByteArray request = (i + t) % 2 ? "allmodbus\r\n" : "ipscan\r\n";
                const QByteArray reply = ask(port, request);
                if (request.startsWith("ipscan")) {
                    // 2N + 2M + 3 lines for one or two devices
                    if (reply != "11\r\n" && reply != "13\r\n")
                        ++bad;
                    const QByteArray first = ask(port, "ipscan0\r\n");
                    if (first != "1\r\n" && first != "2\r\n")
                        ++bad;
                    continue;
                }
                const QList<QByteArray> fields = reply.split('\t');
                const int devices = fields.value(2).chopped(1).toInt();
                // Count, interval, devices, time, then T and SP replies of every device.
                if (fields.size() != 4 + 2 * devices + 1 || (devices != 1 && devices != 2))
                    ++bad;
            }
        });
    }
    for (std::thread& client : clients)
        client.join();
    stop = true;
    publisher.join();
    EXPECT_EQ(bad, 0);
}

TEST_F(DataServerTest, logsTheClientAndItsLine)
{
    testing::ensureApplication();
    std::mutex mutex;
    std::vector<QStringList> logged;
    QObject::connect(
        &server, &DataServer::requestLogged, &server,
        [&](const QStringList& lines) {
            const std::lock_guard lock(mutex);
            logged.push_back(lines);
        },
        Qt::DirectConnection);
    start();
    ask(port, "dttimer\r\n");
    server.setLogRequests(true);
    ask(port, "dttimer\r\n");
    // The lines reach the server's own thread through its event loop.
    const QDeadlineTimer deadline(5000);
    const auto count = [&] {
        const std::lock_guard lock(mutex);
        return logged.size();
    };
    while (count() == 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const std::lock_guard lock(mutex);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0],
              (QStringList{QStringLiteral("Remote Host: 127.0.0.1 (127.0.0.1)"), "dttimer"}));
}

TEST_F(DataServerTest, listenFailureNamesAddressAndPortAndRestartWorks)
{
    start();
    DataServer second(core::RegionalFormat::russian());
    const auto taken = second.listen(QStringLiteral("127.0.0.1"), port);
    ASSERT_TRUE(taken);
    EXPECT_TRUE(taken->contains(QStringLiteral("127.0.0.1:%1").arg(port)));
    EXPECT_FALSE(second.isListening());
    const auto bad = second.listen(QStringLiteral("300.1.2.3"), 5000);
    ASSERT_TRUE(bad);
    EXPECT_TRUE(bad->contains(QStringLiteral("300.1.2.3:5000")));

    // A restart takes the new address at once; the listing outlives it.
    EXPECT_EQ(ask(port, "ipscan\r\n"), "11\r\n");
    ASSERT_FALSE(server.listen(QString(), 0));
    EXPECT_TRUE(server.isListening());
    EXPECT_EQ(ask(server.port(), "ipscan10\r\n"), "3^\t\r\n");
    server.close();
    EXPECT_FALSE(server.isListening());
    EXPECT_FALSE(exchange(port, "dttimer\r\n", 500).reply.startsWith("3"));
}

} // namespace
} // namespace vostrand::network

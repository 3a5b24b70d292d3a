#include "comm/bus.h"
#include "comm/modbus_exchanges.h"
#include "comm/serial_transport.h"
#include "comm/tcp_transport.h"
#include "comm_fakes.h"
#include "core/device_table.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace vostrand::comm {
namespace {

using core::ExchangeStatus;
using namespace testing;

TEST(BusRtuWaitFactor, slowLinesWaitLonger)
{
    const std::vector<std::pair<qint32, int>> cases = {
        {115200, 1}, {57600, 1}, {38400, 2}, {19200, 3}, {9600, 6}, {4800, 6}, {1200, 6}, {0, 6}};
    for (const auto& [baud, factor] : cases)
        EXPECT_EQ(Bus::rtuWaitFactor(baud), factor) << baud;
}

// A serial link that can be told to fail, for the port-flag paths.
class ScriptedTransport final : public Transport
{
public:
    bool openWorks = true;
    int sendFailures = 0;
    int opens = 0;

    bool open(const Endpoint&, std::chrono::milliseconds) override
    {
        ++opens;
        m_open = openWorks;
        return m_open;
    }
    bool isOpen() const override { return m_open; }
    void close() override { m_open = false; }
    void discardInput() override {}
    bool send(const QByteArray&, std::chrono::milliseconds) override
    {
        if (sendFailures > 0) {
            --sendFailures;
            return false;
        }
        return m_open;
    }
    Received receive(const ReplyComplete&, std::chrono::milliseconds) override { return {}; }
    QString errorText() const override { return {}; }

private:
    bool m_open = false;
};

class BusTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    void record(Bus& bus)
    {
        QObject::connect(&bus, &Bus::statusText, [this](StatusPanel panel, const QString& text) {
            statusTexts.push_back({panel, text});
        });
    }

    std::vector<std::pair<StatusPanel, QString>> statusTexts;
};

TEST_F(BusTest, portIsSwitchedBetweenDevicesOnTwoLines)
{
    PtyDevice first(deviceResponder(Link::SerialAscii, Registers{{{0, 11}}}, Fault::None));
    PtyDevice second(deviceResponder(Link::SerialRtu, Registers{{{0, 22}}}, Fault::None));
    ASSERT_TRUE(first.ok() && second.ok());
    core::DeviceTable devices;
    devices.append([] {
        core::DeviceRecord d;
        d.NetAdress = "01";
        d.Modbus = 0;
        return d;
    }());
    devices.append([] {
        core::DeviceRecord d;
        d.NetAdress = "02";
        d.Modbus = 1;
        return d;
    }());
    Bus bus(std::make_unique<SerialTransport>(), std::make_unique<TcpTransport>());
    ModbusExchanges exchanges(bus, devices, fakeAsciiToTcp);

    for (int pass = 0; pass < 2; ++pass) {
        ASSERT_TRUE(bus.selectPort({first.slavePath(), 9600}));
        const BlockReply a = exchanges.ReadRegisterBlock(0, 1, 0);
        ASSERT_TRUE(bus.selectPort({second.slavePath(), 115200}));
        const BlockReply b = exchanges.ReadRegisterBlock(1, 1, 0);
        EXPECT_EQ(ModbusCodec::registerValue(a.reply, 0), 11);
        EXPECT_EQ(ModbusCodec::registerValue(b.reply, 0), 22);
    }
    EXPECT_EQ(first.requestCount(), 2);
    EXPECT_EQ(second.requestCount(), 2);
}

TEST_F(BusTest, vanishedPortIsFlaggedAndReopenFailureSaysReplug)
{
    PtyDevice line(deviceResponder(Link::SerialAscii, Registers{}, Fault::None));
    ASSERT_TRUE(line.ok());
    const QString port = line.slavePath();
    core::DeviceTable devices;
    devices.append([] {
        core::DeviceRecord d;
        d.NetAdress = "01";
        return d;
    }());
    Bus bus(std::make_unique<SerialTransport>(), std::make_unique<TcpTransport>());
    bus.setTiming({100ms, 0ms});
    bus.setTexts({QStringLiteral("no port"), QStringLiteral("Err ports"), QStringLiteral("t")});
    record(bus);
    ModbusExchanges exchanges(bus, devices, fakeAsciiToTcp);
    ASSERT_TRUE(bus.selectPort({port, 9600}));
    ASSERT_EQ(exchanges.ReadRegisterBlock(0, 1, 0).status, ExchangeStatus::Good);

    line.unplug();
    EXPECT_EQ(exchanges.ReadRegisterBlock(0, 1, 0).status, ExchangeStatus::NoReply);
    EXPECT_FALSE(bus.portAvailable(port));

    EXPECT_EQ(exchanges.ReadRegisterBlock(0, 1, 0).status, ExchangeStatus::NoReply);
    ASSERT_FALSE(statusTexts.empty());
    EXPECT_EQ(statusTexts.back(), std::make_pair(StatusPanel::Panel0, Bus::kReplugUsb));

    const auto summary = bus.endOfPassSummary();
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->panel2, QStringLiteral("Err ports"));
    EXPECT_EQ(summary->panel0Suffix, QLatin1Char(' ') + port + QLatin1Char(','));
    bus.resetPortFlags();
    EXPECT_FALSE(bus.endOfPassSummary());
}

TEST_F(BusTest, flaggedPortIsReopenedBeforeTheNextSend)
{
    auto scripted = std::make_unique<ScriptedTransport>();
    ScriptedTransport& link = *scripted;
    Bus bus(std::move(scripted), std::make_unique<TcpTransport>());
    record(bus);
    ASSERT_TRUE(bus.selectPort({QStringLiteral("/dev/ttyUSB0"), 9600}));

    link.sendFailures = 1;
    EXPECT_FALSE(bus.serialExchange("x", {}, 10ms).sent);
    EXPECT_FALSE(bus.portAvailable(QStringLiteral("/dev/ttyUSB0")));

    EXPECT_TRUE(bus.serialExchange(
                       "x", [](const QByteArray&) { return false; }, 10ms)
                    .sent);
    EXPECT_EQ(link.opens, 2);
    ASSERT_EQ(statusTexts.size(), 1u);
    EXPECT_EQ(statusTexts[0].second, QStringLiteral("Повторно открыт /dev/ttyUSB0"));
    EXPECT_TRUE(bus.portAvailable(QStringLiteral("/dev/ttyUSB0")));
}

// Runs the events of the test thread until `done` holds or five seconds pass.
bool spinUntil(const std::function<bool()>& done)
{
    QDeadlineTimer deadline(5000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

TEST_F(BusTest, abortedJobRunsNoFurtherStep)
{
    Bus bus(std::make_unique<ScriptedTransport>(), std::make_unique<ScriptedTransport>());
    auto job = std::make_shared<BusJob>(BusJob::Kind::Long);
    std::vector<int> ran;
    std::optional<BusJob::Outcome> outcome;
    std::vector<int> progress;
    job->addStep([&](Bus&) {
        ran.push_back(1);
        job->abort();
        return true;
    });
    job->addStep([&](Bus&) {
        ran.push_back(2);
        return true;
    });
    job->addStep([&](Bus&) {
        ran.push_back(3);
        return true;
    });
    QObject::connect(job.get(), &BusJob::finished, [&](BusJob::Outcome o) { outcome = o; });
    QObject::connect(job.get(), &BusJob::progress,
                     [&](int done, int) { progress.push_back(done); });

    bus.submit(job);

    ASSERT_TRUE(spinUntil([&] { return outcome.has_value(); }));
    EXPECT_EQ(*outcome, BusJob::Outcome::Aborted);
    EXPECT_EQ(ran, std::vector<int>{1});
    EXPECT_EQ(progress, std::vector<int>{1});
    EXPECT_TRUE(spinUntil([&] { return !bus.busy(); }));
}

TEST_F(BusTest, stepThatFailsStopsItsJob)
{
    Bus bus(std::make_unique<ScriptedTransport>(), std::make_unique<ScriptedTransport>());
    auto job = std::make_shared<BusJob>(BusJob::Kind::Pass);
    int ran = 0;
    std::optional<BusJob::Outcome> outcome;
    job->addStep([&](Bus&) {
        ++ran;
        return false;
    });
    job->addStep([&](Bus&) {
        ++ran;
        return true;
    });
    QObject::connect(job.get(), &BusJob::finished, [&](BusJob::Outcome o) { outcome = o; });

    bus.submit(job);

    ASSERT_TRUE(spinUntil([&] { return outcome.has_value(); }));
    EXPECT_EQ(*outcome, BusJob::Outcome::Stopped);
    EXPECT_EQ(ran, 1);
}

// The Bus on a thread of its own; jobs come from the test thread while it works.
TEST_F(BusTest, oneExchangeAtATimeAndPassesGoBetweenLongSteps)
{
    QThread thread;
    auto bus = std::make_unique<Bus>(std::make_unique<ScriptedTransport>(),
                                     std::make_unique<ScriptedTransport>());
    bus->moveToThread(&thread);
    thread.start();

    std::mutex mutex;
    std::vector<QString> trace; // "+name" on entering a step, "-name" on leaving
    std::atomic<int> inFlight{0};
    std::atomic<bool> overlapped{false};
    std::atomic<bool> longStarted{false};
    std::atomic<int> finished{0};
    const auto step = [&](const QString& name) {
        return [&, name](Bus&) {
            if (++inFlight > 1)
                overlapped = true;
            {
                const std::lock_guard lock(mutex);
                trace.push_back(QLatin1Char('+') + name);
            }
            longStarted = true;
            std::this_thread::sleep_for(30ms); // stands for an exchange in flight
            {
                const std::lock_guard lock(mutex);
                trace.push_back(QLatin1Char('-') + name);
            }
            --inFlight;
            return true;
        };
    };
    const auto makeJob = [&](BusJob::Kind kind, const QString& name, int steps) {
        auto job = std::make_shared<BusJob>(kind, name);
        for (int i = 0; i < steps; ++i)
            job->addStep(step(name));
        QObject::connect(job.get(), &BusJob::finished, [&](BusJob::Outcome) { ++finished; });
        return job;
    };

    bus->submit(makeJob(BusJob::Kind::Long, QStringLiteral("download"), 4));
    while (!longStarted)
        std::this_thread::sleep_for(1ms);
    bus->submit(makeJob(BusJob::Kind::Long, QStringLiteral("search"), 1));
    bus->submit(makeJob(BusJob::Kind::Pass, QStringLiteral("pass"), 2));
    EXPECT_TRUE(bus->busy());

    QDeadlineTimer deadline(5000);
    while (finished < 3 && !deadline.hasExpired())
        std::this_thread::sleep_for(5ms);
    thread.quit();
    thread.wait();
    bus.reset();

    ASSERT_EQ(finished, 3);
    EXPECT_FALSE(overlapped);
    const std::lock_guard lock(mutex);
    QStringList order;
    for (qsizetype i = 0; i < qsizetype(trace.size()); i += 2) {
        EXPECT_EQ(trace[size_t(i)].mid(1), trace[size_t(i + 1)].mid(1)); // no step cut into
        order.append(trace[size_t(i)].mid(1));
    }
    // The pass runs whole between two download steps; the second long job waits its turn.
    const qsizetype firstPass = order.indexOf(QStringLiteral("pass"));
    ASSERT_GT(firstPass, 0);
    EXPECT_EQ(order[firstPass + 1], QStringLiteral("pass"));
    EXPECT_LT(order.lastIndexOf(QStringLiteral("pass")),
              order.lastIndexOf(QStringLiteral("download")));
    EXPECT_EQ(order.last(), QStringLiteral("search"));
}

} // namespace
} // namespace vostrand::comm

#include "core/date_time.h"
#include "core/station.h"
#include "network/server_tick.h"
#include "server_fake_line_server.h"

#include <gtest/gtest.h>
#include <vector>

namespace vostrand::network {
namespace {

using core::DeviceRecord;
using core::DeviceTable;
using testing::FakeLineServer;

DeviceTable devicesWithChannels(std::vector<qint16> channels)
{
    DeviceTable devices;
    for (std::size_t i = 0; i < channels.size(); ++i) {
        DeviceRecord device;
        device.NetAdress = QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0'));
        device.Canals = channels[i];
        // Stale replies of an earlier tick.
        device.TReply = device.SpReply = device.PwReply = QStringLiteral("old");
        devices.append(device);
    }
    return devices;
}

QString fields(const QStringList& values)
{
    QString text;
    for (const QString& value : values)
        text += value + QStringLiteral("^\t");
    return text;
}

struct Replies
{
    QString t, sp, pw;
};

std::vector<Replies> repliesOf(const DeviceTable& devices)
{
    std::vector<Replies> replies;
    for (const DeviceRecord& d : devices.records())
        replies.push_back({d.TReply, d.SpReply, d.PwReply});
    return replies;
}

bool operator==(const Replies& a, const Replies& b)
{
    return a.t == b.t && a.sp == b.sp && a.pw == b.pw;
}

void PrintTo(const Replies& r, std::ostream* os)
{
    *os << "{" << r.t.toStdString() << ", " << r.sp.toStdString() << ", " << r.pw.toStdString()
        << "}";
}

// The groups are found by count: D device replies, then D setpoint replies when there are
// more fields, then D power replies.
TEST(ServerTickAllModbus, repliesGoToTheirDevicesByPosition)
{
    const QString head = QStringLiteral("1^\t3000^\t");
    const struct
    {
        const char* what;
        QString reply;
        int localDevices;
        std::vector<Replies> expected;
    } cases[] = {
        {"SP polling on, Pw off: 4 + 2 + 2 fields",
         head + fields({"2", "46001,5", "T0", "T1", "S0", "S1"}),
         2,
         {{"T0", "S0", ""}, {"T1", "S1", ""}}},
        {"SP and Pw polling",
         head + fields({"1", "46001,5", "T0", "S0", "P0"}),
         1,
         {{"T0", "S0", "P0"}}},
        {"only T", head + fields({"2", "46001,5", "T0", ""}), 2, {{"T0", "", ""}, {"", "", ""}}},
        {"more devices on the server: the groups keep the server's count",
         head + fields({"3", "46001,5", "T0", "T1", "T2", "S0", "S1", "S2"}),
         2,
         {{"T0", "S0", ""}, {"T1", "S1", ""}}},
        {"fewer devices on the server: the others have no reply",
         head + fields({"1", "46001,5", "T0", "S0"}),
         3,
         {{"T0", "S0", ""}, {"", "", ""}, {"", "", ""}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeviceTable devices = devicesWithChannels(std::vector<qint16>(c.localDevices, 1));
        const ServerTick::AllModbus taken = ServerTick::applyAllModbus(c.reply, devices);
        EXPECT_TRUE(taken.taken);
        EXPECT_EQ(repliesOf(devices), c.expected);
    }
}

// What carries no device data clears every reply, so that the list shows no stale values.
TEST(ServerTickAllModbus, repliesThatCarryNoDataClearEveryDevice)
{
    const struct
    {
        const char* what;
        QString reply;
    } cases[] = {
        {"server not polling", QStringLiteral("0")},
        {"empty", QString()},
        {"device count not a number", fields({"1", "3000", "x", "46001,5", "T0"})},
        {"device count beyond the table", fields({"1", "3000", "256", "46001,5", "T0"})},
        {"fewer replies than devices", fields({"1", "3000", "3", "46001,5", "T0", "T1"})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeviceTable devices = devicesWithChannels({1, 1});
        EXPECT_FALSE(ServerTick::applyAllModbus(c.reply, devices).taken);
        EXPECT_EQ(repliesOf(devices), (std::vector<Replies>{{"", "", ""}, {"", "", ""}}));
    }
}

TEST(ServerTickAllModbus, theCycleTimeReadsWithEitherSeparatorAndRepliesAreCut)
{
    const QDateTime expected = core::DateTime::toDateTime(46001.56347);
    const QString longReply(200, QLatin1Char('A'));
    for (const char* time : {"46001,56347", "46001.56347"}) {
        DeviceTable devices = devicesWithChannels({1});
        const auto taken = ServerTick::applyAllModbus(
            fields({"1", "3000", "1", QString::fromLatin1(time), longReply}), devices);
        EXPECT_EQ(taken.cycleTime, expected) << time;
        EXPECT_EQ(devices.at(0).TReply, longReply.left(DeviceRecord::kReplyLength));
    }
    DeviceTable devices = devicesWithChannels({1});
    EXPECT_FALSE(
        ServerTick::applyAllModbus(fields({"1", "3000", "1", "gestern", "T0"}), devices).cycleTime);
}

// Nine fields per device, four hex digits per channel, in record order.
TEST(ServerTickGstat, wordsGoToTheMonitoringArraysOfTheirDevice)
{
    DeviceTable devices = devicesWithChannels({2, 1});
    QStringList words;
    for (int k = 0; k < ServerTick::kMonitoringArrays; ++k)
        words << QStringLiteral("%1FFFE").arg(k, 4, 16, QLatin1Char('0')).toUpper();
    words[0] = QStringLiteral("00007FFF");
    const QString reply = fields(QStringList{"2", "0"} + words + QStringList{"1"} +
                                 QStringList(ServerTick::kMonitoringArrays, "FFFF"));

    ServerTick::applyGstat(reply, devices);

    const DeviceRecord& first = devices.at(0);
    EXPECT_EQ(first.RunState[0], 0);
    EXPECT_EQ(first.RunState[1], 0x7FFF);
    EXPECT_EQ(first.StatusWords[0][0], 1);
    EXPECT_EQ(first.StatusWords[0][1], -2);
    EXPECT_EQ(first.StatusWords[6][0], 7);
    EXPECT_EQ(first.ProgramIcon[0], 8);
    EXPECT_EQ(first.ProgramIcon[1], -2);
    EXPECT_EQ(devices.at(1).RunState[0], -1);
    EXPECT_EQ(devices.at(1).ProgramIcon[0], -1);
}

TEST(ServerTickGstat, boundsAndTheFirstUnreadableFieldEndTheReading)
{
    const QStringList nine(ServerTick::kMonitoringArrays, QStringLiteral("00010002"));
    {
        SCOPED_TRACE("a device index beyond the local table is passed over");
        DeviceTable devices = devicesWithChannels({1});
        ServerTick::applyGstat(fields(QStringList{"2", "5"} + nine + QStringList{"0"} + nine),
                               devices);
        EXPECT_EQ(devices.at(0).RunState[0], 1);
        EXPECT_EQ(devices.at(0).RunState[1], DeviceRecord::kNotRead); // beyond local `Canals`
    }
    {
        SCOPED_TRACE("a field shorter than the local channels ends it; earlier words stay");
        DeviceTable devices = devicesWithChannels({3, 1});
        ServerTick::applyGstat(fields(QStringList{"2", "0"} + nine + QStringList{"1"} + nine),
                               devices);
        EXPECT_EQ(devices.at(0).RunState[1], 2);
        EXPECT_EQ(devices.at(0).ProgramIcon[1], 2);
        EXPECT_EQ(devices.at(0).RunState[2], DeviceRecord::kNotRead);
        EXPECT_EQ(devices.at(1).RunState[0], DeviceRecord::kNotRead);
    }
    {
        SCOPED_TRACE("a word that is no hex number ends it");
        DeviceTable devices = devicesWithChannels({2});
        QStringList bad = nine;
        bad[3] = QStringLiteral("0001zz02");
        ServerTick::applyGstat(fields(QStringList{"1", "0"} + bad), devices);
        EXPECT_EQ(devices.at(0).StatusWords[1][0], 1); // channel 0 of arrays 0..8 came first
        EXPECT_EQ(devices.at(0).StatusWords[1][1], 2);
        EXPECT_EQ(devices.at(0).StatusWords[2][1], DeviceRecord::kNotRead);
        EXPECT_EQ(devices.at(0).RunState[1], 2);
    }
    {
        SCOPED_TRACE("a count that is no number reads nothing");
        DeviceTable devices = devicesWithChannels({2});
        ServerTick::applyGstat(fields(QStringList{"x", "0"} + nine), devices);
        EXPECT_EQ(devices.at(0).RunState[0], DeviceRecord::kNotRead);
    }
}

class ServerTickRun : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { testing::ensureApplication(); }

    void SetUp() override
    {
        m_station.devices() = devicesWithChannels({2});
        m_station.settings().set(u"MyIP", QStringLiteral("127.0.0.1"));
        m_station.settings().set(u"SpinEdit3G.Value", 100);
    }

    std::optional<QDateTime> tick(quint16 port)
    {
        m_station.settings().set(u"MyPort", QString::number(port));
        m_panels.clear();
        return m_tick.run(m_station, [this](comm::StatusPanel panel, const QString& text) {
            if (panel == comm::StatusPanel::Panel2)
                m_panels.append(text);
        });
    }

    core::Station m_station{QString()};
    ServerTick m_tick;
    QStringList m_panels;
};

TEST_F(ServerTickRun, aPollingServerFillsRepliesAndWords)
{
    FakeLineServer server(
        {{QStringLiteral("allmodbus"), fields({"1", "1000", "1", "46001,5", "T0", "S0"})},
         {QStringLiteral("gstat"),
          fields({"1", "0", "00030004", "0", "0", "0", "0", "0", "0", "0", "0"})}});

    const auto time = tick(server.port());

    EXPECT_EQ(time, core::DateTime::toDateTime(46001.5));
    EXPECT_EQ(server.requests(), (QStringList{"allmodbus", "gstat"}));
    EXPECT_EQ(m_panels, QStringList{QStringLiteral(" Идет прием по TCP/IP")});
    EXPECT_EQ(m_station.devices().at(0).TReply, QStringLiteral("T0"));
    EXPECT_EQ(m_station.devices().at(0).SpReply, QStringLiteral("S0"));
    // The second array's field holds no word: reading ended after the first word.
    EXPECT_EQ(m_station.devices().at(0).RunState[0], 3);
    EXPECT_EQ(m_station.devices().at(0).StatusWords[0][0], DeviceRecord::kNotRead);
    EXPECT_EQ(m_tick.serverState(), QLatin1Char('1'));
}

// A server that is off, and one that cannot be reached, leave no values and no "gstat".
TEST_F(ServerTickRun, aServerThatIsOffOrGoneClearsTheReplies)
{
    {
        FakeLineServer server(FakeLineServer::Replies{
            {QStringLiteral("allmodbus"), fields({"1", "1000", "1", "46001,5", "T0", "S0"})}});
        tick(server.port());
        ASSERT_EQ(m_station.devices().at(0).TReply, QStringLiteral("T0"));
    }
    const quint16 gone = FakeLineServer::closedPort();
    EXPECT_FALSE(tick(gone));
    EXPECT_EQ(m_panels, QStringList{QStringLiteral(" Сервер TCP/IP выключен")});
    EXPECT_TRUE(m_station.devices().at(0).TReply.isEmpty());
    EXPECT_TRUE(m_station.devices().at(0).SpReply.isEmpty());
    EXPECT_EQ(m_tick.serverState(), QLatin1Char('1')); // the last state read stays

    FakeLineServer off(FakeLineServer::Replies{{QStringLiteral("allmodbus"), QStringLiteral("0")}});
    m_station.devices().edit(0, [](DeviceRecord& d) { d.TReply = QStringLiteral("old"); });
    EXPECT_FALSE(tick(off.port()));
    EXPECT_EQ(off.requests(), QStringList{QStringLiteral("allmodbus")});
    EXPECT_EQ(m_panels, QStringList{QStringLiteral(" Сервер TCP/IP выключен")});
    EXPECT_TRUE(m_station.devices().at(0).TReply.isEmpty());
    EXPECT_EQ(m_tick.serverState(), QLatin1Char('0'));
}

} // namespace
} // namespace vostrand::network

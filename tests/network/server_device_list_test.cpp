#include "core/config_location.h"
#include "core/config_store.h"
#include "core/station.h"
#include "network/server_device_list.h"
#include "server_fake_line_server.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <QDir>

namespace vostrand::network {
namespace {

using namespace std::chrono_literals;
using core::DeviceRecord;
using core::SensorRecord;
using core::Station;
using testing::FakeLineServer;

// A server station of two devices and three sensors, line by line as "ipscan" + k lists it.
const QStringList kListing{
    QStringLiteral("2"),
    QStringLiteral("ТРМ-Печь"),
    QStringLiteral("05^\t0^\t2^\t0^\t"),
    QStringLiteral("Вакуум"),
    QStringLiteral("0A^\t1^\t1^\t2^\t"),
    QStringLiteral("3"),
    QStringLiteral("Зона 1"),
    QStringLiteral("05^\t0^\t1^\t°C^\t0^\t0^\t5^\t1^\t0,010^\t1^\t"),
    QStringLiteral("Зона 2"),
    QStringLiteral("05^\t1^\t1^\t°C^\t0^\t32500^\t-3^\t0^\t0.1^\t1^\t"),
    QStringLiteral("Давление"),
    // `Ind` 7 leads nowhere: the sensor is joined by its `Adr`.
    QStringLiteral("0A^\t0^\t1^\tПа^\t7^\t0^\t0^\t1^\t1,00E+004^\t16^\t"),
    QStringLiteral("3^\t0^\t"),
};

// What the dialog's memo shows for kListing: one field per line.
// clang-format off
const QStringList kMemo{
    "2",
    "ТРМ-Печь",
    "05", "0", "2", "0",
    "Вакуум",
    "0A", "1", "1", "2",
    "3", // line 11: the sensors
    "Зона 1",
    "05", "0", "1", "°C", "0", "0", "5", "1", "0,010", "1",
    "Зона 2",
    "05", "1", "1", "°C", "0", "32500", "-3", "0", "0.1", "1",
    "Давление",
    "0A", "0", "1", "Па", "7", "0", "0", "1", "1,00E+004", "16",
    "3", "0", // line 45: the regulator types
};
// clang-format on

QStringList withLine(int line, const char* text)
{
    QStringList memo = kMemo;
    memo[line] = QString::fromUtf8(text);
    return memo;
}

FakeLineServer::Replies listingReplies()
{
    FakeLineServer::Replies replies{{QStringLiteral("dttimer"), QStringLiteral("10")},
                                    {QStringLiteral("ipscan"), QString::number(kListing.size())}};
    for (int k = 0; k < kListing.size(); ++k)
        replies[QStringLiteral("ipscan%1").arg(k)] = kListing[k];
    return replies;
}

class ServerDeviceListTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { testing::ensureApplication(); }

    // The local tables before a list is taken: one Ethernet device with one sensor.
    void SetUp() override
    {
        DeviceRecord device;
        device.Name = QStringLiteral("Старый");
        device.NetAdress = QStringLiteral("01");
        device.Canals = 1;
        device.Modbus = 2;
        device.YesRJ45 = true;
        device.IP = QStringLiteral("10.0.0.5");
        device.Regtype = 3;
        m_station.devices().append(device);
        SensorRecord sensor;
        sensor.Name = QStringLiteral("Старый датчик");
        sensor.Adr = device.NetAdress;
        sensor.Can = 0;
        sensor.Ind = 0;
        sensor.Aktiv = true;
        sensor.Period = 77;
        m_station.sensors().append(sensor);
        m_station.settings().set(u"CheckBox33", true);
    }

    QString folder() const { return QString::fromStdString(m_folder.path().string()); }
    QString listFile() const { return QDir(folder()).filePath(ServerDeviceList::kListFileName); }

    void expectTablesUntouched() const
    {
        ASSERT_EQ(m_station.devices().Devcount(), 1);
        EXPECT_EQ(m_station.devices().at(0).Name, QStringLiteral("Старый"));
        EXPECT_EQ(m_station.devices().at(0).Regtype, 3);
        ASSERT_EQ(m_station.sensors().SensCount(), 1);
        EXPECT_EQ(m_station.sensors().at(0).Name, QStringLiteral("Старый датчик"));
    }

    vostrand::testing::TempFolder m_folder;
    Station m_station{QString()};
};

TEST_F(ServerDeviceListTest, fetchAsksThePeriodFirstAndTurnsEveryFieldIntoALine)
{
    FakeLineServer server(listingReplies());
    const ServerAddress address{QStringLiteral("127.0.0.1"), server.portText()};

    const ServerListFetch fetched = ServerDeviceList::fetch(address, 1000ms);

    EXPECT_EQ(fetched.memoLines, kMemo);
    EXPECT_EQ(fetched.pollingPeriodS, 10);
    EXPECT_TRUE(fetched.messages.isEmpty()) << fetched.messages.join('\n').toStdString();
    EXPECT_TRUE(fetched.found);
    EXPECT_EQ(fetched.resultText, QStringLiteral("Найдено устройств 2. Нажмите OK"));
    const QStringList requests = server.requests();
    ASSERT_EQ(requests.size(), 2 + kListing.size());
    EXPECT_EQ(requests[0], QStringLiteral("dttimer"));
    EXPECT_EQ(requests[1], QStringLiteral("ipscan"));
    EXPECT_EQ(requests.last(), QStringLiteral("ipscan12"));
}

TEST_F(ServerDeviceListTest, nothingListeningIsReportedOnceAndNothingIsFound)
{
    const ServerAddress address{QStringLiteral("127.0.0.1"),
                                QString::number(FakeLineServer::closedPort())};

    const ServerListFetch fetched = ServerDeviceList::fetch(address, 300ms);

    EXPECT_EQ(fetched.messages, QStringList{QStringLiteral("IP адрес 127.0.0.1:") + address.port +
                                            QStringLiteral(" не откликается")});
    EXPECT_TRUE(fetched.memoLines.isEmpty());
    EXPECT_FALSE(fetched.pollingPeriodS);
    EXPECT_FALSE(fetched.found);
    EXPECT_EQ(fetched.resultText, QStringLiteral("Не найдено устройств. Отмена"));
}

// A listing line whose connection gets no answer adds nothing and says so; a count that is
// no number lists nothing.
TEST_F(ServerDeviceListTest, unansweredLinesAndCountsThatAreNoNumber)
{
    FakeLineServer server(listingReplies());
    server.removeReply(QStringLiteral("ipscan3"));
    server.removeReply(QStringLiteral("ipscan4"));
    const ServerAddress address{QStringLiteral("127.0.0.1"), server.portText()};

    ServerListFetch fetched = ServerDeviceList::fetch(address, 1000ms);
    EXPECT_EQ(fetched.messages.size(), 2);
    EXPECT_EQ(fetched.memoLines.size(), kMemo.size() - 5);
    EXPECT_TRUE(fetched.found);
    // Such a list does not read as one.
    EXPECT_FALSE(ServerDeviceList::accept(fetched.memoLines, m_station, folder()).ok);

    server.setReply(QStringLiteral("ipscan"), QStringLiteral("много"));
    fetched = ServerDeviceList::fetch(address, 1000ms);
    EXPECT_TRUE(fetched.messages.isEmpty());
    EXPECT_TRUE(fetched.memoLines.isEmpty());
    EXPECT_FALSE(fetched.found);
}

TEST_F(ServerDeviceListTest, cancellingStopsBetweenConnections)
{
    FakeLineServer server(listingReplies());
    const ServerAddress address{QStringLiteral("127.0.0.1"), server.portText()};
    int asked = 0;

    const ServerListFetch fetched =
        ServerDeviceList::fetch(address, 1000ms, [&asked] { return ++asked > 3; });

    EXPECT_FALSE(fetched.found);
    EXPECT_EQ(server.requests().size(), 4); // dttimer, ipscan, two lines
}

TEST_F(ServerDeviceListTest, acceptReplacesTheTablesFieldByField)
{
    const ServerListAccept accepted = ServerDeviceList::accept(kMemo, m_station, folder());

    ASSERT_TRUE(accepted.ok) << accepted.message.toStdString();
    EXPECT_FALSE(QFile::exists(listFile()));
    const core::DeviceTable& devices = m_station.devices();
    ASSERT_EQ(devices.Devcount(), 2);
    EXPECT_EQ(devices.at(0).Name, QStringLiteral("ТРМ-Печь"));
    EXPECT_EQ(devices.at(0).NetAdress, QStringLiteral("05"));
    EXPECT_EQ(devices.at(0).Canals, 2);
    EXPECT_EQ(devices.at(0).Regtype, 3);
    // What the listing does not carry stays as the local record at that index had it.
    EXPECT_EQ(devices.at(0).IP, QStringLiteral("10.0.0.5"));
    EXPECT_EQ(devices.at(0).Modbus, 2);
    EXPECT_EQ(devices.at(1).NetAdress, QStringLiteral("0A"));
    EXPECT_EQ(devices.at(1).Prot, 1);
    EXPECT_EQ(devices.at(1).Lumirex, 2);
    EXPECT_EQ(devices.at(1).Regtype, 0);

    const core::SensorTable& sensors = m_station.sensors();
    ASSERT_EQ(sensors.SensCount(), 3);
    const SensorRecord& first = sensors.at(0);
    EXPECT_EQ(first.Name, QStringLiteral("Зона 1"));
    EXPECT_EQ(first.Dimension, QStringLiteral("°C"));
    EXPECT_EQ(first.Sluj, 32000); // a listed zone of 0
    EXPECT_EQ(first.Dopusk, 5);
    EXPECT_TRUE(first.Aktiv);
    EXPECT_FLOAT_EQ(first.Mas, 0.01f);
    EXPECT_EQ(first.Period, 77);
    const SensorRecord& second = sensors.at(1);
    EXPECT_EQ(second.Can, 1);
    EXPECT_EQ(second.Sluj, 32500);
    EXPECT_EQ(second.Dopusk, -3);
    EXPECT_FALSE(second.Aktiv);
    EXPECT_FLOAT_EQ(second.Mas, 0.1f);
    const SensorRecord& third = sensors.at(2);
    EXPECT_EQ(third.Ind, 1);
    EXPECT_EQ(third.CanType, 16);
    EXPECT_FLOAT_EQ(third.Mas, 10000.0f);
    EXPECT_EQ(third.Period, m_station.settings().pollingPeriodS());
}

// Whichever separator the server wrote, the scale is the same number.
TEST_F(ServerDeviceListTest, scaleReadsWithEitherSeparator)
{
    const struct
    {
        const char* text;
        float mas;
    } cases[] = {{"0,010", 0.01f}, {"0.010", 0.01f}, {"0,1", 0.1f},
                 {"10.0", 10.0f},  {" 1,0 ", 1.0f},  {"1.00E+004", 1e4f}};
    for (const auto& c : cases) {
        Station station{QString()};
        ASSERT_TRUE(ServerDeviceList::accept(withLine(21, c.text), station, folder()).ok) << c.text;
        EXPECT_FLOAT_EQ(station.sensors().at(0).Mas, c.mas) << c.text;
    }
}

TEST_F(ServerDeviceListTest, aMalformedListKeepsTheTablesWholeAndIsSaved)
{
    const struct
    {
        const char* what;
        QStringList memo;
    } cases[] = {
        {"device count not a number", withLine(0, "два")},
        {"more devices than the table holds", withLine(0, "256")},
        {"channel count not a number", withLine(4, "2a")},
        {"more than 64 channels", withLine(4, "65")},
        {"sensor count beyond the table", withLine(11, "779")},
        {"channel index beyond 64", withLine(14, "64")},
        {"scale not a number", withLine(21, "abc")},
        {"data type beyond a byte", withLine(22, "300")},
        {"zone beyond 16 bits", withLine(18, "40000")},
        {"list cut short", kMemo.mid(0, 30)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(listFile());

        const ServerListAccept refused = ServerDeviceList::accept(c.memo, m_station, folder());

        EXPECT_FALSE(refused.ok);
        EXPECT_EQ(refused.message, QStringLiteral("Получен не корректный список устройств и "
                                                  "датчиков\r\rСохранен в файле \"Список "
                                                  "устройств.txt\" для разбора"));
        EXPECT_EQ(refused.savedListFile, QDir::toNativeSeparators(listFile()));
        const core::TextFileLines saved = core::TextCodec::readLines(listFile());
        EXPECT_TRUE(saved.result.ok);
        EXPECT_EQ(saved.lines, c.memo);
        expectTablesUntouched();
    }
}

// A `Regtype` line that is no number, or none at all, sets every device's type to 0; the
// list is taken all the same.
TEST_F(ServerDeviceListTest, regulatorTypesThatDoNotReadAreAllZero)
{
    for (const QStringList& memo : {withLine(46, "x"), kMemo.mid(0, 46)}) {
        Station station{QString()};
        ASSERT_TRUE(ServerDeviceList::accept(memo, station, folder()).ok);
        EXPECT_EQ(station.devices().at(0).Regtype, 0);
        EXPECT_EQ(station.devices().at(1).Regtype, 0);
    }
}

TEST_F(ServerDeviceListTest, acceptingFromTheCommandLineMakesTheServerTheSourceAndSaves)
{
    FakeLineServer server(listingReplies());
    const ServerAddress address{QStringLiteral("127.0.0.1"), server.portText()};
    const ServerListFetch fetched = ServerDeviceList::fetch(address, 1000ms);

    const ServerListAccept accepted =
        ServerDeviceList::acceptFetched(fetched, address, m_station, folder());

    ASSERT_TRUE(accepted.ok);
    const core::Settings& settings = m_station.settings();
    EXPECT_EQ(settings.clientServerIp(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(settings.clientServerPort(), server.port());
    EXPECT_EQ(settings.pollingPeriodS(), 10);
    EXPECT_EQ(settings.dataSource(), core::DataSource::Server);
    EXPECT_FALSE(settings.tcpServerOn());

    const core::ConfigStore store(core::ConfigLocation(folder()).iniFilePath());
    ASSERT_TRUE(ServerDeviceList::saveConfiguration(m_station, store).ok);
    Station restored{QString()};
    store.loadSettings(restored);
    store.loadDevicesAndSensors(restored);
    EXPECT_EQ(restored.devices().Devcount(), 2);
    EXPECT_EQ(restored.sensors().SensCount(), 3);
    EXPECT_EQ(restored.settings().dataSource(), core::DataSource::Server);
    EXPECT_EQ(restored.settings().pollingPeriodS(), 10);
}

TEST_F(ServerDeviceListTest, aRefusedListChangesNoSettingEither)
{
    ServerListFetch fetched;
    fetched.memoLines = kMemo.mid(0, 7);
    fetched.pollingPeriodS = 10;
    fetched.found = true;

    const ServerListAccept refused = ServerDeviceList::acceptFetched(
        fetched, {QStringLiteral("10.1.1.1"), QStringLiteral("5000")}, m_station, folder());

    EXPECT_FALSE(refused.ok);
    expectTablesUntouched();
    EXPECT_EQ(m_station.settings().pollingPeriodS(), 3);
    EXPECT_EQ(m_station.settings().clientServerIp(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(m_station.settings().dataSource(), core::DataSource::Devices);
    EXPECT_TRUE(m_station.settings().tcpServerOn());
}

} // namespace
} // namespace vostrand::network

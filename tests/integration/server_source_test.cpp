// One copy polls the simulated instruments and serves them; a second copy takes the first's
// device list and then its data over TCP, and records the same values at the same times.
#include "core/config_location.h"
#include "core/config_store.h"
#include "core/station.h"
#include "test_application.h"

#include <csignal>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTcpServer>
#include <QTemporaryDir>

namespace {

using vostrand::core::ConfigLocation;
using vostrand::core::ConfigStore;
using vostrand::core::DeviceRecord;
using vostrand::core::SensorRecord;
using vostrand::core::Station;

constexpr int kStartMs = 10000;
constexpr int kRunMs = 30000;

using vostrand::testing_support::ensureApplication;

QString program(const char* name)
{
    return QStringLiteral(VOSTRAND_TEST_BIN_DIR "/") + QLatin1String(name);
}

QStringList dataLines(const QString& folder)
{
    QDirIterator files(folder, {QStringLiteral("*.vst")}, QDir::Files,
                       QDirIterator::Subdirectories);
    if (!files.hasNext())
        return {};
    QFile file(files.next());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringDecoder decoder("windows-1251");
    const QString text = decoder(file.readAll());
    return text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

// A port that was free a moment ago.
quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

void stop(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    if (!process.waitForFinished(kRunMs))
        process.kill();
}

class ServerSource : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        for (const char* name : {"vostrandnet", "vostrand-sim"})
            ASSERT_TRUE(QFile::exists(program(name)))
                << program(name).toStdString() << " is not built: build it with the tests";
    }

    void TearDown() override
    {
        stop(m_server);
        if (m_sim.state() != QProcess::NotRunning) {
            m_sim.terminate();
            if (!m_sim.waitForFinished(kStartMs))
                m_sim.kill();
        }
    }

    QString folder(const char* name) const { return m_root.filePath(QLatin1String(name)); }

    // Device 1: two channels reading 20.5 and 21.0, setpoints 25 and 30, power 50 %.
    void startSimulator()
    {
        m_sim.setProgram(program("vostrand-sim"));
        m_sim.setArguments({QStringLiteral("--device"),
                            QStringLiteral("1:2:shape=constant,base=20.5/21,sp=25/30,pw=50"),
                            QStringLiteral("--listen"), QStringLiteral("tcp:127.0.0.1:0:rtu")});
        m_sim.start();
        ASSERT_TRUE(m_sim.waitForStarted(kStartMs));
        QByteArray banner;
        while (!banner.contains("ready\n")) {
            ASSERT_TRUE(m_sim.waitForReadyRead(kStartMs)) << banner.toStdString();
            banner += m_sim.readAllStandardOutput();
        }
        const auto match = QRegularExpression(QStringLiteral(R"(tcp:127\.0\.0\.1:(\d+) rtu)"))
                               .match(QString::fromLatin1(banner));
        ASSERT_TRUE(match.hasMatch()) << banner.toStdString();
        m_simPort = match.captured(1);
    }

    static void save(const Station& station, const QString& configFolder)
    {
        QDir().mkpath(configFolder);
        const ConfigStore store(ConfigLocation(configFolder).iniFilePath());
        ASSERT_TRUE(store.saveSettings(station).ok);
        ASSERT_TRUE(store.saveDevicesAndSensors(station).ok);
    }

    // The serving copy: polls the simulator every second and serves on `m_serverPort`.
    void writeServerConfiguration()
    {
        Station station(m_root.path());
        station.settings().set(u"DirEdit1.Text", folder("server-data"));
        station.settings().set(u"SpinEdit4G.Value", 1);
        station.settings().set(u"PwRead", true);
        station.settings().set(u"CheckBox33", true);
        station.settings().set(u"Edit4.Text", QStringLiteral("127.0.0.1"));
        station.settings().set(u"Edit5.Text", QString::number(m_serverPort));
        DeviceRecord device;
        device.Name = QStringLiteral("Печь");
        device.NetAdress = QStringLiteral("01");
        device.Canals = 2;
        device.Modbus = 1;
        device.YesRJ45 = true;
        device.IP = QStringLiteral("127.0.0.1");
        device.IPPort = m_simPort;
        station.devices().append(device);
        for (qint16 can = 0; can < 2; ++can) {
            SensorRecord sensor;
            sensor.Name = QStringLiteral("Зона %1").arg(can + 1);
            sensor.Aktiv = true;
            sensor.Adr = device.NetAdress;
            sensor.Can = can;
            sensor.Ind = 0;
            sensor.Dimension = QStringLiteral("°C");
            station.sensors().append(sensor);
        }
        save(station, folder("server-config"));
    }

    // The reading copy knows no device yet; it reads SP and Pw as the server does.
    void writeClientConfiguration()
    {
        Station station(m_root.path());
        station.settings().set(u"DirEdit1.Text", folder("client-data"));
        station.settings().set(u"PwRead", true);
        save(station, folder("client-config"));
    }

    void startServer()
    {
        m_server.setProgram(program("vostrandnet"));
        m_server.setArguments({QStringLiteral("--headless"), QStringLiteral("--config-dir"),
                               folder("server-config"), QStringLiteral("--locale"),
                               QStringLiteral("ru_RU")});
        m_server.start();
        ASSERT_TRUE(m_server.waitForStarted(kStartMs));
        // Serving, and a pass done, so that there is data to take.
        while (!m_serverOutput.contains("serving on") || !m_serverOutput.contains("pass 2 ")) {
            ASSERT_TRUE(m_server.waitForReadyRead(kRunMs))
                << m_serverOutput.toStdString() << m_server.readAllStandardError().toStdString();
            m_serverOutput += m_server.readAllStandardOutput();
        }
    }

    struct Run
    {
        int exitCode = -1;
        QString out;
        QString err;
    };

    Run runClient(const QStringList& arguments)
    {
        QProcess client;
        client.setProgram(program("vostrandnet"));
        client.setArguments(QStringList{QStringLiteral("--config-dir"), folder("client-config"),
                                        QStringLiteral("--locale"), QStringLiteral("ru_RU")} +
                            arguments);
        client.start();
        Run run;
        if (!client.waitForStarted(kStartMs) || !client.waitForFinished(kRunMs)) {
            client.kill();
            client.waitForFinished(kStartMs);
            ADD_FAILURE() << "vostrandnet " << arguments.join(' ').toStdString()
                          << " did not finish";
            return run;
        }
        run.out = QString::fromUtf8(client.readAllStandardOutput());
        run.err = QString::fromUtf8(client.readAllStandardError());
        run.exitCode = client.exitStatus() == QProcess::NormalExit ? client.exitCode() : -1;
        return run;
    }

    QTemporaryDir m_root;
    QProcess m_sim;
    QProcess m_server;
    QString m_simPort;
    quint16 m_serverPort = freePort();
    QByteArray m_serverOutput;
};

TEST_F(ServerSource, aClientTakesTheListThenRecordsTheServersValuesAndTimes)
{
    startSimulator();
    writeServerConfiguration();
    writeClientConfiguration();
    startServer();
    const QString address = QStringLiteral("127.0.0.1:%1").arg(m_serverPort);

    const Run fetched = runClient({QStringLiteral("--fetch-server-list"), address});
    ASSERT_EQ(fetched.exitCode, 0) << fetched.out.toStdString() << fetched.err.toStdString();
    EXPECT_TRUE(fetched.out.contains(QStringLiteral("Найдено устройств 1. Нажмите OK")))
        << fetched.out.toStdString();
    {
        Station station(m_root.path());
        const ConfigStore store(ConfigLocation(folder("client-config")).iniFilePath());
        store.loadSettings(station);
        store.loadDevicesAndSensors(station);
        EXPECT_EQ(station.settings().dataSource(), vostrand::core::DataSource::Server);
        EXPECT_EQ(station.settings().pollingPeriodS(), 1); // the server's period
        ASSERT_EQ(station.devices().Devcount(), 1);
        EXPECT_EQ(station.devices().at(0).Name, QStringLiteral("Печь"));
        ASSERT_EQ(station.sensors().SensCount(), 2);
        EXPECT_EQ(station.sensors().at(1).Name, QStringLiteral("Зона 2"));
    }

    const Run polled =
        runClient({QStringLiteral("--headless"), QStringLiteral("--passes"), QStringLiteral("3")});
    ASSERT_EQ(polled.exitCode, 0) << polled.out.toStdString() << polled.err.toStdString();
    EXPECT_TRUE(polled.out.contains(
        QRegularExpression(QStringLiteral(R"(1\.2\s+Зона 2\s+21,0\s+30,0\s+50,0\s+°C)"))))
        << polled.out.toStdString();

    stop(m_server);
    const QStringList serverLines = dataLines(folder("server-data"));
    const QStringList clientLines = dataLines(folder("client-data"));
    ASSERT_FALSE(serverLines.isEmpty());
    ASSERT_EQ(clientLines.size(), 3) << clientLines.join('\n').toStdString();
    // Number, date and time, then the sensor groups: the client's line is stamped with the
    // server's cycle time, so its date, time and values are those of one of the server's.
    QStringList serverRecords;
    for (const QString& line : serverLines)
        serverRecords << line.split(QLatin1Char(' '), Qt::SkipEmptyParts).mid(1).join(' ');
    const QStringList expectedValues{"^1.1", "20,5", "25,0", "50,0",
                                     "^1.2", "21,0", "30,0", "50,0"};
    for (const QString& line : clientLines) {
        SCOPED_TRACE(line.toStdString());
        const QStringList tokens = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        ASSERT_EQ(tokens.size(), 11);
        EXPECT_EQ(tokens.mid(3), expectedValues);
        EXPECT_TRUE(serverRecords.contains(tokens.mid(1).join(QLatin1Char(' '))))
            << serverLines.join('\n').toStdString();
    }
}

TEST_F(ServerSource, fetchingFromNowhereSaysSoAndExitsWithTwo)
{
    writeClientConfiguration();

    const Run fetched = runClient(
        {QStringLiteral("--fetch-server-list"), QStringLiteral("127.0.0.1:%1").arg(freePort())});

    EXPECT_EQ(fetched.exitCode, 2);
    EXPECT_TRUE(fetched.err.contains(QStringLiteral("не откликается")))
        << fetched.err.toStdString();
    EXPECT_TRUE(fetched.out.contains(QStringLiteral("Не найдено устройств. Отмена")))
        << fetched.out.toStdString();
}

} // namespace

#include "core/config_store.h"
#include "core/settings.h"
#include "core/station.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace vostrand::core {
namespace {

struct ProgramRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the built program against a fresh configuration folder and a home of its own, so
// that nothing of the user's is read or written.
class ConfigCommandLineTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "config_command_line_test";
            static char* argv[] = {name, nullptr};
            static QCoreApplication app(argc, argv);
        }
    }

    void SetUp() override
    {
        if (!QFileInfo(program()).isExecutable())
            FAIL() << "build vostrandnet first: " << program().toStdString();
    }

    static QString program()
    {
        return QDir(QStringLiteral(VOSTRAND_TEST_BIN_DIR)).filePath(QStringLiteral("vostrandnet"));
    }
    QString configDir() const { return m_home.filePath(QStringLiteral("config")); }

    ProgramRun run(QStringList arguments) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), m_home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath("xdg"));
        environment.remove(QStringLiteral("VOSTRAND_CONFIG_DIR"));
        QProcess process;
        process.setProcessEnvironment(environment);
        arguments.prepend(configDir());
        arguments.prepend(QStringLiteral("--config-dir"));
        process.start(program(), arguments);
        if (!process.waitForFinished(30000))
            return {};
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    QTemporaryDir m_home;
};

TEST_F(ConfigCommandLineTest, setAndGetSettingsByTheirPersistedNames)
{
    const ProgramRun set = run(
        {"--set", "SpinEdit4G.Value=5", "--set", "CheckBox33=true", "--set", "Edit5.Text=5001"});
    ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(QDir(configDir()).filePath("Vostrandnet.ini")));

    const ProgramRun get =
        run({"--get", "SpinEdit4G.Value", "--get", "checkbox33", "--get", "Edit5.Text"});
    EXPECT_EQ(get.exitCode, 0);
    EXPECT_EQ(get.out, QStringLiteral("5\ntrue\n5001\n"));
}

TEST_F(ConfigCommandLineTest, thePasswordIsStoredAsAHash)
{
    ASSERT_EQ(run({"--set", "Parole=secret"}).exitCode, 0);
    const QString stored = run({"--get", "Parole"}).out.trimmed();
    EXPECT_FALSE(stored.contains(QStringLiteral("secret")));
    EXPECT_TRUE(Settings::passwordMatches(stored, QStringLiteral("secret")));
}

TEST_F(ConfigCommandLineTest, refusedNamesAndValuesChangeNothing)
{
    ASSERT_EQ(run({"--set", "SpinEdit4G.Value=5"}).exitCode, 0);
    const QStringList refused[] = {
        {"--set", "SpinEdit4G.Value=0"},
        {"--set", "SpinEdit4G.Value=7", "--set", "SpinEdit4G.Value=abc"},
        {"--set", "NoSuchSetting=1"},
        {"--set", "SpinEdit4G.Value"},
        {"--set", "CheckBox33=maybe"},
        {"--get", "NoSuchSetting"},
    };
    for (const QStringList& arguments : refused) {
        const ProgramRun result = run(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_FALSE(result.err.isEmpty()) << arguments.join(' ').toStdString();
    }
    EXPECT_EQ(run({"--get", "SpinEdit4G.Value"}).out, QStringLiteral("5\n"));
}

TEST_F(ConfigCommandLineTest, listsDevicesAndSensors)
{
    const ProgramRun empty = run({"--list-devices"});
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_EQ(empty.out, QStringLiteral("index\tNetAdress\tName\tCanals\tModbus\tlink\tRegtype\n"
                                        "index\taddress\tName\tAktiv\tDimension\tCanType\tMas\n"));

    Station station(QString{});
    DeviceRecord serial;
    serial.Name = QStringLiteral("ТРМ-1");
    serial.NetAdress = QStringLiteral("01");
    serial.Canals = 1;
    serial.Modbus = 1;
    serial.Regtype = 3;
    serial.Port = QStringLiteral("/dev/ttyUSB1");
    serial.BaudRate = QStringLiteral("9600");
    station.devices().append(serial);
    DeviceRecord tcp;
    tcp.Name = QStringLiteral("Gauge");
    tcp.NetAdress = QStringLiteral("0A");
    tcp.Canals = 1;
    tcp.Modbus = 2;
    tcp.YesRJ45 = true;
    tcp.IP = QStringLiteral("127.0.0.1");
    tcp.IPPort = QStringLiteral("1502");
    station.devices().append(tcp);
    SensorRecord sensor;
    sensor.Adr = QStringLiteral("0A");
    sensor.Can = 0;
    sensor.Ind = 1;
    sensor.Name = QStringLiteral("Вакуум");
    sensor.Aktiv = true;
    sensor.Dimension = QStringLiteral("Па");
    sensor.CanType = 16;
    sensor.Mas = 0.01f;
    station.sensors().append(sensor);
    ASSERT_TRUE(ConfigStore(QDir(configDir()).filePath("Vostrandnet.ini"))
                    .saveDevicesAndSensors(station)
                    .ok);

    const ProgramRun list = run({"--list-devices"});
    EXPECT_EQ(list.exitCode, 0) << list.err.toStdString();
    EXPECT_EQ(list.out, QStringLiteral("index\tNetAdress\tName\tCanals\tModbus\tlink\tRegtype\n"
                                       "0\t01\tТРМ-1\t1\t1\tserial:/dev/ttyUSB1@9600\t3\n"
                                       "1\t0A\tGauge\t1\t2\ttcp:127.0.0.1:1502\t0\n"
                                       "index\taddress\tName\tAktiv\tDimension\tCanType\tMas\n"
                                       "0\t10.1\tВакуум\ttrue\tПа\t16\t0.01\n"));
}

TEST_F(ConfigCommandLineTest, dumpSettingsWritesIntoTheGivenDataFolder)
{
    ASSERT_EQ(run({"--set", "SpinEdit4G.Value=5"}).exitCode, 0);
    const QString dataDir = m_home.filePath(QStringLiteral("data/sub"));
    const ProgramRun dump = run({"--dump-settings", "--data-dir", dataDir});
    ASSERT_EQ(dump.exitCode, 0) << dump.err.toStdString();
    const QString path = QDir(dataDir).filePath(QStringLiteral("Info_VostrandNet.txt"));
    EXPECT_EQ(dump.out.trimmed(), QDir::toNativeSeparators(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith(
        "\xCF\xE5\xF0\xE8\xEE\xE4 \xEE\xEF\xF0\xEE\xF1\xE0, c \t\t5\r\n"));
    // The override is for this run only.
    EXPECT_NE(run({"--get", "DirEdit1.Text"}).out.trimmed(), dataDir);
}

} // namespace
} // namespace vostrand::core

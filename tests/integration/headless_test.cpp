// The program polls simulated instruments as real processes over loopback: `vostrandnet
// --headless` against `vostrand-sim`, then its data table file and names file are read back.
#include "core/config_location.h"
#include "core/config_store.h"
#include "core/station.h"
#include "core/text_codec.h"
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

QStringList readLines1251(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringDecoder decoder("windows-1251");
    const QString text = decoder(file.readAll());
    EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n"))) << path.toStdString();
    return text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

QString findFile(const QString& folder, const QString& suffix)
{
    QDirIterator files(folder, {QLatin1Char('*') + suffix}, QDir::Files,
                       QDirIterator::Subdirectories);
    return files.hasNext() ? files.next() : QString();
}

class HeadlessRun : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        for (const char* name : {"vostrandnet", "vostrand-sim"})
            ASSERT_TRUE(QFile::exists(program(name)))
                << program(name).toStdString() << " is not built: build it with the tests";
        startSimulator();
    }

    void TearDown() override
    {
        if (m_sim.state() != QProcess::NotRunning) {
            m_sim.terminate();
            if (!m_sim.waitForFinished(kStartMs))
                m_sim.kill();
        }
    }

    // Device 1: two channels with constant readings 20.5 and 21.0, setpoints 25 and 30, power
    // 50 %, on RTU over TCP.
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
        m_port = match.captured(1);
    }

    QString dataFolder() const { return m_root.filePath(QStringLiteral("data")); }
    QString configFolder() const { return m_root.filePath(QStringLiteral("config")); }

    void writeConfiguration()
    {
        Station station(m_root.path());
        station.settings().set(u"DirEdit1.Text", dataFolder());
        station.settings().set(u"SpinEdit4G.Value", 1);
        station.settings().set(u"PwRead", true);
        station.settings().set(u"RS_or_TCP", 0);
        DeviceRecord device;
        device.Name = QStringLiteral("Печь");
        device.NetAdress = QStringLiteral("01");
        device.Canals = 2;
        device.Modbus = 1;
        device.YesRJ45 = true;
        device.IP = QStringLiteral("127.0.0.1");
        device.IPPort = m_port;
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
        QDir().mkpath(configFolder());
        const ConfigStore store(ConfigLocation(configFolder()).iniFilePath());
        ASSERT_TRUE(store.saveSettings(station).ok);
        ASSERT_TRUE(store.saveDevicesAndSensors(station).ok);
    }

    void startProgram(const QStringList& extra)
    {
        m_program.setProgram(program("vostrandnet"));
        m_program.setArguments(QStringList{QStringLiteral("--headless"),
                                           QStringLiteral("--config-dir"), configFolder(),
                                           QStringLiteral("--locale"), QStringLiteral("ru_RU")} +
                               extra);
        m_program.start();
        ASSERT_TRUE(m_program.waitForStarted(kStartMs));
    }

    int finish()
    {
        EXPECT_TRUE(m_program.waitForFinished(kRunMs)) << "the program did not stop";
        m_output = QString::fromUtf8(m_program.readAllStandardOutput());
        m_errors = QString::fromUtf8(m_program.readAllStandardError());
        return m_program.exitStatus() == QProcess::NormalExit ? m_program.exitCode() : -1;
    }

    // Every line of the data file carries both channels with all three values.
    void expectRecords(int count)
    {
        const QString dataFile = findFile(dataFolder(), QStringLiteral(".vst"));
        ASSERT_FALSE(dataFile.isEmpty()) << m_output.toStdString() << m_errors.toStdString();
        const QStringList lines = readLines1251(dataFile);
        ASSERT_EQ(lines.size(), count) << lines.join('\n').toStdString();
        const QRegularExpression date(QStringLiteral(R"(^\d\d\.\d\d\.\d{4}$)"));
        const QRegularExpression time(QStringLiteral(R"(^\d{1,2}:\d\d:\d\d$)"));
        for (int i = 0; i < lines.size(); ++i) {
            SCOPED_TRACE(lines[i].toStdString());
            ASSERT_TRUE(lines[i].endsWith(QLatin1Char(' ')));
            const QStringList tokens = lines[i].split(QLatin1Char(' '), Qt::SkipEmptyParts);
            ASSERT_EQ(tokens.size(), 11);
            EXPECT_EQ(tokens[0], QString::number(i + 1));
            EXPECT_TRUE(date.match(tokens[1]).hasMatch());
            EXPECT_TRUE(time.match(tokens[2]).hasMatch());
            EXPECT_EQ(tokens.mid(3), QStringList({"^1.1", "20,5", "25,0", "50,0", "^1.2", "21,0",
                                                  "30,0", "50,0"}));
        }
        const QString namesFile = findFile(dataFolder(), QStringLiteral(".nm"));
        ASSERT_EQ(QFileInfo(namesFile).completeBaseName(), QFileInfo(dataFile).completeBaseName());
        EXPECT_EQ(readLines1251(namesFile),
                  QStringList({QStringLiteral("1.1/Зона 1/°C"), QStringLiteral("1.2/Зона 2/°C")}));
    }

    QTemporaryDir m_root;
    QProcess m_sim;
    QProcess m_program;
    QString m_port;
    QString m_output;
    QString m_errors;
};

TEST_F(HeadlessRun, pollsTheGivenPassesAndLeavesTheDataAndNamesFiles)
{
    writeConfiguration();
    startProgram({QStringLiteral("--passes"), QStringLiteral("3")});
    ASSERT_EQ(finish(), 0) << m_errors.toStdString();
    EXPECT_EQ(m_output.count(QRegularExpression(QStringLiteral("^pass \\d+ "),
                                                QRegularExpression::MultilineOption)),
              3);
    EXPECT_TRUE(m_output.contains(
        QRegularExpression(QStringLiteral(R"(1\.2\s+Зона 2\s+21,0\s+30,0\s+50,0\s+°C\s+ok)"))))
        << m_output.toStdString();
    expectRecords(3);
}

TEST_F(HeadlessRun, stopsOnSigtermWithALastWrite)
{
    writeConfiguration();
    startProgram({});
    QByteArray printed;
    while (!printed.contains("pass 2 ")) {
        ASSERT_TRUE(m_program.waitForReadyRead(kRunMs)) << printed.toStdString();
        printed += m_program.readAllStandardOutput();
    }
    ::kill(static_cast<pid_t>(m_program.processId()), SIGTERM);
    ASSERT_EQ(finish(), 0) << m_errors.toStdString();
    m_output.prepend(QString::fromUtf8(printed));
    const int passes = static_cast<int>(m_output.count(
        QRegularExpression(QStringLiteral("^pass \\d+ "), QRegularExpression::MultilineOption)));
    EXPECT_GE(passes, 2);
    // The disk write period is a minute: only the stop can have written these lines.
    expectRecords(passes);
}

TEST_F(HeadlessRun, withNothingConfiguredSaysSoAndExitsWithTwo)
{
    QDir().mkpath(configFolder());
    startProgram({QStringLiteral("--passes"), QStringLiteral("1")});
    EXPECT_EQ(finish(), 2);
    EXPECT_TRUE(m_errors.contains(QStringLiteral("nothing configured"))) << m_errors.toStdString();
}

} // namespace

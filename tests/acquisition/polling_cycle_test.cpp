#include "acquisition/data_line_list.h"
#include "acquisition/poll_exchanges.h"
#include "acquisition/polling_cycle.h"
#include "acquisition/program_status.h"
#include "acquisition/tolerance_zone.h"
#include "comm/modbus_codec.h"
#include "core/no_value.h"
#include "test_application.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace vostrand::acquisition {
namespace {

using comm::ModbusCodec;
using comm::StatusPanel;
using core::ExchangeStatus;
using core::NO_VALUE;

constexpr int kSignals = 0x0000;
constexpr int kSetpoints = 0x0030;
constexpr int kPowers = 0x0060;

using vostrand::testing_support::ensureApplication;

// A normalised read reply holding the given registers.
QString block(const std::vector<int>& registers)
{
    QString pairs = QStringLiteral("0103") + ModbusCodec::hex8(2 * int(registers.size()));
    for (const int value : registers)
        pairs += ModbusCodec::hex16(value);
    return pairs + ModbusCodec::hex8(*ModbusCodec::lrc(QStringLiteral(":") + pairs));
}

// What one device answers: a status per block, and register values (raw, ×0.1 by `Mas`).
struct DeviceScript
{
    ExchangeStatus signal = ExchangeStatus::Good;
    ExchangeStatus setpoint = ExchangeStatus::Good;
    ExchangeStatus power = ExchangeStatus::Good;
    std::vector<int> signalValues{205, 210};
    std::vector<int> setpoints{250, 250};
    std::vector<int> powers{500, 600};
};

// The exchanges of a pass, scripted per device; every request is noted.
class FakeExchanges : public PollExchanges
{
public:
    struct Call
    {
        int device;
        int firstRegister;
        int count;
        bool operator==(const Call&) const = default;
    };

    std::map<int, DeviceScript> scripts;
    std::vector<Call> calls;
    std::vector<QString> registerReads; // netAdress of each run-state read
    int pauses = 0;
    std::function<void()> duringRead; // runs inside each block read

    void beginPass() override {}
    std::optional<comm::PortSummary> endOfPass() override { return std::nullopt; }
    void resetPortFlags() override {}
    bool portSelected(const comm::SerialEndpoint&) const override { return true; }
    bool selectPort(const comm::SerialEndpoint&) override { return true; }

    comm::BlockReply readBlock(int deviceIndex, int count, int firstRegister) override
    {
        calls.push_back({deviceIndex, firstRegister, count});
        if (duringRead)
            duringRead();
        const DeviceScript& script = scripts[deviceIndex];
        const auto [status, values] =
            firstRegister == kSignals     ? std::pair(script.signal, script.signalValues)
            : firstRegister == kSetpoints ? std::pair(script.setpoint, script.setpoints)
                                          : std::pair(script.power, script.powers);
        if (status != ExchangeStatus::Good)
            return {status, {}};
        return {status, block(values)};
    }
    comm::RegisterReply readRegister(QStringView netAdress, int, int) override
    {
        registerReads.push_back(netAdress.toString());
        return {ExchangeStatus::Good, 1};
    }
    comm::BlockReply readRegisters(QStringView, int, int count) override
    {
        return {ExchangeStatus::Good, block(std::vector<int>(static_cast<std::size_t>(count), 0))};
    }
    comm::MakerReply maker(QStringView, QChar, bool) override { return {}; }
    void pauseAfterReply() override { ++pauses; }

    int readsOf(int device) const
    {
        return static_cast<int>(std::count_if(
            calls.begin(), calls.end(), [device](const Call& c) { return c.device == device; }));
    }
};

class PollingCycleTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        settings().set(u"DirEdit1.Text", m_folder.path());
        settings().set(u"YearMonYes", false);
        settings().set(u"SpinEdit4G.Value", 3);
        settings().set(u"SpinEdit5G.Value", 60);
        settings().set(u"RS_or_TCP", 0);
        m_now = QDateTime(QDate(2026, 12, 10), QTime(9, 5, 7));
    }

    core::Settings& settings() { return m_station.settings(); }

    // A Modbus TCP device with one active sensor per channel.
    void addDevice(int address, int channels)
    {
        core::DeviceRecord device;
        device.Name = QStringLiteral("Печь %1").arg(address);
        device.NetAdress = QStringLiteral("%1").arg(address, 2, 16, QLatin1Char('0')).toUpper();
        device.Canals = static_cast<qint16>(channels);
        device.Modbus = 2;
        device.YesRJ45 = true;
        m_station.devices().append(device);
        for (int c = 0; c < channels; ++c)
            addSensor(device.NetAdress, c, m_station.devices().Devcount() - 1);
    }

    void addSensor(const QString& adr, int can, int ind, const QString& name = {})
    {
        core::SensorRecord sensor;
        sensor.Name = name.isEmpty() ? QStringLiteral("Канал %1").arg(can + 1) : name;
        sensor.Aktiv = true;
        sensor.Adr = adr;
        sensor.Can = static_cast<qint16>(can);
        sensor.Ind = static_cast<qint16>(ind);
        sensor.Dimension = QStringLiteral("°C");
        m_station.sensors().append(sensor);
    }

    void addMathDevice(const QStringList& formulas)
    {
        core::DeviceRecord math;
        math.NetAdress = QStringLiteral("FF");
        math.Canals = static_cast<qint16>(formulas.size());
        m_station.devices().append(math);
        for (int f = 0; f < formulas.size(); ++f)
            addSensor(math.NetAdress, f, m_station.devices().Devcount() - 1, formulas[f]);
    }

    PollingCycle& cycle()
    {
        if (!m_cycle) {
            m_cycle = std::make_unique<PollingCycle>(PollingCycle::Dependencies{
                m_station, m_exchanges, core::RegionalFormat::dotDecimal(), PollingTexts{},
                [this] { return m_now; },
                [this](std::function<void()> pass) {
                    m_pending.push_back(std::move(pass));
                }});
            m_cycle->setTimerDriven(false);
            QObject::connect(m_cycle.get(), &PollingCycle::statusChanged,
                             [this](StatusPanel panel, const QString& text) {
                                 if (panel == StatusPanel::Panel2)
                                     m_panel2.append(text);
                             });
        }
        return *m_cycle;
    }

    void start() { ASSERT_FALSE(cycle().start().has_value()); }

    // One tick and its pass, then the clock moves on by `stepS`.
    void pass(int stepS = 3)
    {
        cycle().tick();
        runPending();
        m_now = m_now.addSecs(stepS);
    }

    void runPending()
    {
        auto pending = std::move(m_pending);
        m_pending.clear();
        for (auto& run : pending)
            run();
    }

    QStringList fileLines(const QString& path) const
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLatin1(file.readAll())
            .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

    QTemporaryDir m_folder;
    core::Station m_station{QString()};
    FakeExchanges m_exchanges;
    QDateTime m_now;
    std::vector<std::function<void()>> m_pending;
    QStringList m_panel2;
    std::unique_ptr<PollingCycle> m_cycle;
};

TEST_F(PollingCycleTest, startWithoutDevicesDoesNothing)
{
    EXPECT_EQ(cycle().start(), StartRefusal::NoDevice);
    EXPECT_EQ(cycle().state(), PollingState::Stopped);
    cycle().tick();
    EXPECT_TRUE(m_pending.empty());
}

TEST_F(PollingCycleTest, tickDuringPassIsSkippedWithOverloadAndNotQueued)
{
    addDevice(1, 2);
    start();
    cycle().tick(); // the pass waits behind another job
    ASSERT_EQ(m_pending.size(), 1u);
    m_panel2.clear();
    cycle().tick();
    cycle().tick();
    EXPECT_EQ(m_pending.size(), 1u);
    EXPECT_EQ(m_panel2, QStringList({PollingCycle::kOverload, PollingCycle::kOverload}));
    EXPECT_TRUE(m_exchanges.calls.empty());
    EXPECT_EQ(cycle().passCounter(), 0);

    runPending();
    EXPECT_EQ(cycle().passCounter(), 1);
    EXPECT_EQ(m_exchanges.readsOf(0), 2); // signals and setpoints, once
    cycle().tick();
    EXPECT_EQ(m_pending.size(), 1u); // free again
}

TEST_F(PollingCycleTest, failuresCountDownToPauseAndSwitchSensorsOff)
{
    settings().set(u"SpinEdit1G.Value", 10);
    addDevice(1, 2);
    addDevice(2, 1);
    m_exchanges.scripts[0].signal = ExchangeStatus::NoReply;
    start();

    QStringList countdown;
    const auto untilPause = [this, &countdown] {
        for (const QString& text : m_panel2) {
            if (text.contains(PollingTexts::kUntilPause))
                countdown.append(text);
        }
        m_panel2.clear();
    };
    for (int i = 0; i < 3; ++i) {
        pass();
        untilPause();
    }
    m_exchanges.scripts[0].signal = ExchangeStatus::Good; // one good poll starts again
    pass();
    untilPause();
    m_exchanges.scripts[0].signal = ExchangeStatus::NoReply;
    for (int i = 0; i < 10; ++i) {
        EXPECT_TRUE(m_station.sensors().at(0).Aktiv) << "poll " << i;
        pass();
        untilPause();
    }
    QStringList expected;
    for (const int left : {10, 9, 8, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1})
        expected.append(QStringLiteral("Прибор Печь 1 до паузы попыток %1").arg(left));
    EXPECT_EQ(countdown, expected);
    EXPECT_FALSE(m_station.sensors().at(0).Aktiv);
    EXPECT_FALSE(m_station.sensors().at(1).Aktiv);
    EXPECT_TRUE(m_station.sensors().at(2).Aktiv);
    EXPECT_EQ(m_station.devices().at(0).FailCount, 0);

    // Switched off, the device is no longer asked; the other one still is.
    const int before = m_exchanges.readsOf(0);
    pass();
    EXPECT_EQ(m_exchanges.readsOf(0), before);
    EXPECT_GT(m_exchanges.readsOf(1), 0);
}

TEST_F(PollingCycleTest, limitZeroNeverSwitchesOff)
{
    settings().set(u"SpinEdit1G.Value", 0);
    addDevice(1, 1);
    m_exchanges.scripts[0].signal = ExchangeStatus::NoReply;
    start();
    for (int i = 0; i < 12; ++i)
        pass();
    EXPECT_TRUE(m_station.sensors().at(0).Aktiv);
    EXPECT_FALSE(m_panel2.join(QString()).contains(PollingTexts::kUntilPause));
}

TEST_F(PollingCycleTest, blocksAreReadOnlyAfterGoodExchanges)
{
    struct Case
    {
        const char* name;
        bool spRead;
        bool pwRead;
        ExchangeStatus signal;
        ExchangeStatus setpoint;
        std::vector<int> expectedRegisters;
        qint16 expectedErr;
    };
    const std::vector<Case> cases{
        {"all good",
         true,
         true,
         ExchangeStatus::Good,
         ExchangeStatus::Good,
         {kSignals, kSetpoints, kPowers},
         0},
        {"no reply to signals",
         true,
         true,
         ExchangeStatus::NoReply,
         ExchangeStatus::Good,
         {kSignals},
         1},
        {"exception to signals",
         true,
         true,
         ExchangeStatus::Exception,
         ExchangeStatus::Good,
         {kSignals},
         3},
        {"checksum of signals",
         true,
         true,
         ExchangeStatus::ChecksumError,
         ExchangeStatus::Good,
         {kSignals},
         2},
        {"setpoint fails",
         true,
         true,
         ExchangeStatus::Good,
         ExchangeStatus::ChecksumError,
         {kSignals, kSetpoints},
         2},
        {"setpoints not polled",
         false,
         true,
         ExchangeStatus::Good,
         ExchangeStatus::Good,
         {kSignals, kPowers},
         0},
        {"signals only", false, false, ExchangeStatus::Good, ExchangeStatus::Good, {kSignals}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        core::Station station{QString()};
        station.settings().set(u"DirEdit1.Text", m_folder.path());
        station.settings().set(u"SPRead", c.spRead);
        station.settings().set(u"PwRead", c.pwRead);
        station.settings().set(u"CheckBox31", false);
        core::DeviceRecord device;
        device.NetAdress = QStringLiteral("01");
        device.Canals = 2;
        device.YesRJ45 = true;
        station.devices().append(device);
        core::SensorRecord sensor;
        sensor.Aktiv = true;
        sensor.Adr = device.NetAdress;
        sensor.Can = 0;
        sensor.Ind = 0;
        station.sensors().append(sensor);

        FakeExchanges exchanges;
        exchanges.scripts[0].signal = c.signal;
        exchanges.scripts[0].setpoint = c.setpoint;
        std::vector<std::function<void()>> pending;
        PollingCycle polling({station,
                              exchanges,
                              core::RegionalFormat::dotDecimal(),
                              {},
                              [this] { return m_now; },
                              [&pending](std::function<void()> p) {
                                  pending.push_back(p);
                              }});
        polling.setTimerDriven(false);
        ASSERT_FALSE(polling.start().has_value());
        polling.tick();
        ASSERT_EQ(pending.size(), 1u);
        pending.front()();

        std::vector<int> registers;
        for (const auto& call : exchanges.calls) {
            registers.push_back(call.firstRegister);
            EXPECT_EQ(call.count, 2);
        }
        EXPECT_EQ(registers, c.expectedRegisters);
        const core::DeviceRecord& polled = station.devices().at(0);
        EXPECT_EQ(polled.Err, c.expectedErr);
        if (!c.spRead || c.setpoint != ExchangeStatus::Good) {
            EXPECT_TRUE(polled.SpReply.isEmpty());
        }
        EXPECT_EQ(polled.PwReply.isEmpty(),
                  !std::count(registers.begin(), registers.end(), kPowers));
        // A failed read leaves no value: NO_VALUE decoded, " ?  " shown.
        const core::SensorRecord& decoded = station.sensors().at(0);
        if (c.signal != ExchangeStatus::Good) {
            EXPECT_FALSE(core::hasValue(decoded.T));
        } else {
            EXPECT_FLOAT_EQ(decoded.T, 20.5f);
        }
    }
}

TEST_F(PollingCycleTest, lumirexBlocksReadOneMoreRegister)
{
    addDevice(1, 2);
    m_station.devices().edit(0, [](core::DeviceRecord& d) { d.Lumirex = 2; });
    start();
    pass();
    ASSERT_FALSE(m_exchanges.calls.empty());
    EXPECT_EQ(m_exchanges.calls.front().count, 3);
}

TEST_F(PollingCycleTest, deviceWithAllSensorsInactiveIsNotAskedAndKeepsItsValues)
{
    addDevice(1, 2);
    addDevice(2, 2);
    start();
    pass();
    const QString previousReply = m_station.devices().at(1).TReply;
    const float previousT = m_station.sensors().at(2).T;
    ASSERT_FALSE(previousReply.isEmpty());
    m_station.sensors().edit(2, [](core::SensorRecord& s) { s.Aktiv = false; });
    m_station.sensors().edit(3, [](core::SensorRecord& s) { s.Aktiv = false; });
    m_exchanges.scripts[1].signalValues = {999, 999};
    const int before = m_exchanges.readsOf(1);
    pass();
    EXPECT_EQ(m_exchanges.readsOf(1), before);
    EXPECT_EQ(m_station.devices().at(1).TReply, previousReply);
    EXPECT_FLOAT_EQ(m_station.sensors().at(2).T, previousT);
    // Inactive sensors leave the record line.
    EXPECT_FALSE(cycle().dataLines().line(1).contains(QStringLiteral("^2.1 ")));
    EXPECT_TRUE(cycle().dataLines().line(1).contains(QStringLiteral("^1.2 ")));
}

TEST_F(PollingCycleTest, programMonitoringMakesEveryChannelsReadsAndDecidesErr)
{
    settings().set(u"SpyToProgram", true);
    addDevice(1, 2);
    m_station.devices().edit(
        0, [](core::DeviceRecord& d) { d.Regtype = core::DeviceRecord::kProgramRegulator; });
    start();
    pass();
    EXPECT_EQ(m_exchanges.registerReads, (std::vector<QString>{"01", "01"}));
    const core::DeviceRecord& device = m_station.devices().at(0);
    EXPECT_EQ(device.RunState[0], 1);
    EXPECT_EQ(device.StatusWords[0][1], 0);
    EXPECT_EQ(device.Err, 0);

    // A map that marks the registers as missing asks nothing more than the blocks.
    m_station.devices().edit(
        0, [](core::DeviceRecord& d) { d.registers.set(core::RegisterMap::MRun0180, 0x7FFF); });
    pass();
    EXPECT_EQ(m_exchanges.registerReads.size(), 2u);
    EXPECT_EQ(m_station.devices().at(0).RunState[0], core::DeviceRecord::kNotRead);
}

TEST_F(PollingCycleTest, recordLineHoldsEveryActiveSensorAndFormulas)
{
    addDevice(1, 2);
    addMathDevice({QStringLiteral("(t1.1+t1.2)/2"), QStringLiteral("t9.9")});
    start();
    pass();
    ASSERT_EQ(cycle().dataLines().count(), 1);
    EXPECT_EQ(cycle().dataLines().line(0),
              QStringLiteral("1 10.12.2026 9:05:07 ^1.1 20.5 25.0 X ^1.2 21.0 25.0 X "
                             "^255.1 20.8 X X ^255.2 X X X "));
    EXPECT_FLOAT_EQ(m_station.sensors().at(2).T, 20.75f);
    EXPECT_EQ(m_station.sensors().at(3).T, NO_VALUE);
    EXPECT_EQ(m_station.devices().at(0).PollTime, QDateTime(QDate(2026, 12, 10), QTime(9, 5, 7)));
}

TEST_F(PollingCycleTest, passWithoutValueAddsNoLineAndCountsUnansweredPasses)
{
    settings().set(u"SpinEdit1G.Value", 3);
    addDevice(1, 1);
    // The device answers, but with nothing but out-of-range readings.
    m_exchanges.scripts[0].signalValues = {32000};
    m_exchanges.scripts[0].setpoints = {32000};
    start();
    QStringList panel1;
    QObject::connect(&cycle(), &PollingCycle::statusChanged,
                     [&panel1](StatusPanel panel, const QString& text) {
                         if (panel == StatusPanel::Panel1)
                             panel1.append(text);
                     });
    for (int i = 0; i < 6; ++i)
        pass();
    EXPECT_EQ(cycle().dataLines().count(), 0);
    const QString prefix = QStringLiteral(" Не отвечают или обрыв каналов ");
    // The counter starts again once it exceeds the failed-attempt limit.
    EXPECT_EQ(panel1, QStringList({prefix + "2", prefix + "3", prefix + "4", prefix + "2"}));
    // From the second pass on every row shows no answer.
    EXPECT_EQ(cycle().rows().rows().at(0).signal, SensorListRows::kNoSignal);

    m_exchanges.scripts[0].signalValues = {205};
    pass();
    EXPECT_EQ(cycle().dataLines().count(), 1);
    EXPECT_EQ(cycle().noValueCounter(), 0);
    EXPECT_TRUE(panel1.last().startsWith(QStringLiteral(" Total_Re 1 записей ( ")));
}

TEST_F(PollingCycleTest, fileIsWrittenOnThe21stPassAfterTheLastWrite)
{
    addDevice(1, 1);
    start();
    const QString file = cycle().currentPaths().dataFile();
    for (int i = 0; i < 20; ++i)
        pass();
    EXPECT_FALSE(QFile::exists(file));
    pass();
    EXPECT_EQ(fileLines(file).size(), 21);
    EXPECT_EQ(cycle().writeCounter(), 0);
    for (int i = 0; i < 20; ++i)
        pass();
    EXPECT_EQ(fileLines(file).size(), 21);
    pass();
    EXPECT_EQ(fileLines(file).size(), 42);
}

TEST_F(PollingCycleTest, restartContinuesTheFileAndStopWritesItALastTime)
{
    addDevice(1, 1);
    start();
    pass();
    pass();
    const QString file = cycle().currentPaths().dataFile();
    bool stopped = false;
    QObject::connect(&cycle(), &PollingCycle::stopped, [&stopped] { stopped = true; });
    cycle().stop();
    EXPECT_TRUE(stopped);
    EXPECT_EQ(fileLines(file).size(), 2);
    QFile names(cycle().currentPaths().namesFile());
    ASSERT_TRUE(names.open(QIODevice::ReadOnly));
    EXPECT_EQ(names.readAll(), QByteArray("1.1/\xCA\xE0\xED\xE0\xEB 1/\xB0\x43\r\n"));

    start();
    EXPECT_EQ(cycle().status().panel1, QStringLiteral(" Load_cou 2 Cou"));
    pass();
    cycle().stop();
    const QStringList lines = fileLines(file);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("3 ")));
}

TEST_F(PollingCycleTest, stopDuringPassWaitsForItsEnd)
{
    addDevice(1, 1);
    start();
    cycle().tick();
    bool stopped = false;
    QObject::connect(&cycle(), &PollingCycle::stopped, [&stopped] { stopped = true; });
    cycle().stop();
    EXPECT_EQ(cycle().state(), PollingState::Stopping);
    EXPECT_FALSE(stopped);
    cycle().tick(); // the timer is off: nothing is scheduled
    EXPECT_EQ(m_pending.size(), 1u);
    runPending();
    EXPECT_TRUE(stopped);
    EXPECT_EQ(cycle().state(), PollingState::Stopped);
    EXPECT_EQ(cycle().status().panel2, QStringLiteral(" "));
    EXPECT_TRUE(cycle().rows().rows().at(0).signal.isEmpty());
}

TEST_F(PollingCycleTest, captionTellsWhetherTheFileIsWritten)
{
    addDevice(1, 1);
    start();
    EXPECT_EQ(cycle().status().caption,
              QStringLiteral("VostrandNet 5.10 - Накопление в файл : ") + cycle().baseName());
    cycle().stop();
    settings().set(u"CheckBox31", false);
    start();
    pass();
    EXPECT_EQ(cycle().status().caption,
              QStringLiteral("VostrandNet 5.10 - опрос без записи в файл"));
    EXPECT_EQ(cycle().dataLines().count(), 0);
}

TEST_F(PollingCycleTest, periodMovesOnWithoutWritingAndNothingIsWritten)
{
    settings().set(u"CheckBox31", false);
    settings().set(u"ComboBox4.ItemIndex", 2);
    addDevice(1, 1);
    m_now = QDateTime(QDate(2026, 12, 31), QTime(23, 59, 57));
    start();
    pass();
    pass(); // January: a new period, though no file is kept
    EXPECT_EQ(cycle().baseName(), QStringLiteral("Jan.2027"));
    EXPECT_EQ(cycle().fileBoundary().date().month(), 1);
    const int counter = cycle().writeCounter();
    pass();
    EXPECT_EQ(cycle().writeCounter(), counter + 1); // no new file on every later pass
    cycle().stop();
    EXPECT_TRUE(QDir(m_folder.path()).entryList(QDir::Files).isEmpty());
}

// Every file period across the end of a month and of a year.
// A file whose writes failed keeps its lines across the file change, is written when the
// folder can be had again, and stays in the month folder it began in.
TEST_F(PollingCycleTest, failedFileSurvivesTheFileChangeInItsOwnMonthFolder)
{
    settings().set(u"YearMonYes", true);
    settings().set(u"ComboBox4.ItemIndex", 0);
    settings().set(u"StFilTime", QVariant::fromValue(QTime(0, 0)));
    addDevice(1, 1);
    const QDir data(m_folder.path());
    // A plain file where December's folder belongs makes every December write fail.
    QFile blocker(data.filePath(QStringLiteral("2026 Dec")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    m_now = QDateTime(QDate(2026, 12, 31), QTime(23, 59, 50));
    start();
    pass();
    pass();
    m_now = QDateTime(QDate(2027, 1, 1), QTime(0, 0, 1));
    pass(); // notices the new day: the old file's last write fails, the file changes
    EXPECT_EQ(cycle().baseName(), QStringLiteral("01.01.2027 00_00"));
    EXPECT_FALSE(cycle().snapshot()->lastWriteError.isEmpty());

    ASSERT_TRUE(QFile::remove(blocker.fileName()));
    pass();
    cycle().stop();
    EXPECT_EQ(fileLines(data.filePath(QStringLiteral("2026 Dec/31.12.2026 00_00.vst"))).size(), 3);
    EXPECT_EQ(fileLines(data.filePath(QStringLiteral("2027 Jan/01.01.2027 00_00.vst"))).size(), 1);
    EXPECT_FALSE(QFileInfo::exists(data.filePath(QStringLiteral("2027 Jan/31.12.2026 00_00.vst"))));
}

TEST_F(PollingCycleTest, filePeriodsRollOverAcrossMonthAndYearEnds)
{
    struct Case
    {
        const char* name;
        int period;
        QTime startTime;
        QDateTime started;
        QDateTime sameFile; // a pass that still belongs to the first file
        QDateTime nextFile; // the first pass of the next file
        QString firstName;
        QString nextName; // empty: never a new file
    };
    const QDate dec30(2026, 12, 30);
    const std::vector<Case> cases{
        {"daily", 0, QTime(0, 0), QDateTime(QDate(2026, 12, 31), QTime(10, 0)),
         QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58)),
         QDateTime(QDate(2027, 1, 1), QTime(0, 0, 1)), "31.12.2026 00_00", "01.01.2027 00_00"},
        {"daily from 08:00, started before it", 0, QTime(8, 0),
         QDateTime(QDate(2026, 11, 30), QTime(7, 0)),
         QDateTime(QDate(2026, 11, 30), QTime(7, 59, 58)),
         QDateTime(QDate(2026, 11, 30), QTime(8, 0, 1)), "29.11.2026 08_00", "30.11.2026 08_00"},
        {"weekly", 1, QTime(0, 0), QDateTime(dec30, QTime(12, 0)),
         QDateTime(QDate(2027, 1, 3), QTime(23, 59)), QDateTime(QDate(2027, 1, 4), QTime(0, 1)),
         "5we Dec 2026", "1we Jan 2027"},
        {"monthly", 2, QTime(0, 0), QDateTime(QDate(2026, 12, 1), QTime(12, 0)),
         QDateTime(QDate(2026, 12, 31), QTime(23, 59)),
         QDateTime(QDate(2027, 1, 1), QTime(0, 0, 3)), "Dec.2026", "Jan.2027"},
        {"per start", 3, QTime(0, 0), QDateTime(dec30, QTime(12, 0)),
         QDateTime(QDate(2027, 1, 1), QTime(0, 0, 3)), QDateTime(QDate(2027, 2, 1), QTime(0, 0, 3)),
         "Termogr 30.12.2026 12_00_00", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_cycle.reset();
        m_station.devices().clear();
        m_station.sensors().clear();
        addDevice(1, 1);
        settings().set(u"ComboBox4.ItemIndex", c.period);
        settings().set(u"StFilTime", QVariant::fromValue(c.startTime));
        m_now = c.started;
        start();
        EXPECT_EQ(cycle().baseName(), c.firstName);
        const QString firstFile = cycle().currentPaths().dataFile();
        pass();
        m_now = c.sameFile;
        pass();
        EXPECT_EQ(cycle().baseName(), c.firstName);
        m_now = c.nextFile;
        pass(); // the pass that notices the new period still goes to the old file
        if (c.nextName.isEmpty()) {
            EXPECT_EQ(cycle().baseName(), c.firstName);
            EXPECT_EQ(cycle().dataLines().count(), 3);
        } else {
            EXPECT_EQ(cycle().baseName(), c.nextName);
            EXPECT_EQ(fileLines(firstFile).size(), 3);
            EXPECT_EQ(cycle().dataLines().count(), 0);
            pass();
            ASSERT_EQ(cycle().dataLines().count(), 1);
            EXPECT_TRUE(cycle().dataLines().line(0).startsWith(QStringLiteral("1 ")));
            pass();
            EXPECT_EQ(cycle().baseName(), c.nextName); // the boundary moved with the file
        }
        cycle().stop();
    }
}

TEST(ToleranceZone, heaterAndCoolerAroundTheSetpoint)
{
    struct Case
    {
        float t;
        qint16 dopusk;
        qint16 icon;
    };
    for (const Case c : {Case{101.9f, 20, ToleranceZone::kInside}, Case{102.1f, 20, 46},
                         Case{97.9f, 20, 45}, Case{102.1f, -20, 45}, Case{97.9f, -20, 46},
                         Case{150.0f, 0, ToleranceZone::kNeutral}, Case{NO_VALUE, 20, 43}})
        EXPECT_EQ(ToleranceZone::icon(c.t, 100.0f, c.dopusk), c.icon) << c.t << " " << c.dopusk;
    EXPECT_EQ(ToleranceZone::icon(100.0f, NO_VALUE, 20), ToleranceZone::kNeutral);
}

TEST(ProgramStatus, textsAndIconsOfARunningProgram)
{
    const auto words = [](qint16 run, std::array<qint16, 7> s) {
        ProgramWords w;
        w.run = run;
        w.status = s;
        return w;
    };
    const qint16 n = ProgramStatus::kNotRead;
    // Ramp from 350 towards 800, 45 minutes to go, step 3 of program 2.
    const ProgramWords ramp = words(1, {1, 2, 0, 0, 6000, 3500, 8000});
    EXPECT_EQ(ProgramStatus::text(ramp, 0.1, " 800.0"), QStringLiteral("3(Pr2) 45m 350(800)"));
    EXPECT_EQ(ProgramStatus::icon(ramp), ProgramStatus::kIconRising);
    EXPECT_EQ(ProgramStatus::text(words(1, {1, 2, 1, 12, 0, 3500, 3500}), 0.1, " 350.0"),
              QStringLiteral("3(Pr2) 12m 350"));
    EXPECT_EQ(ProgramStatus::text(words(1, {1, 2, 1, 0, 0, 3500, 3500}), 0.1, " 350.0"),
              QStringLiteral("3(Pr2) <1m 350.0"));
    EXPECT_EQ(ProgramStatus::text(words(1, {1, 2, 3, 0, 0, 0, 0}), 0.1, ""), QStringLiteral("Pr2"));
    EXPECT_EQ(ProgramStatus::text(words(0, {1, n, 0, 0, 0, 0, 0}), 0.1, ""),
              QStringLiteral("?(Pr2) ?"));
    EXPECT_EQ(ProgramStatus::text(words(1, {n, n, n, n, n, n, n}), 0.1, ""),
              QStringLiteral("? (Pr?) ?"));
    EXPECT_EQ(ProgramStatus::icon(words(1, {n, 0, 0, 0, 0, 0, 0})), ProgramStatus::kIconUnknown);
    EXPECT_EQ(ProgramStatus::icon(words(2, {0, 0, 0, 0, 0, 0, 0})), ProgramStatus::kIconPaused);
    EXPECT_EQ(ProgramStatus::icon(words(5, {0, 0, 0, 0, 0, 0, 0})), std::nullopt);
}

} // namespace
} // namespace vostrand::acquisition

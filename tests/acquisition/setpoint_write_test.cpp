#include "acquisition/alarm_type.h"
#include "acquisition/channel_register_jobs.h"
#include "acquisition/setpoint_write.h"
#include "comm/bus.h"
#include "comm/bus_job.h"
#include "comm/serial_transport.h"
#include "comm/tcp_transport.h"
#include "core/helper_library.h"
#include "sim/simulator.h"
#include "sim/simulator_host.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

namespace vostrand::acquisition {
namespace {

using namespace std::chrono_literals;
using sim::EndpointSpec;
using sim::FrameSplitter;

constexpr int kRegulator = 6;
constexpr int kAbsent = 9;

TEST(SetpointWrite, rawValueIsTheValueOverTheScaleAndMustFitTheRegister)
{
    struct Case
    {
        double value;
        float mas;
        std::optional<quint16> raw;
    };
    for (const Case c : {Case{123.4, 0.1f, 1234}, Case{-5.5, 0.1f, static_cast<quint16>(-55)},
                         Case{12.0, 1.0f, 12}, Case{0.26, 0.01f, 26},
                         Case{32767.0, 1.0f, std::nullopt}, // "no setpoint"
                         Case{5000.0, 0.1f, std::nullopt},  // 50000 would wrap round
                         Case{-3276.9, 0.1f, std::nullopt}, Case{10.0, 0.0f, std::nullopt}})
        EXPECT_EQ(SetpointWrite::rawFor(c.value, c.mas), c.raw) << c.value << " / " << c.mas;
}

TEST(SetpointWrite, typedTextReadsEitherSeparatorAndUnreadableMeansNoSetpoint)
{
    EXPECT_DOUBLE_EQ(SetpointWrite::parseTyped(u" 12,5 "), 12.5);
    EXPECT_DOUBLE_EQ(SetpointWrite::parseTyped(u"-3.25"), -3.25);
    for (const char16_t* unreadable : {u"не отвечает", u"", u"1,2,3", u"inf"})
        EXPECT_EQ(SetpointWrite::parseTyped(unreadable), SetpointWrite::kNoValue)
            << QString::fromUtf16(unreadable).toStdString();
}

TEST(SetpointWrite, presetIsTheReadValueOrTheNoAnswerText)
{
    const comm::ValueTextFormat format{1, 5, QLatin1Char(',')};
    ChannelRegisterResult read;
    read.status = core::ExchangeStatus::Good;
    read.value = static_cast<quint16>(-125);
    const auto value = SetpointWrite::valueOf(read, 0.1f);
    ASSERT_TRUE(value);
    EXPECT_EQ(SetpointWrite::presetText(value, format, QStringLiteral("не отвечает")),
              QStringLiteral("-12,5"));
    read.value = SetpointWrite::kNoValueRaw;
    EXPECT_FALSE(SetpointWrite::valueOf(read, 0.1f)) << "32767 is no setpoint";
    EXPECT_EQ(SetpointWrite::presetText(std::nullopt, format, QStringLiteral("не отвечает")),
              QStringLiteral("не отвечает"));
}

TEST(ChannelTarget, onlyAChannelOfARealDeviceCanBeAsked)
{
    core::DeviceTable devices;
    core::DeviceRecord device;
    device.NetAdress = QStringLiteral("0A");
    device.Port = QStringLiteral("/dev/ttyS1");
    device.BaudRate = QStringLiteral("19200");
    ASSERT_TRUE(devices.append(device));
    core::DeviceRecord math;
    math.NetAdress = QStringLiteral("FF");
    ASSERT_TRUE(devices.append(math));

    core::SensorTable sensors;
    core::SensorRecord channel;
    channel.Adr = QStringLiteral("0A");
    channel.Can = 1;
    channel.Ind = 0;
    channel.Name = QStringLiteral("Печь");
    ASSERT_TRUE(sensors.append(channel));
    core::SensorRecord formula = channel;
    formula.Adr = QStringLiteral("FF");
    formula.Ind = 1;
    ASSERT_TRUE(sensors.append(formula));
    core::SensorRecord orphan = channel;
    orphan.Ind = std::nullopt;
    ASSERT_TRUE(sensors.append(orphan));

    const auto target = ChannelTarget::of(devices, sensors, 0);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->channel, 1);
    EXPECT_EQ(target->serial, (comm::SerialEndpoint{QStringLiteral("/dev/ttyS1"), 19200}));
    EXPECT_EQ(SetpointWrite::caption(*target, QStringLiteral("Уставка")),
              QStringLiteral(" Уставка 0A.2 - Печь"));
    EXPECT_FALSE(ChannelTarget::of(devices, sensors, 1)) << "formula channel";
    EXPECT_FALSE(ChannelTarget::of(devices, sensors, 2)) << "no device";
    EXPECT_FALSE(ChannelTarget::of(devices, sensors, 3)) << "out of range";
}

// The simulator on loopback TCP in the three framings and on a pty; the Bus runs the jobs on
// the test thread, as the acquisition thread would.
class SetpointOnSimulator : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "vostrand_acquisition_tests";
            static char* argv[] = {name, nullptr};
            static QCoreApplication application(argc, argv);
        }
    }

    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        sim::InstrumentConfig regulator;
        regulator.address = kRegulator;
        regulator.model = QStringLiteral("ТРМ");
        for (const double setpoint : {350.0, 20.0}) {
            sim::ChannelConfig channel;
            channel.decimals = 1;
            channel.setpoint = setpoint;
            regulator.channels.push_back(channel);
        }
        ASSERT_FALSE(m_simulator.addInstrument(regulator));
        m_simulator.setClock([] { return 0.0; });

        EndpointSpec pty;
        pty.kind = EndpointSpec::Kind::Pty;
        pty.link = m_folder.filePath(QStringLiteral("ttySIM0"));
        const auto failed = m_host.start({tcp(FrameSplitter::Mode::Mbap, "mbtcp"),
                                          tcp(FrameSplitter::Mode::AsciiLines, "ascii"),
                                          tcp(FrameSplitter::Mode::Rtu, "rtu"), pty});
        ASSERT_FALSE(failed) << failed->toStdString();

        const QString library = QDir(QStringLiteral(VOSTRAND_TEST_BIN_DIR))
                                    .filePath(QStringLiteral("libvostrand_lib.so"));
        m_library = std::make_unique<core::HelperLibrary>(QStringList{library});
        ASSERT_TRUE(m_library->isLoaded()) << "the helper library is built with this suite";
        m_bus.setTiming({300ms, 0ms});
        m_bus.setPauser([](std::chrono::milliseconds) {});
    }

    static EndpointSpec tcp(FrameSplitter::Mode mode, const char* name)
    {
        EndpointSpec endpoint;
        endpoint.mode = mode;
        endpoint.framingName = QString::fromLatin1(name);
        return endpoint;
    }

    quint16 tcpPort(const char* framing) const
    {
        for (const sim::EndpointInfo& info : m_host.endpoints()) {
            if (info.description.endsWith(QLatin1Char(' ') + QLatin1String(framing)))
                return info.port;
        }
        return 0;
    }

    // A device on the given link with one sensor on `channel`.
    ChannelTarget target(bool serial, qint16 protocol, int address = kRegulator, int channel = 0)
    {
        core::DeviceTable devices;
        core::DeviceRecord device;
        device.NetAdress = QStringLiteral("%1").arg(address, 2, 16, QLatin1Char('0')).toUpper();
        device.Canals = 2;
        device.Modbus = protocol;
        if (serial) {
            device.Port = m_host.endpoints().back().link;
            device.BaudRate = QStringLiteral("115200");
        } else {
            const char* framing = protocol == 0 ? "ascii" : protocol == 1 ? "rtu" : "mbtcp";
            device.YesRJ45 = true;
            device.IP = QStringLiteral("127.0.0.1");
            device.IPPort = QString::number(tcpPort(framing));
        }
        EXPECT_TRUE(devices.append(device));
        core::SensorTable sensors;
        core::SensorRecord sensor;
        sensor.Adr = device.NetAdress;
        sensor.Can = static_cast<qint16>(channel);
        sensor.Ind = 0;
        EXPECT_TRUE(sensors.append(sensor));
        return *ChannelTarget::of(devices, sensors, 0);
    }

    comm::AsciiToTcpConverter converter() const
    {
        const core::HelperLibrary* library = m_library.get();
        return [library](const QByteArray& ascii, int transaction, QByteArray& tcpFrame) {
            return library->convertModbusAsciiToTcp(ascii, transaction, tcpFrame);
        };
    }

    ChannelRegisterResult run(const std::shared_ptr<comm::BusJob>& job)
    {
        while (job->runNextStep(m_bus)) {
        }
        return *m_result;
    }

    ChannelRegisterResult read(const ChannelTarget& t, quint16 base)
    {
        return run(ChannelRegisterJobs::read(t, base, m_result, converter()));
    }

    ChannelRegisterResult write(const ChannelTarget& t, quint16 base, quint16 value)
    {
        return run(ChannelRegisterJobs::write(t, base, value, m_result, converter()));
    }

    quint16 simulatorRegister(int address)
    {
        quint16 value = 0;
        m_simulator.withInstrument(kRegulator, [&](sim::InstrumentModel& model) {
            value = model.readRegister(static_cast<quint16>(address), 0.0).value_or(0);
        });
        return value;
    }

    QTemporaryDir m_folder;
    sim::Simulator m_simulator;
    sim::SimulatorHost m_host{m_simulator};
    std::unique_ptr<core::HelperLibrary> m_library;
    comm::Bus m_bus{std::make_unique<comm::SerialTransport>(),
                    std::make_unique<comm::TcpTransport>()};
    std::shared_ptr<ChannelRegisterResult> m_result = std::make_shared<ChannelRegisterResult>();
};

struct LinkCase
{
    const char* name;
    bool serial;
    qint16 protocol;
};

class SetpointOverLink : public SetpointOnSimulator, public ::testing::WithParamInterface<LinkCase>
{};

TEST_P(SetpointOverLink, readsTheSetpointThenWritesTheNewOneIntoTheChannel)
{
    const ChannelTarget second = target(GetParam().serial, GetParam().protocol, kRegulator, 1);
    const quint16 base = SetpointWrite::registerBase(second);
    const auto current = SetpointWrite::valueOf(read(second, base), second.mas);
    ASSERT_TRUE(current);
    EXPECT_NEAR(*current, 20.0, 1e-4);

    const auto raw = SetpointWrite::rawFor(-12.5, second.mas);
    ASSERT_TRUE(raw);
    const ChannelRegisterResult written = write(second, base, *raw);
    ASSERT_TRUE(written.good()) << core::toCode(written.status);
    EXPECT_NEAR(SetpointWrite::valueOfRaw(*written.value, second.mas), -12.5, 1e-4);
    EXPECT_EQ(simulatorRegister(0x0400 + 0x0173), *raw) << "channel 2's page";
    EXPECT_EQ(simulatorRegister(0x0173), 3500) << "channel 1 keeps its setpoint";
    EXPECT_NEAR(*SetpointWrite::valueOf(read(second, base), second.mas), -12.5, 1e-4);
}

INSTANTIATE_TEST_SUITE_P(Links, SetpointOverLink,
                         ::testing::Values(LinkCase{"ModbusTcp", false, 2},
                                           LinkCase{"AsciiOverTcp", false, 0},
                                           LinkCase{"RtuOverTcp", false, 1},
                                           LinkCase{"SerialAscii", true, 0},
                                           LinkCase{"SerialRtu", true, 1}),
                         [](const auto& tested) { return std::string(tested.param.name); });

TEST_F(SetpointOnSimulator, silentDeviceGivesNoSetpointAndTheWriteFails)
{
    const ChannelTarget absent = target(false, 1, kAbsent);
    const ChannelRegisterResult readBack = read(absent, SetpointWrite::registerBase(absent));
    EXPECT_EQ(readBack.status, core::ExchangeStatus::NoReply);
    EXPECT_FALSE(SetpointWrite::valueOf(readBack, absent.mas));
    EXPECT_FALSE(write(absent, SetpointWrite::registerBase(absent), 100).good());
}

TEST_F(SetpointOnSimulator, deviceRefusingTheRegisterIsAnExceptionNotASuccess)
{
    // Channel 3 of a two-channel instrument: the register does not exist.
    const ChannelTarget missing = target(false, 2, kRegulator, 2);
    const ChannelRegisterResult written = write(missing, SetpointWrite::registerBase(missing), 5);
    EXPECT_FALSE(written.good());
    EXPECT_TRUE(written.exception);
    EXPECT_EQ(written.status, core::ExchangeStatus::Exception);
}

TEST_F(SetpointOnSimulator, serialPortThatCannotOpenSendsNothing)
{
    ChannelTarget lost = target(true, 1);
    lost.serial->portName = m_folder.filePath(QStringLiteral("no-such-port"));
    const ChannelRegisterResult result = read(lost, SetpointWrite::registerBase(lost));
    EXPECT_TRUE(result.portUnavailable);
    EXPECT_FALSE(result.good());
}

TEST_F(SetpointOnSimulator, alarmTypeIsReadAndWrittenInItsRegister)
{
    const ChannelTarget first = target(false, 1);
    const quint16 base = AlarmType::registerBase(first);
    const auto before = AlarmType::choiceOf(read(first, base));
    ASSERT_TRUE(before);
    EXPECT_EQ(*before, 0);
    const ChannelRegisterResult written = write(first, base, 2);
    EXPECT_EQ(AlarmType::columnText(written, 2), QStringLiteral("T<SP переохлаждение"));
    EXPECT_EQ(AlarmType::choiceOf(read(first, base)), 2);

    const ChannelTarget absent = target(false, 1, kAbsent);
    EXPECT_FALSE(AlarmType::choiceOf(read(absent, base)));
    EXPECT_EQ(AlarmType::columnText(write(absent, base, 1), 1), QStringLiteral(" ? "));
}

} // namespace
} // namespace vostrand::acquisition

#include "comm/bus.h"
#include "comm/bus_job.h"
#include "comm/modbus_exchanges.h"
#include "comm/serial_transport.h"
#include "comm/tcp_transport.h"
#include "core/helper_library.h"
#include "core/lang.h"
#include "core/station.h"
#include "core/text_codec.h"
#include "devices/device_add_texts.h"
#include "devices/device_addition.h"
#include "devices/device_identification.h"
#include "devices/device_parameter_file.h"
#include "devices/device_table_edits.h"
#include "devices/device_uri.h"
#include "sim/simulator.h"
#include "sim/simulator_host.h"

#include <atomic>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>

namespace vostrand::devices {
namespace {

using namespace std::chrono_literals;
using sim::EndpointSpec;
using sim::FrameSplitter;

constexpr int kDescribed = 5; // descriptors, valid configuration word
constexpr int kPlain = 7;     // neither
constexpr int kAbsent = 9;

sim::ChannelConfig channel(int unitCode, int dataType, int decimals)
{
    sim::ChannelConfig config;
    config.unitCode = unitCode;
    config.dataType = dataType;
    config.decimals = decimals;
    config.shape = sim::ValueShape(sim::ValueShape::Kind::Constant, 12.0);
    return config;
}

EndpointSpec tcpEndpoint(FrameSplitter::Mode mode, const char* name)
{
    EndpointSpec endpoint;
    endpoint.mode = mode;
    endpoint.framingName = QString::fromLatin1(name);
    return endpoint;
}

// The simulator on loopback TCP in the three framings and on a pty, and a Bus on the test
// thread (exchanges block it, the simulator answers from its own thread).
class IdentificationOnSimulator : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "vostrand_devices_tests";
            static char* argv[] = {name, nullptr};
            static QCoreApplication application(argc, argv);
        }
    }

    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        sim::InstrumentConfig described;
        described.address = kDescribed;
        described.model = QStringLiteral("ТРМ-Lumirex ВИТ");
        described.channels = {channel(3, 1, 2), channel(0, 16, 0)};
        described.configurationWord = 0x8003;
        described.descriptorSupport = 0xF000;
        ASSERT_FALSE(m_simulator.addInstrument(described));
        sim::InstrumentConfig plain;
        plain.address = kPlain;
        plain.model = QStringLiteral("TM");
        plain.channels = {channel(5, 1, 1), channel(5, 1, 1), channel(5, 1, 1), channel(5, 1, 1)};
        plain.configurationWord = 0x7FFF;
        plain.descriptorSupport = 0x0000;
        ASSERT_FALSE(m_simulator.addInstrument(plain));
        m_simulator.setClock([] { return 0.0; });

        EndpointSpec pty;
        pty.kind = EndpointSpec::Kind::Pty;
        pty.link = m_folder.filePath(QStringLiteral("ttySIM0"));
        const auto failed = m_host.start({tcpEndpoint(FrameSplitter::Mode::Mbap, "mbtcp"),
                                          tcpEndpoint(FrameSplitter::Mode::AsciiLines, "ascii"),
                                          tcpEndpoint(FrameSplitter::Mode::Rtu, "rtu"), pty});
        ASSERT_FALSE(failed) << failed->toStdString();

        const QString library = QDir(QStringLiteral(VOSTRAND_TEST_BIN_DIR))
                                    .filePath(QStringLiteral("libvostrand_lib.so"));
        m_library = std::make_unique<core::HelperLibrary>(QStringList{library});
        ASSERT_TRUE(m_library->isLoaded()) << "the helper library is built with this suite";
        m_bus.setTiming({300ms, 0ms});
        m_bus.setPauser([](std::chrono::milliseconds) {});
    }

    comm::AsciiToTcpConverter converter() const
    {
        const core::HelperLibrary* library = m_library.get();
        return [library](const QByteArray& ascii, int transaction, QByteArray& tcp) {
            return library->convertModbusAsciiToTcp(ascii, transaction, tcp);
        };
    }

    quint16 tcpPort(const char* framing) const
    {
        for (const sim::EndpointInfo& info : m_host.endpoints()) {
            if (info.description.endsWith(QLatin1Char(' ') + QLatin1String(framing)))
                return info.port;
        }
        return 0;
    }

    DeviceRequest tcpRequest(int address, qint16 protocol) const
    {
        const char* framing = protocol == DeviceRequest::kAscii ? "ascii"
                              : protocol == DeviceRequest::kRtu ? "rtu"
                                                                : "mbtcp";
        DeviceRequest request;
        request.link = DeviceLink::Tcp;
        request.address = address;
        request.protocol = protocol;
        request.tcp = {QStringLiteral("127.0.0.1"), tcpPort(framing)};
        return request;
    }

    DeviceRequest serialRequest(int address, qint16 protocol) const
    {
        DeviceRequest request;
        request.link = DeviceLink::Serial;
        request.address = address;
        request.protocol = protocol;
        request.serial = {m_host.endpoints().back().link, 115200};
        return request;
    }

    IdentificationResult identify(const DeviceRequest& request)
    {
        DeviceIdentification identification(request, 32000, converter());
        return identification.run(m_bus);
    }

    QTemporaryDir m_folder;
    sim::Simulator m_simulator;
    sim::SimulatorHost m_host{m_simulator};
    std::unique_ptr<core::HelperLibrary> m_library;
    comm::Bus m_bus{std::make_unique<comm::SerialTransport>(),
                    std::make_unique<comm::TcpTransport>()};
};

struct LinkCase
{
    const char* name;
    bool serial;
    qint16 protocol;
};

class IdentificationOverLink : public IdentificationOnSimulator,
                               public ::testing::WithParamInterface<LinkCase>
{
protected:
    DeviceRequest request(int address) const
    {
        return GetParam().serial ? serialRequest(address, GetParam().protocol)
                                 : tcpRequest(address, GetParam().protocol);
    }
};

TEST_P(IdentificationOverLink, readsChannelsModelDescriptorsAndConfiguration)
{
    const IdentificationResult result = identify(request(kDescribed));
    ASSERT_EQ(result.outcome, IdentificationOutcome::Identified);
    EXPECT_EQ(result.channelCount, 2);
    EXPECT_EQ(result.model, QStringLiteral("ТРМ-Lumirex ВИТ"));
    EXPECT_TRUE(result.descriptorSupport);
    EXPECT_EQ(result.configurationWord, 0x8003);
    EXPECT_EQ(result.layout, (RegulatorLayout{0, 80, 0, 0, 0}));
    ASSERT_EQ(result.descriptors.size(), 2u);
    EXPECT_EQ(result.descriptors[0], (ChannelDescriptor{0, 3, 1, 0.01f}));
    EXPECT_EQ(result.descriptors[1], (ChannelDescriptor{1, 0, 16, 1.0f}));
    EXPECT_FALSE(m_bus.identificationProtocol()) << "identification mode ends with the sequence";
}

TEST_P(IdentificationOverLink, deviceWithoutDescriptorsKeepsTheDefaults)
{
    const IdentificationResult result = identify(request(kPlain));
    ASSERT_EQ(result.outcome, IdentificationOutcome::Identified);
    EXPECT_EQ(result.channelCount, 4);
    EXPECT_EQ(result.model, QStringLiteral("TM"));
    EXPECT_FALSE(result.descriptorSupport);
    EXPECT_TRUE(result.descriptors.empty());
    EXPECT_EQ(result.layout, RegulatorLayout{});
}

TEST_P(IdentificationOverLink, silentAddressDoesNotAnswer)
{
    const IdentificationResult result = identify(request(kAbsent));
    EXPECT_EQ(result.outcome, IdentificationOutcome::NoAnswer);
    EXPECT_FALSE(result.model);
}

INSTANTIATE_TEST_SUITE_P(Links, IdentificationOverLink,
                         ::testing::Values(LinkCase{"ModbusTcp", false, DeviceRequest::kModbusTcp},
                                           LinkCase{"AsciiOverTcp", false, DeviceRequest::kAscii},
                                           LinkCase{"RtuOverTcp", false, DeviceRequest::kRtu},
                                           LinkCase{"SerialAscii", true, DeviceRequest::kAscii},
                                           LinkCase{"SerialRtu", true, DeviceRequest::kRtu}),
                         [](const auto& tested) { return std::string(tested.param.name); });

TEST_F(IdentificationOnSimulator, makersProtocolCountsChannelsFromTheReply)
{
    const IdentificationResult result = identify(serialRequest(kDescribed, DeviceRequest::kMaker));
    ASSERT_EQ(result.outcome, IdentificationOutcome::Identified);
    EXPECT_EQ(result.channelCount, 2);
    EXPECT_FALSE(result.model) << "the record takes No_name";
    EXPECT_FALSE(result.descriptorSupport);
    EXPECT_EQ(result.layout, RegulatorLayout{});

    EXPECT_EQ(identify(serialRequest(kAbsent, DeviceRequest::kMaker)).outcome,
              IdentificationOutcome::NoAnswer);
}

TEST_F(IdentificationOnSimulator, portThatWillNotOpenSendsNothing)
{
    DeviceRequest request = serialRequest(kDescribed, DeviceRequest::kRtu);
    request.serial.portName = m_folder.filePath(QStringLiteral("no-such-tty"));
    EXPECT_EQ(identify(request).outcome, IdentificationOutcome::PortUnavailable);
    EXPECT_FALSE(m_bus.identificationProtocol());
}

TEST_F(IdentificationOnSimulator, protocolTheLinkCannotCarryIsNoAnswer)
{
    EXPECT_EQ(identify(tcpRequest(kDescribed, DeviceRequest::kMaker)).outcome,
              IdentificationOutcome::NoAnswer);
}

TEST_F(IdentificationOnSimulator, jobOnTheBusThreadDeliversTheResult)
{
    QThread thread;
    auto bus = std::make_unique<comm::Bus>(std::make_unique<comm::SerialTransport>(),
                                           std::make_unique<comm::TcpTransport>());
    bus->setTiming({300ms, 0ms});
    bus->moveToThread(&thread);
    thread.start();

    auto identification = std::make_shared<DeviceIdentification>(
        serialRequest(kDescribed, DeviceRequest::kRtu), 32000, converter());
    const auto job = DeviceIdentification::makeJob(identification);
    std::atomic<bool> done{false};
    std::atomic<int> steps{0};
    QObject::connect(job.get(), &comm::BusJob::progress, [&](int, int) { ++steps; });
    QObject::connect(job.get(), &comm::BusJob::finished,
                     [&](comm::BusJob::Outcome) { done = true; });
    bus->submit(job);
    QDeadlineTimer deadline(10000);
    while (!done && !deadline.hasExpired())
        QThread::msleep(10);
    bus.release()->deleteLater(); // on its own thread, which owns its port
    thread.quit();
    thread.wait();

    ASSERT_TRUE(done);
    EXPECT_EQ(steps, job->stepCount());
    EXPECT_EQ(identification->result().outcome, IdentificationOutcome::Identified);
    EXPECT_EQ(identification->result().descriptors.size(), 2u);
}

// Faults that come and go between stages, as on a noisy line: a model reply that fails its
// check gives no text rather than a garbled one, and descriptors that cannot be read give
// "?" with the channel's own index rather than channel 0 with scale 0.
TEST_F(IdentificationOnSimulator, failedReadsGiveNoGarbage)
{
    auto identification = std::make_shared<DeviceIdentification>(
        tcpRequest(kDescribed, DeviceRequest::kRtu), 32000, converter());
    const auto job = DeviceIdentification::makeJob(identification);
    ASSERT_TRUE(job->runNextStep(m_bus)); // link
    ASSERT_TRUE(job->runNextStep(m_bus)); // channel count
    m_simulator.addFault(kDescribed, {sim::FaultKind::BadChecksum});
    ASSERT_TRUE(job->runNextStep(m_bus)); // model
    m_simulator.clearFaults(kDescribed);
    ASSERT_TRUE(job->runNextStep(m_bus)); // descriptor support, configuration word
    m_simulator.addFault(kDescribed, {sim::FaultKind::Exception});
    while (job->runNextStep(m_bus)) {
    }

    const IdentificationResult& result = identification->result();
    ASSERT_TRUE(result.identified());
    EXPECT_EQ(result.model, QString());
    ASSERT_TRUE(result.descriptorSupport);
    EXPECT_EQ(result.descriptors,
              (std::vector<ChannelDescriptor>{DeviceIdentification::unknownDescriptor(0),
                                              DeviceIdentification::unknownDescriptor(1)}));
    EXPECT_EQ(result.descriptors[1].units(), QStringLiteral("?"));
}

// A pass between two stages may leave the line on another port and must not find the
// identification mode set; the next stage takes the chosen port again.
TEST_F(IdentificationOnSimulator, stagesSurviveAPassInBetween)
{
    auto identification = std::make_shared<DeviceIdentification>(
        serialRequest(kDescribed, DeviceRequest::kAscii), 32000, converter());
    const auto job = DeviceIdentification::makeJob(identification);
    ASSERT_TRUE(job->runNextStep(m_bus));
    ASSERT_TRUE(job->runNextStep(m_bus));
    EXPECT_FALSE(m_bus.identificationProtocol());
    m_bus.selectPort({m_folder.filePath(QStringLiteral("other-line")), 9600});
    while (job->runNextStep(m_bus)) {
        EXPECT_FALSE(m_bus.identificationProtocol());
    }
    EXPECT_EQ(identification->result().model, QStringLiteral("ТРМ-Lumirex ВИТ"));
    EXPECT_EQ(identification->result().descriptors.size(), 2u);
    EXPECT_EQ(m_bus.serialEndpoint().portName, serialRequest(kDescribed, 0).serial.portName);
}

// From the device to the tables: identified over Modbus TCP, added with a device parameter
// file that moves the setpoint block to 0x0130, where the channel count answers.
TEST_F(IdentificationOnSimulator, parameterFileMovesTheSetpointRegister)
{
    core::Station station(m_folder.path());
    station.settings().set(u"DirEdit1.Text", m_folder.path());
    const DeviceRequest request = tcpRequest(kDescribed, DeviceRequest::kModbusTcp);
    const IdentificationResult result = identify(request);
    ASSERT_TRUE(result.identified());

    const QString path =
        DeviceParameterFile::path(m_folder.path(), result.model.value_or(QString()));
    ASSERT_TRUE(QDir().mkpath(DeviceParameterFile::folder(m_folder.path())));
    ASSERT_TRUE(core::TextCodec::writeLines(path, {"[Device]", "MSp0030=0130"}).ok);

    const AddDeviceResult added = DeviceTableEdits::addDevice(station, request, result, {});
    ASSERT_TRUE(added.added());
    EXPECT_EQ(added.parameterFile, path);
    const core::DeviceRecord& device = station.devices().at(*added.deviceIndex);
    EXPECT_EQ(device.ParamFromDriver, 1);
    EXPECT_EQ(device.Lumirex, 0) << "the file's Device section sets it (default 0)";
    ASSERT_EQ(device.registers.at(core::RegisterMap::MSp0030), 0x0130);

    comm::ModbusExchanges exchanges(m_bus, station.devices(), converter());
    const comm::BlockReply setpoints = exchanges.ReadRegisterBlock(
        *added.deviceIndex, 1, device.registers.at(core::RegisterMap::MSp0030));
    ASSERT_TRUE(setpoints.good());
    EXPECT_EQ(comm::ModbusCodec::registerValue(setpoints.reply, 0), 2);
}

// The command line's way: a URI, then the whole sequence without questions.
TEST_F(IdentificationOnSimulator, deviceUriIsAddedIdentifiedOrRefused)
{
    core::Station station(m_folder.path());
    station.settings().set(u"DirEdit1.Text", m_folder.path());
    const core::Lang lang;
    const DeviceAddTexts messages(lang);
    const auto add = [&](const QString& uri) {
        const DeviceUriResult parsed = DeviceUri::parse(uri);
        EXPECT_TRUE(parsed.ok()) << parsed.error.toStdString();
        const DeviceAdditionResult result =
            DeviceAddition::run(station, m_bus, *parsed.request, {}, converter());
        return std::pair{result, messages.messagesFor(*parsed.request, result)};
    };
    const QString tcp = QStringLiteral("tcp:127.0.0.1:%1/rtu/").arg(tcpPort("rtu"));

    const auto [added, none] = add(tcp + QStringLiteral("7"));
    ASSERT_TRUE(added.ok());
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(station.devices().at(0).Name, QStringLiteral("TM"));
    EXPECT_EQ(station.sensors().SensCount(), 4);

    const auto [duplicate, duplicateMessages] =
        add(QStringLiteral("serial:%1@9600/ascii/7").arg(serialRequest(7, 0).serial.portName));
    EXPECT_EQ(duplicate.added.refusal, AddRefusal::DuplicateAddress);
    ASSERT_EQ(duplicateMessages.size(), 1u);
    EXPECT_EQ(duplicateMessages[0].text, messages.duplicateAddress(7).text);

    const auto [silent, silentMessages] = add(tcp + QStringLiteral("9"));
    EXPECT_EQ(silent.added.refusal, AddRefusal::NotIdentified);
    ASSERT_EQ(silentMessages.size(), 1u);
    EXPECT_EQ(silentMessages[0].text, messages.noReply(9).text);

    const auto [unplugged, unpluggedMessages] =
        add(QStringLiteral("serial:/nonexistent/tty@9600/rtu/5"));
    EXPECT_EQ(unplugged.identification.outcome, IdentificationOutcome::PortUnavailable);
    ASSERT_EQ(unpluggedMessages.size(), 2u);
    EXPECT_EQ(unpluggedMessages[0].text, lang.text(u"CPort_Mess"));

    const auto [formulas, formulaMessages] = add(QStringLiteral("math:7.1+7.2"));
    ASSERT_TRUE(formulas.ok());
    EXPECT_EQ(station.devices().at(1).NetAdress, QStringLiteral("FF"));
    EXPECT_EQ(station.sensors().at(4).Name, QStringLiteral("7.1+7.2"));
    EXPECT_EQ(station.devices().Devcount(), 2);
}

} // namespace
} // namespace vostrand::devices

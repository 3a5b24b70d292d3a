#include "sim/server_framing.h"
#include "sim/simulator.h"
#include "sim/simulator_host.h"
#include "sim_requests.h"

#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>

namespace vostrand::sim {
namespace {

using testing::asciiRequest;
using testing::instrument;
using testing::pdu;
using testing::rtuRequest;
using testing::tcpRequest;

constexpr int kWaitMs = 3000;

// A serial line as a client opens it: plain POSIX termios, raw.
class SerialClient
{
public:
    explicit SerialClient(const QString& path)
        : m_fd(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY))
    {
        termios settings{};
        if (m_fd >= 0 && tcgetattr(m_fd, &settings) == 0) {
            cfmakeraw(&settings);
            tcsetattr(m_fd, TCSANOW, &settings);
            tcflush(m_fd, TCIOFLUSH);
        }
    }
    ~SerialClient()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    SerialClient(const SerialClient&) = delete;
    SerialClient& operator=(const SerialClient&) = delete;

    bool isOpen() const { return m_fd >= 0; }

    // Sends `request` and collects bytes until `complete` holds or `waitMs` passes.
    template <typename Complete>
    QByteArray exchange(const QByteArray& request, Complete complete, int waitMs = kWaitMs)
    {
        if (::write(m_fd, request.constData(), static_cast<size_t>(request.size())) !=
            request.size())
            return {};
        QByteArray reply;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
        while (!complete(reply)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd ready{m_fd, POLLIN, 0};
            if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0)
                break;
            char chunk[256];
            const ssize_t count = ::read(m_fd, chunk, sizeof chunk);
            if (count <= 0)
                break;
            reply.append(chunk, count);
        }
        return reply;
    }

private:
    int m_fd;
};

auto endsWith(const char* end)
{
    return [end](const QByteArray& bytes) {
        return bytes.endsWith(end);
    };
}

auto hasBytes(qsizetype count)
{
    return [count](const QByteArray& bytes) {
        return bytes.size() >= count;
    };
}

class SimEndpoints : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "vostrand_sim_tests";
            static char* argv[] = {name, nullptr};
            static QCoreApplication application(argc, argv);
        }
    }

    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        InstrumentConfig first = instrument(1, 2);
        first.channels[0].shape = ValueShape(ValueShape::Kind::Constant, 23.5);
        ASSERT_FALSE(m_simulator.addInstrument(first));
        ASSERT_FALSE(m_simulator.addInstrument(instrument(2, 1)));
        m_simulator.setClock([] { return 0.0; });
    }

    QTemporaryDir m_folder;
    Simulator m_simulator;
};

TEST_F(SimEndpoints, ptyLineAnswersEveryFramingAndOnlyTheAddressedInstrument)
{
    const QString link = m_folder.filePath(QStringLiteral("ttySIM0"));
    SimulatorHost host(m_simulator);
    EndpointSpec spec;
    spec.kind = EndpointSpec::Kind::Pty;
    spec.link = link;
    ASSERT_FALSE(host.start({spec}));
    ASSERT_EQ(host.endpoints().size(), 1u);
    EXPECT_EQ(host.endpoints()[0].description,
              QStringLiteral("pty:%1 -> %2").arg(link, host.endpoints()[0].devicePath));
    {
        SerialClient line(link);
        ASSERT_TRUE(line.isOpen());
        EXPECT_EQ(line.exchange(":010300000001FB\r\n", endsWith("\r\n")), ":01030200EB0F\r\n");
        const QByteArray rtu = line.exchange(rtuRequest(2, pdu(3, {0x0130, 1})), hasBytes(7));
        EXPECT_EQ(rtu, rtuRequest(2, QByteArray::fromHex("03020001")));
        EXPECT_EQ(line.exchange("&011\r", endsWith("\r")), ">01+23.5_+0.0\r");
        EXPECT_TRUE(line.exchange(asciiRequest(9, pdu(3, {0, 1})), hasBytes(1), 300).isEmpty());
        // Garbage on the line, then a good request: the line recovers.
        const QByteArray noisy =
            QByteArray("\x01\x10\xFF", 3) + asciiRequest(2, pdu(3, {0x0130, 1}));
        EXPECT_EQ(line.exchange(noisy, endsWith("\r\n")),
                  asciiRequest(2, QByteArray::fromHex("03020001")));
    }
    host.stop();
    EXPECT_FALSE(QFileInfo(link).isSymLink()) << "the link goes with the endpoint";
}

TEST_F(SimEndpoints, modbusTcpAnswersSeveralFramesPerConnectionAndDisconnectsOnDemand)
{
    SimulatorHost host(m_simulator);
    EndpointSpec spec; // tcp:127.0.0.1:0 mbtcp
    ASSERT_FALSE(host.start({spec}));
    const quint16 port = host.endpoints().at(0).port;
    ASSERT_NE(port, 0);

    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    ASSERT_TRUE(socket.waitForConnected(kWaitMs));
    socket.write(tcpRequest(1, 1, pdu(3, {0, 1})) + tcpRequest(2, 2, pdu(3, {0x0130, 1})));
    const QByteArray expected = tcpRequest(1, 1, QByteArray::fromHex("030200EB")) +
                                tcpRequest(2, 2, QByteArray::fromHex("03020001"));
    QByteArray replies;
    while (replies.size() < expected.size() && socket.waitForReadyRead(kWaitMs))
        replies += socket.readAll();
    EXPECT_EQ(replies.toHex(), expected.toHex());

    m_simulator.addFault(1, {FaultKind::Disconnect});
    socket.write(tcpRequest(3, 1, pdu(3, {0, 1})));
    if (socket.state() == QAbstractSocket::ConnectedState)
        socket.waitForDisconnected(kWaitMs);
    EXPECT_EQ(socket.state(), QAbstractSocket::UnconnectedState);
    EXPECT_TRUE(socket.readAll().isEmpty());
}

class SimProgram : public SimEndpoints
{
protected:
    static QString program() { return QStringLiteral(VOSTRAND_TEST_BIN_DIR "/vostrand-sim"); }
};

TEST_F(SimProgram, startsAnswersAndStopsCleanlyOnSigterm)
{
    ASSERT_TRUE(QFileInfo(program()).isExecutable()) << "build the vostrand-sim target first";
    const QString link = m_folder.filePath(QStringLiteral("ttySIM1"));
    QProcess process;
    process.start(program(), {"--listen", "tcp:0:mbtcp", "--listen", "pty:" + link, "--device",
                              "7:2:model=Тест,shape=constant,base=12.5/-3,decimals=1/0"});
    ASSERT_TRUE(process.waitForStarted(kWaitMs));
    QByteArray output;
    while (!output.contains("ready\n") && process.waitForReadyRead(kWaitMs))
        output += process.readAllStandardOutput();
    ASSERT_TRUE(output.endsWith("ready\n")) << output.constData();
    const QRegularExpression tcpLine(QStringLiteral("listening tcp:127\\.0\\.0\\.1:(\\d+) mbtcp"));
    const QRegularExpressionMatch match = tcpLine.match(QString::fromUtf8(output));
    ASSERT_TRUE(match.hasMatch()) << output.constData();
    EXPECT_TRUE(output.contains("listening pty:" + link.toUtf8() + " -> /dev/"));

    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), match.captured(1).toUShort());
    ASSERT_TRUE(socket.waitForConnected(kWaitMs));
    socket.write(tcpRequest(5, 7, pdu(4, {0, 2})));
    QByteArray reply;
    while (reply.size() < 13 && socket.waitForReadyRead(kWaitMs))
        reply += socket.readAll();
    EXPECT_EQ(reply.toHex(), tcpRequest(5, 7, QByteArray::fromHex("0404007DFFFD")).toHex());
    socket.close();
    {
        SerialClient line(link);
        EXPECT_EQ(line.exchange("&071\r", endsWith("\r")), ">07+12.5_-3\r");
    }

    process.terminate(); // SIGTERM
    ASSERT_TRUE(process.waitForFinished(kWaitMs));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

TEST_F(SimProgram, badArgumentsExitWithStatusTwo)
{
    ASSERT_TRUE(QFileInfo(program()).isExecutable()) << "build the vostrand-sim target first";
    const QStringList cases[] = {
        {"--listen", "udp:5:mbtcp"},
        {"--listen", "tcp:99999:mbtcp"},
        {"--device", "300:2"},
        {"--device", "1:2:shape=square"},
        {"--device", "1:60"},
        {"--fault", "1:melt"},
        {"--fault", "1:no-reply:1.5"},
        {"--late-ms", "soon"},
        {"--frobnicate"},
    };
    for (const QStringList& arguments : cases) {
        QProcess process;
        process.start(program(), arguments);
        ASSERT_TRUE(process.waitForFinished(kWaitMs));
        EXPECT_EQ(process.exitCode(), 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(process.readAllStandardError().startsWith("vostrand-sim: "))
            << arguments.join(' ').toStdString();
    }
}

} // namespace
} // namespace vostrand::sim

// How long our exchanges take. Over TCP loopback a 30-register read, connect to close, through
// our ModbusExchanges against libmodbus's own client, both facing the same libmodbus server in
// the same run. Over a pseudo-terminal at 115200 baud one block read in serial ASCII and RTU
// against the simulated instruments. Prints figures and ratios; asserts nothing.
#include "exchange_rig.h"
#include "libmodbus_server.h"
#include "simulator_rig.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <modbus/modbus.h>
#include <numeric>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace vostrand::interop {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kRegisters = 30;
constexpr int kTcpRounds = 6;
constexpr int kTcpPerRound = 500; // rounds alternate, so drift on a shared machine hits both
constexpr int kPtyIterations = 1000;
constexpr int kWarmUp = 50;
constexpr double kTcpTarget = 1.2;
constexpr double kPtyTargetMs = 2.0;

struct Figures
{
    double meanUs = 0.0;
    double p50Us = 0.0;
    double p99Us = 0.0;
    int failures = 0;

    double perSecond() const { return meanUs > 0.0 ? 1e6 / meanUs : 0.0; }
};

class Samples
{
public:
    // Times one call; a false result counts as a failure.
    void time(const std::function<bool()>& exchange)
    {
        const auto start = Clock::now();
        const bool ok = exchange();
        const std::chrono::duration<double, std::micro> elapsed = Clock::now() - start;
        m_us.push_back(elapsed.count());
        if (!ok)
            ++m_failures;
    }

    Figures figures() const
    {
        Figures result;
        if (m_us.empty())
            return result;
        std::vector<double> sorted = m_us;
        std::sort(sorted.begin(), sorted.end());
        const auto at = [&sorted](double share) {
            return sorted[std::min(sorted.size() - 1, std::size_t(share * double(sorted.size())))];
        };
        result.meanUs = std::accumulate(sorted.begin(), sorted.end(), 0.0) / double(sorted.size());
        result.p50Us = at(0.50);
        result.p99Us = at(0.99);
        result.failures = m_failures;
        return result;
    }

private:
    std::vector<double> m_us;
    int m_failures = 0;
};

void print(const char* name, const Figures& figures, int count)
{
    std::printf("  %-34s %8.0f /s   mean %8.1f us   p50 %8.1f us   p99 %8.1f us   failed %d/%d\n",
                name, figures.perSecond(), figures.meanUs, figures.p50Us, figures.p99Us,
                figures.failures, count);
}

bool libmodbusRead(quint16 port)
{
    modbus_t* context = modbus_new_tcp("127.0.0.1", port);
    if (!context)
        return false;
    std::array<uint16_t, kRegisters> values{};
    const bool ok = modbus_connect(context) == 0 &&
                    modbus_read_registers(context, 0, kRegisters, values.data()) == kRegisters;
    modbus_close(context);
    modbus_free(context);
    return ok;
}

// True when ours met its target.
bool benchTcp()
{
    std::printf("Modbus TCP over loopback, %d registers, connect to close, %d each:\n", kRegisters,
                kTcpRounds * kTcpPerRound);
    const auto server = LibmodbusServer::tcp(kRegisters);
    if (!server) {
        std::printf("  no libmodbus server\n");
        return false;
    }
    ExchangeRig rig({300ms, 0ms});
    if (!rig.helperLoaded()) {
        std::printf("  helper library not found at %s\n",
                    ExchangeRig::builtHelperLibrary().toLocal8Bit().constData());
        return false;
    }
    rig.listTcpDevice(QStringLiteral("01"), Link::ModbusTcp, server->port());
    const auto ours = [&rig] {
        return rig.exchanges().ReadRegisterBlock(0, kRegisters, 0).good();
    };
    const auto theirs = [&server] {
        return libmodbusRead(server->port());
    };
    for (int k = 0; k < kWarmUp; ++k) {
        ours();
        theirs();
    }
    Samples oursSamples;
    Samples theirSamples;
    for (int round = 0; round < kTcpRounds; ++round) {
        for (int k = 0; k < kTcpPerRound; ++k)
            oursSamples.time(ours);
        for (int k = 0; k < kTcpPerRound; ++k)
            theirSamples.time(theirs);
    }
    const Figures oursFigures = oursSamples.figures();
    const Figures theirFigures = theirSamples.figures();
    print("ours (ModbusExchanges)", oursFigures, kTcpRounds * kTcpPerRound);
    print("libmodbus", theirFigures, kTcpRounds * kTcpPerRound);
    const double ratio = oursFigures.meanUs / theirFigures.meanUs;
    const double p50Ratio = oursFigures.p50Us / theirFigures.p50Us;
    const bool met = ratio <= kTcpTarget && oursFigures.failures == 0;
    std::printf("  ratio ours/libmodbus: mean %.2f, p50 %.2f (target <= %.1f): %s\n", ratio,
                p50Ratio, kTcpTarget, met ? "met" : "MISSED");
    return met;
}

// The reference on the line: the same request written and its reply read with plain POSIX calls,
// so that what the terminal and the simulator cost shows apart from what we cost.
class PlainLineClient
{
public:
    explicit PlainLineClient(const QString& path)
        : m_fd(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY))
    {
        termios settings{};
        if (m_fd >= 0 && tcgetattr(m_fd, &settings) == 0) {
            cfmakeraw(&settings);
            tcsetattr(m_fd, TCSANOW, &settings);
        }
    }
    ~PlainLineClient()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    PlainLineClient(const PlainLineClient&) = delete;
    PlainLineClient& operator=(const PlainLineClient&) = delete;

    bool exchange(const QByteArray& request, qsizetype replyBytes)
    {
        if (::write(m_fd, request.constData(), size_t(request.size())) != request.size())
            return false;
        char reply[256];
        qsizetype received = 0;
        while (received < replyBytes) {
            pollfd ready{m_fd, POLLIN, 0};
            if (poll(&ready, 1, 300) <= 0)
                return false;
            const ssize_t count = ::read(m_fd, reply + received, sizeof reply - size_t(received));
            if (count <= 0)
                return false;
            received += count;
        }
        return true;
    }

private:
    int m_fd;
};

bool benchPty()
{
    std::printf("Block read of 8 registers on a pseudo-terminal at 115200 baud, %d each "
                "(no pause after the reply):\n",
                kPtyIterations);
    bool met = true;
    for (const Link link : {Link::SerialAscii, Link::SerialRtu}) {
        SimulatorRig sim;
        if (sim.error()) {
            std::printf("  simulator: %s\n", sim.error()->toLocal8Bit().constData());
            return false;
        }
        ExchangeRig rig({300ms, 0ms});
        if (!sim.listIn(rig, link)) {
            std::printf("  cannot open %s\n", sim.linePath().toLocal8Bit().constData());
            return false;
        }
        const auto read = [&rig] {
            return rig.exchanges().ReadRegisterBlock(0, SimulatorRig::kChannels, 0).good();
        };
        for (int k = 0; k < kWarmUp; ++k)
            read();
        Samples samples;
        for (int k = 0; k < kPtyIterations; ++k)
            samples.time(read);
        const Figures figures = samples.figures();
        print(link == Link::SerialAscii ? "serial ASCII, ours" : "serial RTU, ours", figures,
              kPtyIterations);
        rig.bus().selectPort({}); // the line is the reference's now
        const QString request = comm::ModbusCodec::readRequest(1, 0x03, 0, SimulatorRig::kChannels);
        const auto rtu = comm::ModbusCodec::rtuRequest(request);
        const QByteArray frame =
            link == Link::SerialAscii ? comm::ModbusCodec::asciiFrame(request) : rtu->frame;
        // ":" + 2 × (3 + 16 data bytes + LRC) + CR LF, or the RTU reply with its CRC.
        const qsizetype replyBytes = link == Link::SerialAscii
                                         ? 1 + 2 * (3 + 2 * SimulatorRig::kChannels + 1) + 2
                                         : rtu->expectedReplyLength;
        PlainLineClient plain(sim.linePath());
        Samples reference;
        for (int k = 0; k < kPtyIterations; ++k)
            reference.time([&] { return plain.exchange(frame, replyBytes); });
        print("  reference: plain POSIX client", reference.figures(), kPtyIterations);
        const bool linkMet = figures.meanUs / 1000.0 < kPtyTargetMs &&
                             figures.p99Us / 1000.0 < kPtyTargetMs && figures.failures == 0;
        std::printf("  target mean and p99 < %.0f ms: %s\n", kPtyTargetMs,
                    linkMet ? "met" : "MISSED");
        met = met && linkMet;
    }
    return met;
}

} // namespace
} // namespace vostrand::interop

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const bool tcp = vostrand::interop::benchTcp();
    const bool pty = vostrand::interop::benchPty();
    // Figures are for reading; a missed target is said above, not turned into a failure.
    static_cast<void>(tcp);
    static_cast<void>(pty);
    return EXIT_SUCCESS;
}

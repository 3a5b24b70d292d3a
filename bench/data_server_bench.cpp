// Requests per second and 99th-percentile latency of the data server, one connection per
// request ("dttimer"), against redis-server answering "PING" to the same client code in the
// same run. 64 client threads; the server is fed a realistic station and a thread republishes
// snapshots meanwhile, as the polling does. Prints figures and the ratio; asserts nothing.
#include "network/data_server.h"

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>

namespace {

using namespace vostrand;
using Clock = std::chrono::steady_clock;

constexpr int kClients = 64;
constexpr int kDevices = 20;
constexpr int kChannels = 8;
constexpr int kRounds = 3;
constexpr std::chrono::milliseconds kRepublishEvery{100};

struct Figures
{
    double requestsPerSecond = 0;
    double p99Ms = 0;
    int failures = 0;
};

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Connect, send the line, read up to its line end, close; microseconds, or -1 on failure.
long long oneRequest(quint16 port, const char* request, std::size_t length)
{
    const auto start = Clock::now();
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0)
        return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
              ::send(s, request, length, MSG_NOSIGNAL) == static_cast<ssize_t>(length);
    std::array<char, 256> buffer{};
    bool lineEnd = false;
    while (ok && !lineEnd) {
        const ssize_t got = ::recv(s, buffer.data(), buffer.size(), 0);
        ok = got > 0;
        lineEnd =
            ok && std::find(buffer.begin(), buffer.begin() + got, '\n') != buffer.begin() + got;
    }
    ::close(s);
    if (!ok)
        return -1;
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
}

Figures measure(quint16 port, const char* request, int total)
{
    const std::size_t length = std::strlen(request);
    std::vector<std::vector<long long>> latencies(kClients);
    std::atomic<int> failures{0};
    std::atomic<int> next{0};
    std::vector<std::thread> clients;
    const auto start = Clock::now();
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&, c] {
            latencies[c].reserve(static_cast<std::size_t>(total / kClients + 1));
            while (next.fetch_add(1) < total) {
                const long long us = oneRequest(port, request, length);
                if (us < 0)
                    ++failures;
                else
                    latencies[c].push_back(us);
            }
        });
    }
    for (std::thread& client : clients)
        client.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::vector<long long> all;
    for (const auto& some : latencies)
        all.insert(all.end(), some.begin(), some.end());
    std::sort(all.begin(), all.end());
    Figures figures;
    figures.failures = failures;
    figures.requestsPerSecond = static_cast<double>(all.size()) / seconds;
    if (!all.empty())
        figures.p99Ms = static_cast<double>(all[all.size() * 99 / 100]) / 1000.0;
    return figures;
}

acquisition::StationSnapshot station(int pass)
{
    acquisition::StationSnapshot s;
    for (int d = 0; d < kDevices; ++d) {
        core::DeviceRecord device;
        device.NetAdress = QStringLiteral("%1").arg(d + 1, 2, 16, QLatin1Char('0')).toUpper();
        device.Name = QStringLiteral("ТРМ-%1").arg(d + 1);
        device.Canals = kChannels;
        QString reply = QLatin1Char(':') + device.NetAdress + QStringLiteral("0310");
        for (int c = 0; c < kChannels; ++c)
            reply += QStringLiteral("%1").arg(250 + c + pass % 10, 4, 16, QLatin1Char('0'));
        device.TReply = device.SpReply = device.PwReply = reply.toUpper();
        s.devices.append(device);
        for (int c = 0; c < kChannels; ++c) {
            core::SensorRecord sensor;
            sensor.Name = QStringLiteral("Датчик %1.%2").arg(d + 1).arg(c + 1);
            sensor.Adr = device.NetAdress;
            sensor.Can = static_cast<qint16>(c);
            sensor.Ind = static_cast<qint16>(d);
            sensor.Aktiv = true;
            sensor.Dimension = QStringLiteral("°C");
            s.sensors.append(sensor);
        }
    }
    s.settings.set(u"SpinEdit4G.Value", 3);
    s.state = acquisition::PollingState::Polling;
    s.timerIntervalMs = 3000;
    s.passTime = QDateTime::currentDateTime();
    s.passCounter = pass;
    s.lastRecordLine = QStringLiteral("11.12.2026 13:31:24 25,0 25,1 25,2");
    return s;
}

bool waitForRedis(quint16 port)
{
    for (int i = 0; i < 200; ++i) {
        if (oneRequest(port, "PING\r\n", 6) >= 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return false;
}

void print(const char* name, const Figures& f)
{
    std::printf("  %-28s %9.0f requests/s   p99 %6.2f ms   failures %d\n", name,
                f.requestsPerSecond, f.p99Ms, f.failures);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int total = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 20000;
    const QString redis = QStandardPaths::findExecutable(QStringLiteral("redis-server"));
    if (redis.isEmpty()) {
        std::fprintf(stderr, "data server bench: redis-server not found (Debian package "
                             "redis-server); nothing measured\n");
        return 1;
    }
    const quint16 redisPort = freePort();
    QProcess redisProcess;
    redisProcess.setProgram(redis);
    redisProcess.setArguments({QStringLiteral("--port"), QString::number(redisPort),
                               QStringLiteral("--bind"), QStringLiteral("127.0.0.1"),
                               QStringLiteral("--save"), QString(), QStringLiteral("--appendonly"),
                               QStringLiteral("no"), QStringLiteral("--maxclients"),
                               QStringLiteral("1000")});
    redisProcess.setStandardOutputFile(QProcess::nullDevice());
    redisProcess.start();
    if (!redisProcess.waitForStarted() || !waitForRedis(redisPort)) {
        std::fprintf(stderr, "data server bench: redis-server did not start\n");
        return 1;
    }

    network::DataServer server(core::RegionalFormat::russian());
    server.setSnapshot(std::make_shared<const acquisition::StationSnapshot>(station(0)));
    if (const auto error = server.listen(QStringLiteral("127.0.0.1"), 0)) {
        std::fprintf(stderr, "data server bench: %s\n", qPrintable(*error));
        return 1;
    }
    std::atomic<bool> polling{true};
    std::thread publisher([&] {
        for (int pass = 1; polling; ++pass) {
            server.setSnapshot(std::make_shared<const acquisition::StationSnapshot>(station(pass)));
            std::this_thread::sleep_for(kRepublishEvery);
        }
    });

    std::printf("data server: %d requests, connection per request, %d client threads, "
                "%d rounds (median)\n",
                total, kClients, kRounds);
    measure(redisPort, "PING\r\n", total / 10); // warm up both
    measure(server.port(), "dttimer\r\n", total / 10);
    std::vector<Figures> ours;
    std::vector<Figures> reference;
    for (int round = 0; round < kRounds; ++round) {
        reference.push_back(measure(redisPort, "PING\r\n", total));
        ours.push_back(measure(server.port(), "dttimer\r\n", total));
    }
    polling = false;
    publisher.join();
    server.close();
    redisProcess.terminate();
    if (!redisProcess.waitForFinished(3000))
        redisProcess.kill();

    const auto median = [](std::vector<Figures> figures) {
        std::sort(figures.begin(), figures.end(), [](const Figures& a, const Figures& b) {
            return a.requestsPerSecond < b.requestsPerSecond;
        });
        return figures[figures.size() / 2];
    };
    const Figures redisFigures = median(reference);
    const Figures ourFigures = median(ours);
    print("redis-server PING", redisFigures);
    print("DataServer dttimer", ourFigures);
    std::printf("  ratio %.2f (DataServer / redis-server requests per second; target 0.8)\n",
                ourFigures.requestsPerSecond / redisFigures.requestsPerSecond);
    return 0;
}

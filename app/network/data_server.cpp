#include "network/data_server.h"

#include "core/text_codec.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <climits>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace vostrand::network {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kAcceptBatch = 64;
constexpr int kMaxWorkers = 4;
constexpr std::size_t kReadChunk = 4096;
// After the reply, what the client still sends is read away (bounded) before the close, so
// that the close does not reset the connection and take the reply with it.
constexpr int kDrainReads = 4;
// Out of descriptors: the listener stays readable, so accepting pauses instead of spinning.
constexpr std::chrono::milliseconds kAcceptPause{20};

#ifdef _WIN32
using NativeSocket = SOCKET;
constexpr NativeSocket kNoSocket = INVALID_SOCKET;
// Winsock has no pipe to wake a waiting worker: it looks at the stop flag this often.
constexpr int kWakeCheckMs = 100;

int lastError()
{
    return WSAGetLastError();
}
bool wouldBlock(int error)
{
    return error == WSAEWOULDBLOCK;
}
bool interrupted(int error)
{
    return error == WSAEINTR;
}
bool outOfDescriptors(int error)
{
    return error == WSAEMFILE || error == WSAENOBUFS;
}
bool socketsReady()
{
    static const bool ready = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ready;
}
void closeSocket(NativeSocket s)
{
    closesocket(s);
}
bool makeNonBlocking(NativeSocket s)
{
    u_long nonBlocking = 1;
    return ioctlsocket(s, FIONBIO, &nonBlocking) == 0;
}
NativeSocket acceptOne(NativeSocket listener, sockaddr_storage& peer)
{
    int length = sizeof(peer);
    const NativeSocket s = ::accept(listener, reinterpret_cast<sockaddr*>(&peer), &length);
    if (s != kNoSocket && !makeNonBlocking(s)) {
        closesocket(s);
        return kNoSocket;
    }
    return s;
}
int pollMany(pollfd* fds, std::size_t count, int timeoutMs)
{
    return WSAPoll(fds, static_cast<ULONG>(count), timeoutMs);
}
qsizetype sendSome(NativeSocket s, const char* data, qsizetype size)
{
    return ::send(s, data, static_cast<int>(size), 0);
}
qsizetype receiveSome(NativeSocket s, char* data, std::size_t size)
{
    return ::recv(s, data, static_cast<int>(size), 0);
}
#else
using NativeSocket = int;
constexpr NativeSocket kNoSocket = -1;

int lastError()
{
    return errno;
}
bool wouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK;
}
bool interrupted(int error)
{
    return error == EINTR;
}
bool outOfDescriptors(int error)
{
    return error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM;
}
bool socketsReady()
{
    return true;
}
void closeSocket(NativeSocket s)
{
    ::close(s);
}
bool makeNonBlocking(NativeSocket s)
{
    return ::fcntl(s, F_SETFL, ::fcntl(s, F_GETFL) | O_NONBLOCK) == 0 &&
           ::fcntl(s, F_SETFD, FD_CLOEXEC) == 0;
}
NativeSocket acceptOne(NativeSocket listener, sockaddr_storage& peer)
{
    socklen_t length = sizeof(peer);
#ifdef __linux__
    return ::accept4(listener, reinterpret_cast<sockaddr*>(&peer), &length,
                     SOCK_NONBLOCK | SOCK_CLOEXEC);
#else
    const NativeSocket s = ::accept(listener, reinterpret_cast<sockaddr*>(&peer), &length);
    if (s != kNoSocket && !makeNonBlocking(s)) {
        ::close(s);
        return kNoSocket;
    }
    return s;
#endif
}
int pollMany(pollfd* fds, std::size_t count, int timeoutMs)
{
    return ::poll(fds, static_cast<nfds_t>(count), timeoutMs);
}
qsizetype sendSome(NativeSocket s, const char* data, qsizetype size)
{
#ifdef MSG_NOSIGNAL
    constexpr int kFlags = MSG_NOSIGNAL; // a closed peer is an error, not a signal
#else
    constexpr int kFlags = 0;
#endif
    return ::send(s, data, static_cast<std::size_t>(size), kFlags);
}
qsizetype receiveSome(NativeSocket s, char* data, std::size_t size)
{
    return ::recv(s, data, size, 0);
}
#endif

QString errorText(int error)
{
#ifdef _WIN32
    return QString::fromStdString(std::system_category().message(error));
#else
    return QString::fromStdString(std::generic_category().message(error));
#endif
}

QString addressText(const sockaddr_storage& address)
{
    std::array<char, INET6_ADDRSTRLEN> text{};
    const void* raw =
        address.ss_family == AF_INET6
            ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in6&>(address).sin6_addr)
            : static_cast<const void*>(&reinterpret_cast<const sockaddr_in&>(address).sin_addr);
    if (!::inet_ntop(address.ss_family, raw, text.data(), text.size()))
        return QString();
    return QString::fromLatin1(text.data());
}

int remainingMs(Clock::time_point deadline, Clock::time_point now)
{
    if (deadline <= now)
        return 0;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
    return static_cast<int>(std::min<qint64>(ms, INT_MAX));
}

} // namespace

// What the workers share with the server object.
struct DataServer::Engine
{
    explicit Engine(core::RegionalFormat regional)
        : replies(std::move(regional))
    {}

    acquisition::SnapshotPtr snapshot() const
    {
        const std::lock_guard lock(snapshotMutex);
        return current;
    }

    DataServerReplies replies;
    ScanListing listing;
    Limits limits;
    std::atomic<bool> logRequests{false};

    mutable std::mutex snapshotMutex;
    acquisition::SnapshotPtr current;

    // Listening state, changed only by listen() and close() on the owner's thread.
    NativeSocket listener = kNoSocket;
    std::atomic<bool> listening{false};
    std::atomic<quint16> port{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> workers;
#ifndef _WIN32
    std::array<int, 2> wake{-1, -1}; // written once by close(): every worker sees it readable
#endif
};

// One worker: accepts from the shared listener and serves its own connections.
class DataServer::Worker
{
public:
    Worker(DataServer& server, Engine& engine, int capacity)
        : m_server(server)
        , m_engine(engine)
        , m_capacity(capacity)
    {}

    void run();

private:
    struct Connection
    {
        NativeSocket socket = kNoSocket;
        Clock::time_point deadline;
        QByteArray input;
        QByteArray output;
        qsizetype sent = 0;
        QString peer;
        bool writing = false;
        bool done = false;
    };

    void acceptBatch(Clock::time_point now);
    void readFrom(Connection& c, Clock::time_point now);
    void answer(Connection& c, QByteArrayView line, Clock::time_point now);
    void writeTo(Connection& c);
    void finish(Connection& c);
    void log(const Connection& c, const QString* line);

    DataServer& m_server;
    Engine& m_engine;
    const int m_capacity; // this worker's share of the connection limit
    std::vector<Connection> m_connections;
    std::vector<pollfd> m_fds;
    Clock::time_point m_acceptPausedUntil{};
};

void DataServer::Worker::run()
{
    while (!m_engine.stop.load(std::memory_order_acquire)) {
        const Clock::time_point before = Clock::now();
        const bool accepting = before >= m_acceptPausedUntil;
        m_fds.clear();
        m_fds.push_back({m_engine.listener, static_cast<short>(accepting ? POLLIN : 0), 0});
#ifndef _WIN32
        m_fds.push_back({m_engine.wake[0], POLLIN, 0});
#endif
        const std::size_t first = m_fds.size();
        int timeoutMs = accepting ? -1 : remainingMs(m_acceptPausedUntil, before);
        for (const Connection& c : m_connections) {
            m_fds.push_back({c.socket, static_cast<short>(c.writing ? POLLOUT : POLLIN), 0});
            const int left = remainingMs(c.deadline, before);
            timeoutMs = timeoutMs < 0 ? left : std::min(timeoutMs, left);
        }
#ifdef _WIN32
        timeoutMs = timeoutMs < 0 ? kWakeCheckMs : std::min(timeoutMs, kWakeCheckMs);
#endif
        const int ready = pollMany(m_fds.data(), m_fds.size(), timeoutMs);
        if (ready < 0 && !interrupted(lastError()))
            break;
        if (m_engine.stop.load(std::memory_order_acquire))
            break;
        const Clock::time_point now = Clock::now();
        for (std::size_t i = 0; i < m_connections.size(); ++i) {
            Connection& c = m_connections[i];
            const short events = ready > 0 ? m_fds[first + i].revents : short(0);
            if (events != 0) {
                if (c.writing)
                    writeTo(c);
                else
                    readFrom(c, now);
            }
            if (!c.done && now >= c.deadline) {
                if (!c.writing)
                    log(c, nullptr);
                c.done = true;
            }
        }
        std::size_t kept = 0;
        for (std::size_t i = 0; i < m_connections.size(); ++i) {
            if (m_connections[i].done)
                finish(m_connections[i]);
            else if (kept++ != i)
                m_connections[kept - 1] = std::move(m_connections[i]);
        }
        m_connections.erase(m_connections.begin() + static_cast<std::ptrdiff_t>(kept),
                            m_connections.end());
        if (ready > 0 && (m_fds[0].revents & POLLIN))
            acceptBatch(now);
    }
    for (Connection& c : m_connections)
        finish(c);
    m_connections.clear();
}

void DataServer::Worker::acceptBatch(Clock::time_point now)
{
    for (int i = 0; i < kAcceptBatch; ++i) {
        sockaddr_storage peer{};
        const NativeSocket s = acceptOne(m_engine.listener, peer);
        if (s == kNoSocket) {
            const int error = lastError();
            if (outOfDescriptors(error))
                m_acceptPausedUntil = now + kAcceptPause;
            if (interrupted(error))
                continue;
            return; // would block, or another worker took it
        }
        if (static_cast<int>(m_connections.size()) >= m_capacity) {
            // Full: the oldest connection still waiting for its line makes room, so that idle
            // connections cannot lock out clients that send their request at once.
            const auto oldest = std::find_if(m_connections.begin(), m_connections.end(),
                                             [](const Connection& c) { return !c.writing; });
            if (oldest == m_connections.end()) {
                closeSocket(s);
                continue;
            }
            log(*oldest, nullptr);
            finish(*oldest);
            m_connections.erase(oldest);
        }
        Connection c;
        c.socket = s;
        c.deadline = now + m_engine.limits.idleTimeout;
        if (m_engine.logRequests.load(std::memory_order_relaxed))
            c.peer = addressText(peer);
        // The request is often there already: answer without a round through poll.
        readFrom(c, now);
        if (c.done)
            finish(c);
        else
            m_connections.push_back(std::move(c));
    }
}

void DataServer::Worker::readFrom(Connection& c, Clock::time_point now)
{
    std::array<char, kReadChunk> buffer;
    for (;;) {
        const qsizetype got = receiveSome(c.socket, buffer.data(), buffer.size());
        if (got < 0) {
            const int error = lastError();
            if (interrupted(error))
                continue;
            if (!wouldBlock(error))
                c.done = true;
            return;
        }
        if (got == 0) {
            // The client ended its side: a last line without its line end still counts.
            if (!c.input.isEmpty() && c.input.size() <= m_engine.limits.maxLineBytes)
                answer(c, c.input, now);
            else
                c.done = true;
            return;
        }
        const qsizetype searchFrom = c.input.size();
        c.input.append(buffer.data(), got);
        const qsizetype end = c.input.indexOf('\n', searchFrom);
        const qsizetype lineSize = end < 0 ? c.input.size() : end;
        if (lineSize > m_engine.limits.maxLineBytes + 1) {
            log(c, nullptr);
            c.done = true;
            return;
        }
        if (end >= 0) {
            QByteArrayView line(c.input.constData(), end);
            if (line.endsWith('\r'))
                line.chop(1);
            if (line.size() > m_engine.limits.maxLineBytes) {
                log(c, nullptr);
                c.done = true;
                return;
            }
            answer(c, line, now);
            return;
        }
    }
}

void DataServer::Worker::answer(Connection& c, QByteArrayView line, Clock::time_point now)
{
    // One snapshot for the whole reply, taken once the line is complete.
    static const acquisition::StationSnapshot noStation;
    const acquisition::SnapshotPtr snapshot = m_engine.snapshot();
    c.output =
        m_engine.replies.replyBytes(line, snapshot ? *snapshot : noStation, m_engine.listing);
    if (m_engine.logRequests.load(std::memory_order_relaxed)) {
        const QString text = core::TextCodec::decode(line);
        log(c, &text);
    }
    c.input.clear();
    if (c.output.isEmpty()) {
        c.done = true;
        return;
    }
    c.writing = true;
    c.deadline = now + m_engine.limits.idleTimeout;
    writeTo(c);
}

void DataServer::Worker::writeTo(Connection& c)
{
    while (c.sent < c.output.size()) {
        const qsizetype put =
            sendSome(c.socket, c.output.constData() + c.sent, c.output.size() - c.sent);
        if (put < 0) {
            const int error = lastError();
            if (interrupted(error))
                continue;
            if (!wouldBlock(error))
                c.done = true;
            return;
        }
        c.sent += put;
    }
    std::array<char, kReadChunk> buffer;
    for (int i = 0; i < kDrainReads; ++i)
        if (receiveSome(c.socket, buffer.data(), buffer.size()) <= 0)
            break;
    c.done = true;
}

void DataServer::Worker::finish(Connection& c)
{
    if (c.socket == kNoSocket)
        return;
    closeSocket(c.socket);
    c.socket = kNoSocket;
}

void DataServer::Worker::log(const Connection& c, const QString* line)
{
    if (!m_engine.logRequests.load(std::memory_order_relaxed))
        return;
    QStringList lines{QStringLiteral("Remote Host: ") + c.peer + QStringLiteral(" (") + c.peer +
                      u')'};
    if (line)
        lines << *line;
    // Through the server's own thread, under a lock race checkers see.
    DataServer* server = &m_server;
    m_server.m_toOwner.post([server, lines] { emit server->requestLogged(lines); });
}

DataServer::DataServer(core::RegionalFormat regional, QObject* parent)
    : QObject(parent)
    , m_engine(std::make_unique<Engine>(std::move(regional)))
{}

DataServer::~DataServer()
{
    close();
}

void DataServer::setLimits(Limits limits)
{
    limits.maxLineBytes = std::max(limits.maxLineBytes, 1);
    limits.maxConnections = std::max(limits.maxConnections, 1);
    limits.idleTimeout = std::max(limits.idleTimeout, std::chrono::milliseconds(1));
    m_engine->limits = limits;
}

void DataServer::setTexts(DataServerTexts texts)
{
    m_engine->replies = DataServerReplies(m_engine->replies.regional(), std::move(texts));
}

void DataServer::setSnapshot(acquisition::SnapshotPtr snapshot)
{
    const std::lock_guard lock(m_engine->snapshotMutex);
    m_engine->current = std::move(snapshot);
}

void DataServer::setLogRequests(bool on)
{
    m_engine->logRequests.store(on, std::memory_order_relaxed);
}

std::optional<QString> DataServer::listen(const QString& address, quint16 port)
{
    close();
    Engine& e = *m_engine;
    const QString host =
        address.trimmed().isEmpty() ? QStringLiteral("0.0.0.0") : address.trimmed();
    const auto failure = [&](const QString& reason) {
        return QStringLiteral("cannot listen on %1:%2: %3").arg(host).arg(port).arg(reason);
    };
    if (!socketsReady())
        return failure(QStringLiteral("sockets are not available"));

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    const QByteArray hostBytes = host.toUtf8();
    const QByteArray portBytes = QByteArray::number(port);
    if (const int error =
            ::getaddrinfo(hostBytes.constData(), portBytes.constData(), &hints, &found);
        error != 0 || !found) {
        return failure(QString::fromLocal8Bit(::gai_strerror(error)));
    }
    const std::unique_ptr<addrinfo, void (*)(addrinfo*)> addresses(found, ::freeaddrinfo);

    const NativeSocket s = ::socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    if (s == kNoSocket)
        return failure(errorText(lastError()));
#ifndef _WIN32
    // A restart must not wait for the old connections' TIME_WAIT.
    const int reuse = 1;
    ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof(reuse));
#endif
    if (::bind(s, found->ai_addr, static_cast<int>(found->ai_addrlen)) != 0 ||
        ::listen(s, SOMAXCONN) != 0 || !makeNonBlocking(s)) {
        const int error = lastError();
        closeSocket(s);
        return failure(errorText(error));
    }
    sockaddr_storage bound{};
#ifdef _WIN32
    int boundLength = sizeof(bound);
#else
    socklen_t boundLength = sizeof(bound);
#endif
    ::getsockname(s, reinterpret_cast<sockaddr*>(&bound), &boundLength);
    const quint16 boundPort =
        ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<const sockaddr_in6&>(bound).sin6_port
                                          : reinterpret_cast<const sockaddr_in&>(bound).sin_port);
#ifndef _WIN32
    if (::pipe(e.wake.data()) != 0 || !makeNonBlocking(e.wake[0]) || !makeNonBlocking(e.wake[1])) {
        const int error = lastError();
        for (int& end : e.wake) {
            if (end >= 0)
                ::close(end);
            end = -1;
        }
        closeSocket(s);
        return failure(errorText(error));
    }
#endif
    e.listener = s;
    e.port = boundPort;
    e.stop = false;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const int workerCount =
        std::min({static_cast<int>(cores), kMaxWorkers, e.limits.maxConnections});
    const int capacity = e.limits.maxConnections / workerCount;
    for (int i = 0; i < workerCount; ++i)
        e.workers.emplace_back([this, capacity] { Worker(*this, *m_engine, capacity).run(); });
    e.listening = true;
    return std::nullopt;
}

void DataServer::close()
{
    Engine& e = *m_engine;
    if (!e.listening)
        return;
    e.stop.store(true, std::memory_order_release);
#ifndef _WIN32
    const char byte = 0;
    [[maybe_unused]] const auto written = ::write(e.wake[1], &byte, 1);
#endif
    for (std::thread& worker : e.workers)
        worker.join();
    e.workers.clear();
    closeSocket(e.listener);
    e.listener = kNoSocket;
#ifndef _WIN32
    for (int& end : e.wake) {
        ::close(end);
        end = -1;
    }
#endif
    e.port = 0;
    e.listening = false;
}

bool DataServer::isListening() const
{
    return m_engine->listening;
}

quint16 DataServer::port() const
{
    return m_engine->port;
}

} // namespace vostrand::network

#include "comm/tcp_transport.h"

#include <algorithm>
#include <array>
#include <climits>
#include <memory>
#include <system_error>

#include <QDeadlineTimer>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace vostrand::comm {

namespace {

// The few calls that differ between Winsock and BSD sockets.
#ifdef _WIN32
using NativeSocket = SOCKET;
constexpr NativeSocket kNoSocket = INVALID_SOCKET;

int lastError()
{
    return WSAGetLastError();
}

bool wouldBlock(int error)
{
    return error == WSAEWOULDBLOCK || error == WSAEINPROGRESS;
}

bool interrupted(int error)
{
    return error == WSAEINTR;
}

QString errorString(int error)
{
    return QString::fromStdString(std::system_category().message(error));
}

// Winsock needs starting once per process; it stays up until the process ends.
bool socketsReady()
{
    static const bool ready = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ready;
}

NativeSocket openSocket(const addrinfo& address)
{
    const NativeSocket s = ::socket(address.ai_family, address.ai_socktype, address.ai_protocol);
    u_long nonBlocking = 1;
    if (s != kNoSocket && ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        closesocket(s);
        return kNoSocket;
    }
    return s;
}

void closeSocket(NativeSocket s)
{
    closesocket(s);
}

int pollOne(pollfd& fd, int timeoutMs)
{
    return WSAPoll(&fd, 1, timeoutMs);
}

qsizetype sendSome(NativeSocket s, const char* data, qsizetype size)
{
    return ::send(s, data, static_cast<int>(size), 0);
}

qsizetype receiveSome(NativeSocket s, char* data, qsizetype size)
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
    return error == EAGAIN || error == EWOULDBLOCK || error == EINPROGRESS;
}

bool interrupted(int error)
{
    return error == EINTR;
}

QString errorString(int error)
{
    return QString::fromStdString(std::generic_category().message(error));
}

bool socketsReady()
{
    return true;
}

NativeSocket openSocket(const addrinfo& address)
{
#ifdef SOCK_NONBLOCK
    return ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                    address.ai_protocol);
#else
    const NativeSocket s = ::socket(address.ai_family, address.ai_socktype, address.ai_protocol);
    if (s != kNoSocket && ::fcntl(s, F_SETFL, ::fcntl(s, F_GETFL) | O_NONBLOCK) != 0) {
        ::close(s);
        return kNoSocket;
    }
    return s;
#endif
}

void closeSocket(NativeSocket s)
{
    ::close(s);
}

int pollOne(pollfd& fd, int timeoutMs)
{
    return ::poll(&fd, 1, timeoutMs);
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

qsizetype receiveSome(NativeSocket s, char* data, qsizetype size)
{
    return ::recv(s, data, static_cast<std::size_t>(size), 0);
}
#endif

constexpr TcpTransport::Handle kClosed = static_cast<TcpTransport::Handle>(kNoSocket);

NativeSocket native(TcpTransport::Handle handle)
{
    return static_cast<NativeSocket>(handle);
}

int remainingMs(const QDeadlineTimer& deadline)
{
    return static_cast<int>(std::clamp<qint64>(deadline.remainingTime(), 0, INT_MAX));
}

// Waits until the socket is ready for `events` (or failed, which the next call reports);
// false when the deadline passes first.
bool waitFor(NativeSocket s, short events, const QDeadlineTimer& deadline)
{
    for (;;) {
        pollfd fd{};
        fd.fd = s;
        fd.events = events;
        const int ready = pollOne(fd, remainingMs(deadline));
        if (ready > 0)
            return true;
        if (ready == 0 || !interrupted(lastError()) || deadline.hasExpired())
            return false;
    }
}

struct Connection
{
    NativeSocket socket = kNoSocket;
    QString error;
};

Connection connectTo(const addrinfo& address, const QDeadlineTimer& deadline)
{
    const NativeSocket s = openSocket(address);
    if (s == kNoSocket)
        return {kNoSocket, errorString(lastError())};
    // Requests are small and each waits for its reply: never hold one back.
    const int on = 1;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);

    int error = 0;
    if (::connect(s, address.ai_addr, static_cast<socklen_t>(address.ai_addrlen)) != 0) {
        error = lastError();
        if (wouldBlock(error)) {
            error = 0;
            if (!waitFor(s, POLLOUT, deadline)) {
                closeSocket(s);
                return {kNoSocket, QStringLiteral("connection timed out")};
            }
            socklen_t length = sizeof error;
            if (::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) !=
                0)
                error = lastError();
        }
    }
    if (error != 0) {
        closeSocket(s);
        return {kNoSocket, errorString(error)};
    }
    return {s, {}};
}

} // namespace

TcpTransport::TcpTransport()
    : m_socket(kClosed)
{}

TcpTransport::~TcpTransport()
{
    close();
}

bool TcpTransport::open(const Endpoint& endpoint, std::chrono::milliseconds timeout)
{
    close();
    const auto* tcp = std::get_if<TcpEndpoint>(&endpoint);
    if (!tcp || tcp->host.isEmpty() || tcp->port == 0) {
        m_error = QStringLiteral("no TCP endpoint given");
        return false;
    }
    if (!socketsReady()) {
        m_error = QStringLiteral("sockets unavailable");
        return false;
    }
    return connectAny(*tcp, timeout);
}

bool TcpTransport::connectAny(const TcpEndpoint& endpoint, std::chrono::milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    // A literal address resolves at once; a name waits for the resolver, whatever the deadline.
    const int lookup = ::getaddrinfo(endpoint.host.toUtf8().constData(),
                                     QByteArray::number(endpoint.port).constData(), &hints, &found);
    if (lookup != 0 || !found) {
        m_error = QStringLiteral("host not found: ") + endpoint.host;
        return false;
    }
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, &::freeaddrinfo);
    m_error = QStringLiteral("connection timed out");
    for (const addrinfo* address = found; address && !deadline.hasExpired();
         address = address->ai_next) {
        Connection connection = connectTo(*address, deadline);
        if (connection.socket != kNoSocket) {
            m_socket = static_cast<Handle>(connection.socket);
            m_error.clear();
            return true;
        }
        m_error = connection.error;
    }
    return false;
}

bool TcpTransport::isOpen() const
{
    return m_socket != kClosed;
}

void TcpTransport::close()
{
    if (!isOpen())
        return;
    closeSocket(native(m_socket));
    m_socket = kClosed;
}

void TcpTransport::discardInput()
{
    if (!isOpen())
        return;
    std::array<char, kReceiveBufferSize> buffer{};
    while (receiveSome(native(m_socket), buffer.data(), qsizetype(buffer.size())) > 0) {
    }
}

bool TcpTransport::send(const QByteArray& bytes, std::chrono::milliseconds timeout)
{
    if (!isOpen())
        return false;
    const QDeadlineTimer deadline(timeout);
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const qsizetype written =
            sendSome(native(m_socket), bytes.constData() + sent, bytes.size() - sent);
        if (written > 0) {
            sent += written;
            continue;
        }
        const int error = lastError();
        if (written < 0 && !wouldBlock(error) && !interrupted(error)) {
            m_error = errorString(error);
            return false;
        }
        if (!waitFor(native(m_socket), POLLOUT, deadline)) {
            m_error = QStringLiteral("send timed out");
            return false;
        }
    }
    return true;
}

Received TcpTransport::receive(const ReplyComplete& isComplete, std::chrono::milliseconds timeout)
{
    Received received;
    if (!isOpen())
        return received;
    const QDeadlineTimer deadline(timeout);
    std::array<char, kReceiveBufferSize> buffer{};
    for (;;) {
        if (isComplete(received.bytes)) {
            received.complete = true;
            return received;
        }
        const qsizetype room = kReceiveBufferSize - received.bytes.size();
        // A time-out, a full buffer or a failed link ends the wait; so does a closing peer,
        // whose last bytes were judged above.
        if (room <= 0 || !waitFor(native(m_socket), POLLIN, deadline))
            return received;
        const qsizetype got = receiveSome(native(m_socket), buffer.data(), room);
        if (got > 0) {
            received.bytes.append(buffer.data(), got);
            continue;
        }
        const int error = lastError();
        if (got == 0 || (!wouldBlock(error) && !interrupted(error))) {
            if (got < 0)
                m_error = errorString(error);
            return received;
        }
    }
}

} // namespace vostrand::comm

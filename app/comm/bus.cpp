#include "comm/bus.h"

#include <cmath>

#include <QThread>

namespace vostrand::comm {

namespace {

// Serial write limits kept from the line's driver settings: a constant plus a share per byte.
constexpr std::chrono::milliseconds kWriteConstant{60};
constexpr std::chrono::milliseconds kWritePerByte{15};
constexpr double kFastestBaud = 115200.0;

std::chrono::milliseconds writeTimeout(qsizetype bytes)
{
    return kWriteConstant + kWritePerByte * bytes;
}

// Ends a TCP exchange whichever way it leaves: the client is never left connected.
class ConnectionGuard
{
public:
    explicit ConnectionGuard(Transport& link)
        : m_link(link)
    {}
    ~ConnectionGuard() { m_link.close(); }
    ConnectionGuard(const ConnectionGuard&) = delete;
    ConnectionGuard& operator=(const ConnectionGuard&) = delete;

private:
    Transport& m_link;
};

} // namespace

const QString Bus::kReopened = QStringLiteral("Повторно открыт ");
const QString Bus::kReplugUsb = QStringLiteral("USB-кабель отключите и снова подключите ");

int Bus::rtuWaitFactor(qint32 baudRate)
{
    if (baudRate <= 0)
        return kMaxRtuWaitFactor;
    const long factor = std::lround(kFastestBaud / baudRate / 2.0);
    return static_cast<int>(std::clamp<long>(factor, 1, kMaxRtuWaitFactor));
}

Bus::Bus(std::unique_ptr<Transport> serial, std::unique_ptr<Transport> tcp, QObject* parent)
    : QObject(parent)
    , m_serial(std::move(serial))
    , m_tcp(std::move(tcp))
    , m_pauser([](std::chrono::milliseconds duration) {
        QThread::msleep(static_cast<unsigned long>(duration.count()));
    })
{}

Bus::~Bus()
{
    m_serial->close();
    m_tcp->close();
}

void Bus::submit(std::shared_ptr<BusJob> job)
{
    if (!job)
        return;
    ++m_jobsOutstanding;
    if (job->kind() == BusJob::Kind::Pass)
        ++m_passesOutstanding;
    m_commands.post([this, job = std::move(job)] { enqueue(job); });
}

bool Bus::selectPort(const SerialEndpoint& endpoint)
{
    m_serial->close();
    m_serialEndpoint = endpoint;
    return m_serial->open(m_serialEndpoint, m_timing.replyTimeout);
}

bool Bus::openSerialIfClosed()
{
    return m_serial->isOpen() || m_serial->open(m_serialEndpoint, m_timing.replyTimeout);
}

LinkReply Bus::serialExchange(const QByteArray& request, const ReplyComplete& isComplete,
                              std::chrono::milliseconds wait)
{
    const QString port = m_serialEndpoint.portName;
    if (!portAvailable(port))
        reopenUnavailablePort();
    LinkReply reply;
    m_serial->discardInput();
    if (!m_serial->send(request, writeTimeout(request.size()))) {
        setPortAvailable(port, false);
        return reply;
    }
    setPortAvailable(port, true);
    reply.sent = true;
    Received received = m_serial->receive(isComplete, wait);
    reply.bytes = std::move(received.bytes);
    reply.complete = received.complete;
    return reply;
}

LinkReply Bus::tcpExchange(const TcpEndpoint& endpoint, const QByteArray& request,
                           const ReplyComplete& isComplete)
{
    LinkReply reply;
    const ConnectionGuard guard(*m_tcp);
    if (!m_tcp->open(endpoint, m_timing.replyTimeout))
        return reply;
    if (!m_tcp->send(request, m_timing.replyTimeout))
        return reply;
    reply.sent = true;
    Received received = m_tcp->receive(isComplete, m_timing.replyTimeout);
    reply.bytes = std::move(received.bytes);
    reply.complete = received.complete;
    return reply;
}

void Bus::pause(std::chrono::milliseconds duration)
{
    if (duration.count() > 0)
        m_pauser(duration);
}

bool Bus::portAvailable(const QString& portName) const
{
    return !m_unavailablePorts.contains(portName);
}

std::optional<PortSummary> Bus::endOfPassSummary() const
{
    if (m_unavailablePorts.empty())
        return std::nullopt;
    PortSummary summary;
    summary.panel2 = m_texts.errPort;
    for (const QString& port : m_unavailablePorts) {
        summary.panel0Suffix += QLatin1Char(' ') + port + QLatin1Char(',');
        summary.ports.append(port);
    }
    return summary;
}

void Bus::showStatus(StatusPanel panel, const QString& text)
{
    emit statusText(panel, text);
}

void Bus::showMessage(const QString& text)
{
    emit message(text);
}

void Bus::reopenUnavailablePort()
{
    const QString port = m_serialEndpoint.portName;
    m_serial->close();
    if (m_serial->open(m_serialEndpoint, m_timing.replyTimeout)) {
        showStatus(StatusPanel::Panel0, kReopened + port);
        setPortAvailable(port, true);
    } else {
        showStatus(StatusPanel::Panel0, kReplugUsb);
        setPortAvailable(port, false);
    }
}

void Bus::setPortAvailable(const QString& portName, bool available)
{
    if (available)
        m_unavailablePorts.erase(portName);
    else
        m_unavailablePorts.insert(portName);
}

void Bus::enqueue(std::shared_ptr<BusJob> job)
{
    m_queue.push_back(std::move(job));
    scheduleSlice();
}

void Bus::scheduleSlice()
{
    if (m_sliceScheduled)
        return;
    m_sliceScheduled = true;
    // Queued, so that timers and newly submitted jobs get their turn between slices.
    QMetaObject::invokeMethod(this, &Bus::runSlice, Qt::QueuedConnection);
}

void Bus::runSlice()
{
    m_sliceScheduled = false;
    if (m_current && m_current->kind() == BusJob::Kind::Long) {
        if (const auto pass = takeWaitingPass()) {
            runToEnd(pass);
            scheduleSlice();
            return;
        }
    }
    if (!m_current) {
        if (m_queue.empty())
            return;
        m_current = std::move(m_queue.front());
        m_queue.pop_front();
    }
    if (m_current->kind() == BusJob::Kind::Pass) {
        runToEnd(m_current);
        m_current.reset();
    } else if (!m_current->runNextStep(*this)) {
        jobDone(*m_current);
        m_current.reset();
    }
    if (m_current || !m_queue.empty())
        scheduleSlice();
}

std::shared_ptr<BusJob> Bus::takeWaitingPass()
{
    const auto found = std::find_if(m_queue.begin(), m_queue.end(), [](const auto& job) {
        return job->kind() == BusJob::Kind::Pass;
    });
    if (found == m_queue.end())
        return nullptr;
    auto pass = std::move(*found);
    m_queue.erase(found);
    return pass;
}

void Bus::runToEnd(const std::shared_ptr<BusJob>& job)
{
    while (job->runNextStep(*this)) {
    }
    jobDone(*job);
}

void Bus::jobDone(const BusJob& job)
{
    if (job.kind() == BusJob::Kind::Pass)
        --m_passesOutstanding;
    --m_jobsOutstanding;
}

} // namespace vostrand::comm

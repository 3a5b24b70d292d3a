#include "simulator_host.h"

#include "pty_endpoint.h"
#include "simulator.h"
#include "tcp_endpoint.h"

#include <cerrno>
#include <cstring>
#include <sys/eventfd.h>
#include <unistd.h>

#include <QEventLoop>
#include <QObject>
#include <QSocketNotifier>

namespace vostrand::sim {

SimulatorHost::SimulatorHost(Simulator& simulator)
    : m_simulator(simulator)
{}

SimulatorHost::~SimulatorHost()
{
    stop();
}

std::optional<QString> SimulatorHost::start(const std::vector<EndpointSpec>& specs)
{
    stop();
    m_stopEvent = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_stopEvent < 0)
        return QStringLiteral("eventfd: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    std::promise<std::optional<QString>> ready;
    std::future<std::optional<QString>> opened = ready.get_future();
    m_thread = std::thread([this, &specs, &ready] { run(specs, ready); });
    std::optional<QString> error = opened.get();
    if (error)
        stop();
    return error;
}

void SimulatorHost::stop()
{
    if (m_thread.joinable()) {
        const quint64 one = 1;
        (void)::write(m_stopEvent, &one, sizeof one);
        m_thread.join();
    }
    if (m_stopEvent >= 0)
        ::close(m_stopEvent);
    m_stopEvent = -1;
    m_endpoints.clear();
}

void SimulatorHost::run(const std::vector<EndpointSpec>& specs,
                        std::promise<std::optional<QString>>& ready)
{
    QEventLoop loop;
    QSocketNotifier stopRequest(m_stopEvent, QSocketNotifier::Read);
    QObject::connect(&stopRequest, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    // Declared after the loop: the endpoints go first, on this thread, where they were made.
    QObject root;
    for (const EndpointSpec& spec : specs) {
        if (std::optional<QString> error = open(spec, root)) {
            m_endpoints.clear();
            ready.set_value(error);
            return;
        }
    }
    ready.set_value(std::nullopt);
    loop.exec();
}

std::optional<QString> SimulatorHost::open(const EndpointSpec& spec, QObject& root)
{
    if (spec.kind == EndpointSpec::Kind::Pty) {
        auto* endpoint = new PtyEndpoint(m_simulator, &root);
        if (std::optional<QString> error = endpoint->open(spec.link))
            return QStringLiteral("pty:%1: %2").arg(spec.link, *error);
        EndpointInfo info;
        info.link = endpoint->link();
        info.devicePath = endpoint->devicePath();
        info.description = QStringLiteral("pty:%1 -> %2").arg(info.link, info.devicePath);
        m_endpoints.push_back(info);
        return std::nullopt;
    }
    auto* endpoint = new TcpEndpoint(m_simulator, spec.mode, &root);
    if (std::optional<QString> error = endpoint->listen(QHostAddress(spec.host), spec.port))
        return QStringLiteral("tcp:%1:%2: %3").arg(spec.host).arg(spec.port).arg(*error);
    EndpointInfo info;
    info.port = endpoint->port();
    info.description =
        QStringLiteral("tcp:%1:%2 %3").arg(spec.host).arg(info.port).arg(spec.framingName);
    m_endpoints.push_back(info);
    return std::nullopt;
}

} // namespace vostrand::sim

#include "network/headless_server.h"

#include "acquisition/acquisition_thread.h"

namespace vostrand::network {

namespace {

acquisition::SnapshotPtr tablesOf(const core::Station& station)
{
    auto snapshot = std::make_shared<acquisition::StationSnapshot>();
    snapshot->devices = station.devices();
    snapshot->sensors = station.sensors();
    snapshot->settings = station.settings();
    snapshot->timerIntervalMs = station.settings().pollingPeriodS() * 1000;
    return snapshot;
}

} // namespace

HeadlessServer::HeadlessServer(const core::Station& station, core::RegionalFormat regional,
                               QTextStream& out, QTextStream& err)
    : m_initial(station.settings().tcpServerOn() ? tablesOf(station) : nullptr)
    , m_on(station.settings().tcpServerOn())
    , m_address(station.settings().tcpServerAddress().trimmed())
    , m_port(station.settings().tcpServerPort())
    , m_portText(station.settings().value(u"Edit5.Text").toString())
    , m_regional(std::move(regional))
    , m_out(out)
    , m_err(err)
{}

HeadlessServer::~HeadlessServer() = default;

void HeadlessServer::attach(acquisition::AcquisitionThread& acquisition)
{
    if (!m_on)
        return;
    const QString shown = m_address.isEmpty() ? QStringLiteral("0.0.0.0") : m_address;
    if (!m_port) {
        m_err << "vostrandnet: data server: \"" << m_portText << "\" (Edit5) is not a TCP port"
              << Qt::endl;
        return;
    }
    auto server = std::make_unique<DataServer>(m_regional);
    DataServer* target = server.get();
    // Until the acquisition thread publishes, the tables as they were handed over.
    server->setSnapshot(m_initial);
    // Direct: the snapshot is taken on the acquisition thread as soon as it is published.
    QObject::connect(
        &acquisition, &acquisition::AcquisitionThread::snapshotPublished, target,
        [target](const acquisition::SnapshotPtr& snapshot) { target->setSnapshot(snapshot); },
        Qt::DirectConnection);
    if (const acquisition::SnapshotPtr published = acquisition.lastSnapshot())
        server->setSnapshot(published);
    if (const auto error = server->listen(m_address, *m_port)) {
        m_err << "vostrandnet: data server: " << *error << Qt::endl;
        return;
    }
    m_out << "serving on " << shown << ':' << server->port() << Qt::endl;
    m_server = std::move(server);
}

} // namespace vostrand::network

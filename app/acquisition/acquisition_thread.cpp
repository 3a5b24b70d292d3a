#include "acquisition/acquisition_thread.h"

#include "acquisition/bus_poll_exchanges.h"
#include "comm/bus_job.h"
#include "comm/exchange_timing.h"
#include "comm/serial_transport.h"
#include "comm/tcp_transport.h"

namespace vostrand::acquisition {

namespace {

// Every pass is a Bus job, so that it never overlaps another exchange on the links.
PollingCycle::PassScheduler busScheduler(comm::Bus& bus)
{
    return [&bus](std::function<void()> pass) {
        auto job = std::make_shared<comm::BusJob>(comm::BusJob::Kind::Pass,
                                                  QStringLiteral("polling pass"));
        job->addStep([pass = std::move(pass)](comm::Bus&) {
            pass();
            return true;
        });
        bus.submit(std::move(job));
    };
}

} // namespace

struct AcquisitionThread::Worker
{
    std::unique_ptr<core::Station> station;
    std::unique_ptr<comm::Bus> bus;
    std::unique_ptr<BusPollExchanges> exchanges;
    std::unique_ptr<PollingCycle> cycle;
};

AcquisitionThread::AcquisitionThread(Setup setup, QObject* parent)
    : QObject(parent)
    , m_worker(std::make_unique<Worker>())
{
    qRegisterMetaType<SnapshotPtr>();
    qRegisterMetaType<comm::StatusPanel>();
    m_thread.setObjectName(QStringLiteral("acquisition"));
    Worker& worker = *m_worker;
    worker.station = std::move(setup.station);
    worker.bus = std::make_unique<comm::Bus>(std::make_unique<comm::SerialTransport>(),
                                             std::make_unique<comm::TcpTransport>());
    worker.bus->setTiming(comm::ExchangeTiming::fromSettings(worker.station->settings()));
    worker.bus->setTexts(std::move(setup.busTexts));
    worker.exchanges = std::make_unique<BusPollExchanges>(*worker.bus, worker.station->devices(),
                                                          std::move(setup.convert));
    worker.cycle = std::make_unique<PollingCycle>(PollingCycle::Dependencies{
        *worker.station, *worker.exchanges, std::move(setup.regional), std::move(setup.texts),
        [] { return QDateTime::currentDateTime(); }, busScheduler(*worker.bus)});
    connectWorker();
    // Made here, then handed over before the thread runs: nothing has touched a link yet.
    worker.bus->moveToThread(&m_thread);
    worker.cycle->moveToThread(&m_thread);
    m_thread.start();
}

AcquisitionThread::~AcquisitionThread()
{
    // The links and the timer belong to the thread: take them down there.
    QMetaObject::invokeMethod(
        m_worker->cycle.get(),
        [worker = m_worker.get()] {
            worker->cycle.reset();
            worker->exchanges.reset();
            worker->bus.reset();
        },
        Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void AcquisitionThread::connectWorker()
{
    PollingCycle* cycle = m_worker->cycle.get();
    connect(cycle, &PollingCycle::snapshotPublished, this, &AcquisitionThread::snapshotPublished);
    connect(cycle, &PollingCycle::statusChanged, this, &AcquisitionThread::statusChanged);
    connect(cycle, &PollingCycle::captionChanged, this, &AcquisitionThread::captionChanged);
    connect(cycle, &PollingCycle::writeFailed, this, &AcquisitionThread::writeFailed);
    connect(cycle, &PollingCycle::stopped, this, &AcquisitionThread::pollingStopped);
    connect(m_worker->bus.get(), &comm::Bus::statusText, this, &AcquisitionThread::statusChanged);
    connect(m_worker->bus.get(), &comm::Bus::message, this, &AcquisitionThread::message);
}

void AcquisitionThread::startPolling(std::function<void(std::optional<StartRefusal>)> done)
{
    PollingCycle* cycle = m_worker->cycle.get();
    QMetaObject::invokeMethod(
        cycle,
        [cycle, done = std::move(done)] {
            const std::optional<StartRefusal> refusal = cycle->start();
            if (done)
                done(refusal);
        },
        Qt::QueuedConnection);
}

void AcquisitionThread::stopPolling()
{
    PollingCycle* cycle = m_worker->cycle.get();
    QMetaObject::invokeMethod(
        cycle, [cycle] { cycle->stop(); }, Qt::QueuedConnection);
}

} // namespace vostrand::acquisition

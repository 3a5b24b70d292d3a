#include "acquisition/acquisition_thread.h"

#include "acquisition/bus_poll_exchanges.h"
#include "comm/bus_job.h"
#include "comm/exchange_timing.h"
#include "comm/serial_transport.h"
#include "comm/tcp_transport.h"
#include "core/command_queue.h"

#include <condition_variable>
#include <mutex>

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
    // Every command from other threads comes through here, in order.
    std::unique_ptr<core::CommandQueue> commands;
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
    worker.cycle->setServerSource(std::move(setup.serverSource));
    worker.commands = std::make_unique<core::CommandQueue>();
    connectWorker();
    // Made here, then handed over before the thread runs: nothing has touched a link yet.
    worker.bus->moveToThread(&m_thread);
    worker.cycle->moveToThread(&m_thread);
    worker.commands->moveToThread(&m_thread);
    m_thread.start();
    // Windows show the tables before the first pass.
    post([](core::Station&, comm::Bus&) {});
}

AcquisitionThread::~AcquisitionThread()
{
    // The links and the timer belong to the thread: take them down there, and wait.
    std::mutex mutex;
    std::condition_variable condition;
    bool done = false;
    m_worker->commands->post([&, worker = m_worker.get()] {
        worker->cycle.reset();
        worker->exchanges.reset();
        worker->bus.reset();
        const std::lock_guard lock(mutex);
        done = true;
        condition.notify_one();
    });
    {
        std::unique_lock lock(mutex);
        condition.wait(lock, [&] { return done; });
    }
    m_thread.quit();
    m_thread.wait();
    // The thread has ended: nothing else can reach the queue now.
    m_worker->commands.reset();
}

void AcquisitionThread::connectWorker()
{
    PollingCycle* cycle = m_worker->cycle.get();
    comm::Bus* bus = m_worker->bus.get();
    // The worker's signals are relayed through a queue of this object's thread rather than
    // by queued connections: their arguments then cross under a lock race checkers see.
    const auto relay = [this](auto emitter) {
        m_toOwner.post(std::move(emitter));
    };
    connect(
        cycle, &PollingCycle::snapshotPublished, this,
        [this, relay](const SnapshotPtr& snapshot) {
            keepSnapshot(snapshot); // at once, so that lastSnapshot() is never behind
            relay([this, snapshot] { emit snapshotPublished(snapshot); });
        },
        Qt::DirectConnection);
    const auto relayStatus = [this, relay](comm::StatusPanel panel, const QString& text) {
        relay([this, panel, text] { emit statusChanged(panel, text); });
    };
    connect(cycle, &PollingCycle::statusChanged, this, relayStatus, Qt::DirectConnection);
    connect(bus, &comm::Bus::statusText, this, relayStatus, Qt::DirectConnection);
    connect(
        cycle, &PollingCycle::captionChanged, this,
        [this, relay](const QString& text) { relay([this, text] { emit captionChanged(text); }); },
        Qt::DirectConnection);
    connect(
        cycle, &PollingCycle::writeFailed, this,
        [this, relay](const QString& text) { relay([this, text] { emit writeFailed(text); }); },
        Qt::DirectConnection);
    connect(
        cycle, &PollingCycle::stopped, this,
        [this, relay] { relay([this] { emit pollingStopped(); }); }, Qt::DirectConnection);
    connect(
        bus, &comm::Bus::message, this,
        [this, relay](const QString& text) { relay([this, text] { emit message(text); }); },
        Qt::DirectConnection);
}

void AcquisitionThread::startPolling(std::function<void(std::optional<StartRefusal>)> done)
{
    m_worker->commands->post([cycle = m_worker->cycle.get(), done = std::move(done)] {
        const std::optional<StartRefusal> refusal = cycle->start();
        if (done)
            done(refusal);
    });
}

void AcquisitionThread::stopPolling()
{
    m_worker->commands->post([cycle = m_worker->cycle.get()] { cycle->stop(); });
}

void AcquisitionThread::post(Edit edit)
{
    m_worker->commands->post([worker = m_worker.get(), edit = std::move(edit)] {
        edit(*worker->station, *worker->bus);
        worker->cycle->republish();
    });
}

void AcquisitionThread::submit(std::shared_ptr<comm::BusJob> job)
{
    m_worker->bus->submit(std::move(job));
}

SnapshotPtr AcquisitionThread::lastSnapshot() const
{
    const std::lock_guard lock(m_snapshotMutex);
    return m_lastSnapshot;
}

void AcquisitionThread::keepSnapshot(const SnapshotPtr& snapshot)
{
    const std::lock_guard lock(m_snapshotMutex);
    m_lastSnapshot = snapshot;
}

} // namespace vostrand::acquisition

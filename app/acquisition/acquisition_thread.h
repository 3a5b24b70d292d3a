#pragma once

#include "acquisition/polling_cycle.h"
#include "acquisition/station_snapshot.h"
#include "comm/bus.h"
#include "comm/modbus_codec.h"
#include "core/command_queue.h"
#include "core/regional_format.h"
#include "core/station.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include <QObject>
#include <QThread>

namespace vostrand::acquisition {

class BusPollExchanges;

// Owns the acquisition thread and what lives on it: the Station, the Bus with its links and
// the polling cycle. Other threads command it through the methods below (posted to that
// thread) and read the snapshots it publishes; they never touch the tables.
class AcquisitionThread : public QObject
{
    Q_OBJECT

public:
    struct Setup
    {
        std::unique_ptr<core::Station> station;
        core::RegionalFormat regional = core::RegionalFormat::russian();
        PollingTexts texts;
        comm::BusTexts busTexts;
        comm::AsciiToTcpConverter convert;
        // Called by each pass while the data source is not the devices; runs on the
        // acquisition thread.
        PollingCycle::ServerSource serverSource;
    };

    explicit AcquisitionThread(Setup setup, QObject* parent = nullptr);
    // Stops polling without its last write when still running, then ends the thread; call
    // stopPolling() and wait for pollingStopped() first for an orderly end.
    ~AcquisitionThread() override;

    AcquisitionThread(const AcquisitionThread&) = delete;
    AcquisitionThread& operator=(const AcquisitionThread&) = delete;

    // Runs on the acquisition thread with the tables and the links.
    using Edit = std::function<void(core::Station& station, comm::Bus& bus)>;

    // Any thread. `done` runs on the acquisition thread with the outcome.
    void startPolling(std::function<void(std::optional<StartRefusal>)> done = {});
    void stopPolling();

    // Any thread. Runs `edit` on the acquisition thread between two passes, then publishes a
    // snapshot so that every reader sees the change. Table edits from windows come this way.
    void post(Edit edit);
    // Any thread. A job for the links (setpoint write, identification, archive download).
    void submit(std::shared_ptr<comm::BusJob> job);
    // Any thread: the last snapshot published, null before the first.
    SnapshotPtr lastSnapshot() const;

signals:
    void snapshotPublished(vostrand::acquisition::SnapshotPtr snapshot);
    void statusChanged(vostrand::comm::StatusPanel panel, const QString& text);
    void captionChanged(const QString& caption);
    void message(const QString& text);
    void writeFailed(const QString& message);
    void pollingStopped();

private:
    // Everything that lives on the thread, made and destroyed there.
    struct Worker;

    void connectWorker();

    void keepSnapshot(const SnapshotPtr& snapshot);

    QThread m_thread;
    // Runs on this object's thread what the worker hands over.
    core::CommandQueue m_toOwner{this};
    mutable std::mutex m_snapshotMutex;
    SnapshotPtr m_lastSnapshot;
    std::unique_ptr<Worker> m_worker;
};

} // namespace vostrand::acquisition

#pragma once

#include "acquisition/polling_cycle.h"
#include "acquisition/station_snapshot.h"
#include "comm/bus.h"
#include "comm/modbus_codec.h"
#include "core/regional_format.h"
#include "core/station.h"

#include <functional>
#include <memory>
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
    };

    explicit AcquisitionThread(Setup setup, QObject* parent = nullptr);
    // Stops polling without its last write when still running, then ends the thread; call
    // stopPolling() and wait for pollingStopped() first for an orderly end.
    ~AcquisitionThread() override;

    AcquisitionThread(const AcquisitionThread&) = delete;
    AcquisitionThread& operator=(const AcquisitionThread&) = delete;

    // Any thread. `done` runs on the acquisition thread with the outcome.
    void startPolling(std::function<void(std::optional<StartRefusal>)> done = {});
    void stopPolling();

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

    QThread m_thread;
    std::unique_ptr<Worker> m_worker;
};

} // namespace vostrand::acquisition

#pragma once

#include "acquisition/polling_cycle.h"
#include "acquisition/station_snapshot.h"
#include "comm/modbus_codec.h"
#include "core/regional_format.h"
#include "core/station.h"

#include <functional>
#include <memory>
#include <optional>

#include <QString>
#include <QTextStream>

namespace vostrand::acquisition {

class AcquisitionThread;

struct HeadlessOptions
{
    std::optional<int> passes; // stop after this many passes; null: until a stop signal
    bool quiet = false;        // no table per pass
    // Runs once the acquisition thread is up, before polling starts (the data server hooks
    // in here; acquisition does not depend on it).
    std::function<void(AcquisitionThread&)> onStarted;
    // Where the passes take their replies from while the data source is a data server.
    PollingCycle::ServerSource serverSource;
};

// `--headless`: polls the configured station without windows, prints a table per pass, writes
// the data files and stops on SIGINT/SIGTERM or after the asked passes, with the same last
// write as a stop from the window.
class HeadlessProgram
{
public:
    static constexpr int kExitOk = 0;
    static constexpr int kExitFailed = 1;
    static constexpr int kExitNothingConfigured = 2;

    HeadlessProgram(std::unique_ptr<core::Station> station, HeadlessOptions options,
                    core::RegionalFormat regional, comm::AsciiToTcpConverter convert,
                    QTextStream& out, QTextStream& err);

    // Runs the event loop until polling has stopped; the exit status.
    int run();

    // The table printed after a pass: address, name, signal, SP, Pw, unit, device status.
    static QString passTable(const StationSnapshot& snapshot, const core::RegionalFormat& regional);
    static QString deviceStatusText(const core::DeviceRecord& device);

private:
    std::unique_ptr<core::Station> m_station;
    HeadlessOptions m_options;
    core::RegionalFormat m_regional;
    comm::AsciiToTcpConverter m_convert;
    QTextStream& m_out;
    QTextStream& m_err;
};

} // namespace vostrand::acquisition

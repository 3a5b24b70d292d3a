#pragma once

#include "acquisition/polling_cycle.h"
#include "comm/bus.h"
#include "core/device_table.h"
#include "core/regional_format.h"
#include "core/station.h"

#include <functional>
#include <optional>

#include <QChar>
#include <QDateTime>
#include <QString>

namespace vostrand::network {

// The polling tick while the data source is a data server: "allmodbus" brings the raw
// replies of every device, "gstat" the program-monitoring words; both are stored where local
// polling stores them, and the cycle then decodes and records them as if it had polled. The
// device tables are the server's copies, so replies are taken by position.
class ServerTick
{
public:
    using StatusSink = std::function<void(comm::StatusPanel panel, const QString& text)>;

    static const QString kReceiving; // " Идет прием по TCP/IP"
    static const QString kServerOff; // " Сервер TCP/IP выключен"

    // The program-monitoring arrays in the order "gstat" sends them: the run state, the
    // status words S0 .. S6, the program-state icon.
    static constexpr int kMonitoringArrays = 9;

    struct AllModbus
    {
        bool taken = false; // false: no device data in it (server off, or not readable)
        std::optional<QDateTime> cycleTime;
    };

    // One tick against `MyIP`:`MyPort`, on the calling thread; the server's last cycle time
    // when it gave one. A tick whose connection fails is taken as a server that is off.
    std::optional<QDateTime> run(core::Station& station, const StatusSink& showStatus);

    // The first character of the last "allmodbus" reply: '1' while the server polls. Kept
    // when a connection fails.
    QChar serverState() const { return m_serverState; }
    qint64 lastElapsedMs() const { return m_lastElapsedMs; }

    // A "1" reply: the replies of devices 0 .. D − 1, D bounded by the local table. Every
    // local device is cleared first, so a device the server did not send has no values.
    static AllModbus applyAllModbus(const QString& reply, core::DeviceTable& devices);
    // Stops at the first field it cannot read; what was stored before it stays.
    static void applyGstat(const QString& reply, core::DeviceTable& devices);
    static void clearReplies(core::DeviceTable& devices);

    static core::DeviceRecord::ChannelWords& monitoringWords(core::DeviceRecord& device, int k);

    // A tick of its own for the polling cycle (the server state lives from tick to tick).
    static acquisition::PollingCycle::ServerSource pollingSource();

private:
    QChar m_serverState;
    qint64 m_lastElapsedMs = 0;
};

} // namespace vostrand::network

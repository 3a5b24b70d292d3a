#pragma once

#include "acquisition/sensor_row.h"
#include "core/device_table.h"
#include "core/sensor_table.h"
#include "core/settings.h"

#include <memory>
#include <vector>

#include <QDateTime>
#include <QMetaType>
#include <QString>

namespace vostrand::acquisition {

enum class PollingState
{
    Stopped,
    Polling,
    Stopping, // the pass in flight ends, then the last write
};

// The texts of the main window that the cycle owns.
struct StatusTexts
{
    QString panel0;
    QString panel1;
    QString panel2;
    QString caption;
    QString startButton; // "Start" or "Stop"
    QString startMenuItem;

    bool operator==(const StatusTexts&) const = default;
};

// One consistent state of the station, published after every pass and every stop. Readers
// (window, headless table, data server) never see the tables while a pass changes them.
struct StationSnapshot
{
    core::DeviceTable devices;
    core::SensorTable sensors;
    core::Settings settings{QString()};
    std::vector<SensorRow> rows; // parallel to sensors
    QString lastRecordLine;      // empty until a pass has recorded
    bool passHadValue = false;
    QDateTime passTime;
    qint64 passDurationMs = 0;
    int passCounter = 0;
    int dataLineCount = 0;
    QString dataFile;  // the current ".vst", absolute
    QString namesFile; // its ".nm"
    QString lastWriteError;
    PollingState state = PollingState::Stopped;
    int timerIntervalMs = 0; // of the polling timer; the period setting until it is armed
    StatusTexts status;
};

using SnapshotPtr = std::shared_ptr<const StationSnapshot>;

} // namespace vostrand::acquisition

Q_DECLARE_METATYPE(vostrand::acquisition::SnapshotPtr)

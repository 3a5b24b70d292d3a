#pragma once

#include "acquisition/data_file_naming.h"
#include "acquisition/data_line_list.h"
#include "acquisition/formula_binding.h"
#include "acquisition/polling_texts.h"
#include "acquisition/record_line.h"
#include "acquisition/sensor_list_rows.h"
#include "acquisition/station_snapshot.h"
#include "comm/bus.h"
#include "core/regional_format.h"
#include "core/station.h"

#include <functional>
#include <optional>
#include <vector>

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

namespace vostrand::acquisition {

class PollExchanges;

// Why a start did not happen.
enum class StartRefusal
{
    AlreadyPolling,
    NoDevice,
};

// The polling cycle: a tick per polling period polls every device with an active sensor, then
// the recording step decodes the values, evaluates formula channels, refreshes the rows,
// appends a record line and writes the data table file from time to time. Lives on the
// acquisition thread with the Station and the Bus; a tick that finds the previous pass still
// waiting or running is skipped, never queued.
class PollingCycle : public QObject
{
    Q_OBJECT

public:
    using Clock = std::function<QDateTime()>;
    // Runs a pass later on the acquisition thread (as a Bus job); tests run it by hand.
    using PassScheduler = std::function<void(std::function<void()> pass)>;
    // Shows a text in a status panel, as the cycle shows its own.
    using StatusSink = std::function<void(comm::StatusPanel panel, const QString& text)>;
    // Fills the stored replies from a data server; the record time of the pass (null: now).
    using ServerSource =
        std::function<std::optional<QDateTime>(core::Station&, const StatusSink& showStatus)>;

    static constexpr int kPassCounterWrap = 60480;
    static const QString kOverload;

    struct Dependencies
    {
        core::Station& station;
        PollExchanges& exchanges;
        core::RegionalFormat regional;
        PollingTexts texts;
        Clock clock;
        PassScheduler scheduler;
    };

    explicit PollingCycle(Dependencies dependencies, QObject* parent = nullptr);
    ~PollingCycle() override;

    // Starts polling, continuing the current file when it exists. `chosen` is the file the
    // user picked for a per-start period; the caller asks, the cycle never does.
    std::optional<StartRefusal> start(const std::optional<ChosenDataFile>& chosen = {});
    // Ends polling: the pass in flight finishes, then the file is written a last time and
    // stopped() follows (at once when no pass is in flight).
    void stop();
    // One timer tick; the timer calls it while polling, tests call it directly.
    void tick();
    // Publishes a snapshot of the tables as they are now (after an edit between passes).
    void republish() { publish(); }
    // Whether start() arms the polling timer (tests drive the ticks instead).
    void setTimerDriven(bool timerDriven) { m_timerDriven = timerDriven; }
    void setServerSource(ServerSource source) { m_serverSource = std::move(source); }

    PollingState state() const { return m_state; }
    bool busy() const { return m_busy; }
    const StatusTexts& status() const { return m_status; }
    const DataLineList& dataLines() const { return m_lines; }
    const SensorListRows& rows() const { return m_rows; }
    const DataFilePaths& currentPaths() const { return m_paths; }
    const QString& baseName() const { return m_baseName; }
    QDateTime fileBoundary() const { return m_boundary; }
    int passCounter() const { return m_passCounter; }
    int writeCounter() const { return m_writeCounter; }
    int noValueCounter() const { return m_noValueCounter; }
    qint64 lastPassDurationMs() const { return m_lastPassMs; }
    SnapshotPtr snapshot() const { return m_snapshot; }

signals:
    void statusChanged(vostrand::comm::StatusPanel panel, const QString& text);
    void captionChanged(const QString& caption);
    void snapshotPublished(vostrand::acquisition::SnapshotPtr snapshot);
    // A data file or names file could not be written; the lines stay for the next write.
    void writeFailed(const QString& message);
    void stopped();

private:
    // One pass: the devices (or the server), then the recording step.
    void runPass();
    void pollDevices();
    void pollDevice(int index);
    void pollModbus(int index);
    void pollProgramState(int index, core::ExchangeStatus& last);
    void pollMaker(int index);
    void countFailure(int index, core::ExchangeStatus status);
    bool hasActiveSensor(const core::DeviceRecord& device) const;

    void record();
    void recordSensor(int sensorIndex, RecordLine& line, bool& passHasValue);
    void decodeSensor(core::SensorRecord& sensor, const core::DeviceRecord* device) const;
    float evaluateFormula(int sensorIndex);
    void updateProgramState(int sensorIndex, const core::DeviceRecord& device);
    void noteValue(bool passHasValue);
    void writeWhenDue();
    void beginNewFile();
    bool writeCurrentFile();
    void retryUnwrittenFiles();
    void reportWriteFailure(const DataLineWrite& written);
    void finishStop();

    void prepareFile(const std::optional<ChosenDataFile>& chosen);
    DataFilePaths pathsFor(const QString& baseName) const;
    void updateCaption();
    void setPanel(comm::StatusPanel panel, const QString& text);
    void publish();
    SensorListOptions rowOptions() const;
    RecordLineFormat lineFormat() const;
    FilePeriod filePeriod() const;
    QDateTime now() const { return m_clock(); }

    core::Station& m_station;
    PollExchanges& m_exchanges;
    const core::RegionalFormat m_regional;
    const PollingTexts m_texts;
    const Clock m_clock;
    const PassScheduler m_scheduler;
    ServerSource m_serverSource;
    QTimer m_timer;
    bool m_timerDriven = true;

    PollingState m_state = PollingState::Stopped;
    bool m_busy = false;
    bool m_stopAfterPass = false;
    QDateTime m_passTime;
    QDateTime m_recordTime;
    qint64 m_lastPassMs = 0;
    int m_passCounter = 0;
    int m_passesThisRun = 0;
    int m_noValueCounter = 0;
    int m_writeCounter = 0;
    QDateTime m_boundary;
    QString m_baseName;
    // Fixed when the file begins, so a file stays in one month folder to its last write.
    DataFilePaths m_paths;
    QDateTime m_lastLineTime;
    DataLineList m_lines;
    // Earlier files whose last write failed: retried at every write until they are on disk.
    struct UnwrittenFile
    {
        DataLineList lines;
        DataFilePaths paths;
    };
    std::vector<UnwrittenFile> m_unwritten;
    SensorListRows m_rows;
    std::optional<FormulaBinding> m_formulas;
    QString m_lastRecordLine;
    bool m_passHadValue = false;
    QString m_lastWriteError;
    StatusTexts m_status;
    SnapshotPtr m_snapshot;
};

} // namespace vostrand::acquisition

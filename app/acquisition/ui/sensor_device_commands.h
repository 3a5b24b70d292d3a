#pragma once

#include "acquisition/channel_register_jobs.h"
#include "acquisition/station_snapshot.h"
#include "acquisition/ui/sensor_prompts.h"
#include "comm/modbus_codec.h"
#include "comm/value_text.h"
#include "core/lang.h"

#include <memory>

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace vostrand::comm {
class BusJob;
}

namespace vostrand::acquisition {
class AcquisitionThread;
}

namespace vostrand::acquisition::ui {

// The sensor commands that talk to the device: the setpoint change and the alarm type. Each
// is a read job, a question, then a write job, submitted to the acquisition thread; the window
// stays responsive and shows the busy state meanwhile. One command at a time.
class SensorDeviceCommands : public QObject
{
    Q_OBJECT

public:
    SensorDeviceCommands(AcquisitionThread& acquisition, const core::Lang& lang,
                         const SensorPrompts& prompts, QWidget* dialogParent);
    ~SensorDeviceCommands() override;

    void setConverter(comm::AsciiToTcpConverter convert) { m_convert = std::move(convert); }
    bool busy() const { return m_job != nullptr || m_asking; }

    // False when nothing can be asked of that sensor (a formula, no device) or a command runs.
    bool changeSetpoint(const StationSnapshot& snapshot, int sensorIndex,
                        const comm::ValueTextFormat& format);
    bool changeAlarm(const StationSnapshot& snapshot, int sensorIndex);

signals:
    void busyChanged(bool busy);
    // After the write: `written` with the value the device took as `valueText`.
    void setpointWritten(int sensorIndex, bool written, const QString& valueText);
    // A typed value that cannot be a setpoint.
    void setpointRefused(int sensorIndex);
    void alarmWritten(int sensorIndex, const QString& powerText);

private:
    using Continue = std::function<void(const ChannelRegisterResult& result)>;

    void run(std::shared_ptr<comm::BusJob> job, std::shared_ptr<ChannelRegisterResult> result,
             Continue next);
    void finish();
    void setpointRead(const ChannelTarget& target, const ChannelRegisterResult& read,
                      const comm::ValueTextFormat& format);
    void alarmRead(const ChannelTarget& target, const ChannelRegisterResult& read);
    bool portFailed(const ChannelRegisterResult& result);
    void tellFailure(const ChannelRegisterResult& result);

    AcquisitionThread& m_acquisition;
    const core::Lang& m_lang;
    const SensorPrompts& m_prompts;
    QPointer<QWidget> m_parent;
    comm::AsciiToTcpConverter m_convert;
    std::shared_ptr<comm::BusJob> m_job;
    bool m_asking = false;
};

} // namespace vostrand::acquisition::ui

#include "acquisition/ui/sensor_device_commands.h"

#include "acquisition/acquisition_thread.h"
#include "acquisition/alarm_type.h"
#include "acquisition/setpoint_write.h"
#include "comm/bus_job.h"
#include "core/ui/message_asker.h"

#include <QWidget>

namespace vostrand::acquisition::ui {

namespace {

QString shown(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

} // namespace

SensorDeviceCommands::SensorDeviceCommands(AcquisitionThread& acquisition, const core::Lang& lang,
                                           const SensorPrompts& prompts, QWidget* dialogParent)
    : QObject(dialogParent)
    , m_acquisition(acquisition)
    , m_lang(lang)
    , m_prompts(prompts)
    , m_parent(dialogParent)
{}

SensorDeviceCommands::~SensorDeviceCommands()
{
    // A job still queued finishes on its own; nobody waits for its answer any more.
    if (m_job)
        m_job->disconnect(this);
}

void SensorDeviceCommands::run(std::shared_ptr<comm::BusJob> job,
                               std::shared_ptr<ChannelRegisterResult> result, Continue next)
{
    m_job = job;
    connect(
        job.get(), &comm::BusJob::finished, this,
        [this, result, next = std::move(next)](comm::BusJob::Outcome) {
            m_job.reset();
            next(*result);
        },
        Qt::QueuedConnection);
    emit busyChanged(true);
    m_acquisition.submit(std::move(job));
}

void SensorDeviceCommands::finish()
{
    m_asking = false;
    emit busyChanged(busy());
}

bool SensorDeviceCommands::portFailed(const ChannelRegisterResult& result)
{
    if (!result.portUnavailable)
        return false;
    core::ui::MessageAsker::instance().inform(m_parent, m_lang.text(u"Information"),
                                              shown(m_lang.text(u"CPort_Mess")));
    finish();
    return true;
}

void SensorDeviceCommands::tellFailure(const ChannelRegisterResult& result)
{
    const QString why = result.exception ? QStringLiteral("Прибор отказал (исключение Modbus)")
                                         : QStringLiteral("Статус обмена ") +
                                               QString::number(core::toCode(result.status));
    core::ui::MessageAsker::instance().inform(
        m_parent, m_lang.text(u"Information"),
        shown(m_lang.text(u"NoSaveParam")) + QStringLiteral("\n\n") + why, QMessageBox::Warning);
}

bool SensorDeviceCommands::changeSetpoint(const StationSnapshot& snapshot, int sensorIndex,
                                          const comm::ValueTextFormat& format)
{
    if (busy())
        return false;
    auto target = ChannelTarget::of(snapshot.devices, snapshot.sensors, sensorIndex);
    if (!target)
        return false;
    auto result = std::make_shared<ChannelRegisterResult>();
    auto job =
        ChannelRegisterJobs::read(*target, SetpointWrite::registerBase(*target), result, m_convert);
    m_asking = true;
    run(std::move(job), result,
        [this, target = *target, format](const ChannelRegisterResult& read) {
            setpointRead(target, read, format);
        });
    return true;
}

void SensorDeviceCommands::setpointRead(const ChannelTarget& target,
                                        const ChannelRegisterResult& read,
                                        const comm::ValueTextFormat& format)
{
    if (portFailed(read))
        return;
    const auto current = SetpointWrite::valueOf(read, target.mas);
    const QString preset = SetpointWrite::presetText(current, format, m_lang.text(u"No_sig"));
    const auto typed =
        m_prompts.text(m_parent, SetpointWrite::caption(target, m_lang.text(u"Set_point")),
                       m_lang.text(u"New_SP"), preset);
    if (!typed) {
        finish();
        return;
    }
    const auto raw = SetpointWrite::rawFor(SetpointWrite::parseTyped(*typed), target.mas);
    if (!raw) {
        emit setpointRefused(target.sensorIndex);
        core::ui::MessageAsker::instance().inform(m_parent, m_lang.text(u"Information"),
                                                  m_lang.text(u"Bad_SP"));
        finish();
        return;
    }
    auto result = std::make_shared<ChannelRegisterResult>();
    auto job = ChannelRegisterJobs::write(target, SetpointWrite::registerBase(target), *raw, result,
                                          m_convert);
    run(std::move(job), result, [this, target, format](const ChannelRegisterResult& written) {
        if (portFailed(written))
            return;
        const bool ok = written.good();
        const QString text =
            ok ? comm::ValueText::fixed(SetpointWrite::valueOfRaw(*written.value, target.mas),
                                        format.decimals, format.significantDigits,
                                        format.decimalSeparator)
               : QString();
        emit setpointWritten(target.sensorIndex, ok, text);
        if (!ok)
            tellFailure(written);
        finish();
    });
}

bool SensorDeviceCommands::changeAlarm(const StationSnapshot& snapshot, int sensorIndex)
{
    if (busy())
        return false;
    auto target = ChannelTarget::of(snapshot.devices, snapshot.sensors, sensorIndex);
    if (!target)
        return false;
    auto result = std::make_shared<ChannelRegisterResult>();
    auto job =
        ChannelRegisterJobs::read(*target, AlarmType::registerBase(*target), result, m_convert);
    m_asking = true;
    run(std::move(job), result,
        [this, target = *target](const ChannelRegisterResult& read) { alarmRead(target, read); });
    return true;
}

void SensorDeviceCommands::alarmRead(const ChannelTarget& target, const ChannelRegisterResult& read)
{
    if (portFailed(read))
        return;
    const auto current = AlarmType::choiceOf(read);
    if (!current) {
        core::ui::MessageAsker::instance().inform(
            m_parent, m_lang.text(u"Information"),
            shown(AlarmType::unreadableText(target, m_lang.text(u"No_repd"))));
        finish();
        return;
    }
    const auto chosen =
        m_prompts.choice(m_parent, m_lang.text(u"Choose"), QStringLiteral("Сигнализация"),
                         AlarmType::choices(), *current);
    if (!chosen || *chosen < 0) {
        finish();
        return;
    }
    auto result = std::make_shared<ChannelRegisterResult>();
    auto job = ChannelRegisterJobs::write(target, AlarmType::registerBase(target),
                                          static_cast<quint16>(*chosen), result, m_convert);
    run(std::move(job), result,
        [this, target, choice = *chosen](const ChannelRegisterResult& written) {
            if (portFailed(written))
                return;
            emit alarmWritten(target.sensorIndex, AlarmType::columnText(written, choice));
            finish();
        });
}

} // namespace vostrand::acquisition::ui

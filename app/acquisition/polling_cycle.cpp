#include "acquisition/polling_cycle.h"

#include "acquisition/poll_exchanges.h"
#include "acquisition/program_status.h"
#include "acquisition/tolerance_zone.h"
#include "comm/channel_value.h"
#include "comm/maker_protocol.h"
#include "core/no_value.h"
#include "core/sensor_address.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>

namespace vostrand::acquisition {

using comm::StatusPanel;
using core::DeviceRecord;
using core::ExchangeStatus;
using core::NO_VALUE;
using core::RegisterMap;
using core::SensorRecord;

namespace {

constexpr int kStatusBlockSize = 7;
constexpr int kMillisecondsPerSecond = 1000;

int blockCount(const DeviceRecord& device)
{
    const bool extraRegister = device.Lumirex == comm::ChannelValue::kMantissaExponent ||
                               device.Lumirex == comm::ChannelValue::kFloat32;
    return device.Canals + (extraRegister ? 1 : 0);
}

// After these a device is not asked anything else in the pass.
bool endsDevice(ExchangeStatus status)
{
    return status == ExchangeStatus::NoReply || status == ExchangeStatus::Exception;
}

comm::ChannelParameters channelOf(const SensorRecord& sensor, const DeviceRecord& device)
{
    return {sensor.CanType, static_cast<double>(sensor.Mas), sensor.Sluj, device.Lumirex};
}

} // namespace

const QString PollingCycle::kOverload = PollingTexts::kOverload;

PollingCycle::PollingCycle(Dependencies dependencies, QObject* parent)
    : QObject(parent)
    , m_station(dependencies.station)
    , m_exchanges(dependencies.exchanges)
    , m_regional(std::move(dependencies.regional))
    , m_texts(std::move(dependencies.texts))
    , m_clock(std::move(dependencies.clock))
    , m_scheduler(std::move(dependencies.scheduler))
    , m_timer(this)
{
    m_status.startButton = m_texts.start;
    m_status.startMenuItem = QLatin1Char('&') + m_texts.reSens;
    connect(&m_timer, &QTimer::timeout, this, &PollingCycle::tick);
    publish();
}

PollingCycle::~PollingCycle() = default;

// ---- start and stop -------------------------------------------------------------------------

std::optional<StartRefusal> PollingCycle::start(const std::optional<ChosenDataFile>& chosen)
{
    if (m_state != PollingState::Stopped)
        return StartRefusal::AlreadyPolling;
    if (m_station.devices().Devcount() == 0)
        return StartRefusal::NoDevice;

    prepareFile(chosen);
    setPanel(StatusPanel::Panel2, QLatin1Char(' ') + m_texts.loDat + QStringLiteral(".."));
    setPanel(StatusPanel::Panel1, QLatin1Char(' ') + m_texts.loadCou + QLatin1Char(' ') +
                                      QString::number(m_lines.count()) + QLatin1Char(' ') +
                                      m_texts.cou);
    m_status.startButton = m_texts.stop;
    m_status.startMenuItem = QLatin1Char('&') + m_texts.loStop;
    m_lastLineTime = m_lines.lastLineTime(m_regional).value_or(now());

    const core::Settings& settings = m_station.settings();
    m_boundary = DataFileNaming::periodBegin(filePeriod(), now(), settings.newFileStartTime());
    m_passCounter = 0;
    m_passesThisRun = 0;
    m_noValueCounter = 0;
    m_writeCounter = 0;
    m_busy = false;
    m_stopAfterPass = false;
    const QDateTime startTime = now();
    for (int i = 0; i < m_station.devices().Devcount(); ++i) {
        m_station.devices().edit(i, [&startTime](DeviceRecord& device) {
            device.FailCount = 0;
            device.PollTime = startTime;
            device.TReply.clear();
            device.SpReply.clear();
            device.PwReply.clear();
        });
    }
    m_rows.resize(m_station.sensors().SensCount());
    m_exchanges.resetPortFlags();
    m_state = PollingState::Polling;
    if (m_timerDriven) {
        m_timer.setInterval(settings.pollingPeriodS() * kMillisecondsPerSecond);
        m_timer.start();
    }
    publish();
    return std::nullopt;
}

void PollingCycle::prepareFile(const std::optional<ChosenDataFile>& chosen)
{
    core::Settings& settings = m_station.settings();
    m_lines.clear();
    if (chosen) {
        settings.set(u"DirEdit1.Text", chosen->dataFolder);
        m_baseName = chosen->baseName;
    } else {
        m_baseName =
            DataFileNaming::baseName(filePeriod(), now(), settings.newFileStartTime(), m_regional);
    }
    updateCaption();
    m_paths = pathsFor(m_baseName);
    const DataFilePaths& paths = m_paths;
    QDir().mkpath(paths.folder);
    if (QFileInfo::exists(paths.dataFile())) {
        const DataLineLoad load = m_lines.load(paths.dataFile());
        if (!load.result.ok)
            emit writeFailed(load.result.fileName + QStringLiteral(": ") + load.result.error);
    }
}

void PollingCycle::stop()
{
    if (m_state != PollingState::Polling)
        return;
    m_timer.stop();
    m_state = PollingState::Stopping;
    if (m_busy)
        m_stopAfterPass = true;
    else
        finishStop();
}

void PollingCycle::finishStop()
{
    m_stopAfterPass = false;
    m_state = PollingState::Stopped;
    m_status.startButton = m_texts.start;
    m_status.startMenuItem = QLatin1Char('&') + m_texts.reSens;
    setPanel(StatusPanel::Panel0, QStringLiteral(" "));
    setPanel(StatusPanel::Panel2, QStringLiteral(" "));
    if (m_station.settings().writeDataFiles())
        writeCurrentFile();
    m_rows.clear();
    if (m_station.settings().dataSource() == core::DataSource::Server) {
        const QDateTime stopTime = now();
        for (int i = 0; i < m_station.devices().Devcount(); ++i) {
            m_station.devices().edit(i, [&stopTime](DeviceRecord& device) {
                device.PollTime = stopTime;
                device.TReply.clear();
                device.SpReply.clear();
                device.PwReply.clear();
            });
        }
    }
    publish();
    emit stopped();
}

// ---- the tick and the pass ------------------------------------------------------------------

void PollingCycle::tick()
{
    if (m_state != PollingState::Polling)
        return;
    if (m_busy) {
        setPanel(StatusPanel::Panel2, kOverload);
        return;
    }
    m_busy = true;
    QPointer<PollingCycle> self(this);
    m_scheduler([self] {
        if (self)
            self->runPass();
    });
}

void PollingCycle::runPass()
{
    if (m_state == PollingState::Polling) {
        if (m_station.settings().dataSource() == core::DataSource::Devices) {
            pollDevices();
            m_recordTime = m_passTime;
        } else {
            const QDateTime started = now();
            const StatusSink showStatus = [this](StatusPanel panel, const QString& text) {
                setPanel(panel, text);
            };
            const auto serverTime =
                m_serverSource ? m_serverSource(m_station, showStatus) : std::optional<QDateTime>();
            m_lastPassMs = started.msecsTo(now());
            m_recordTime = serverTime.value_or(now());
        }
        record();
    }
    m_busy = false;
    publish();
    if (m_stopAfterPass)
        finishStop();
}

void PollingCycle::pollDevices()
{
    m_passTime = now();
    setPanel(StatusPanel::Panel0, QString());
    m_exchanges.beginPass();
    for (int i = 0; i < m_station.devices().Devcount(); ++i)
        pollDevice(i);
    if (const auto summary = m_exchanges.endOfPass()) {
        setPanel(StatusPanel::Panel2, summary->panel2);
        setPanel(StatusPanel::Panel0, m_status.panel0 + summary->panel0Suffix);
    }
    m_lastPassMs = m_passTime.msecsTo(now());
}

bool PollingCycle::hasActiveSensor(const DeviceRecord& device) const
{
    for (const SensorRecord& sensor : m_station.sensors().records()) {
        if (sensor.Adr == device.NetAdress && sensor.Aktiv)
            return true;
    }
    return false;
}

void PollingCycle::pollDevice(int index)
{
    core::DeviceTable& devices = m_station.devices();
    if (devices.at(index).isMathDevice() || !hasActiveSensor(devices.at(index)))
        return;
    devices.edit(index, [this](DeviceRecord& device) {
        device.PollTime = m_passTime;
        device.Err = 0;
        device.TReply.clear();
        device.SpReply.clear();
        device.PwReply.clear();
    });
    const DeviceRecord& device = devices.at(index);
    if (!device.YesRJ45) {
        const comm::SerialEndpoint endpoint{device.Port, device.BaudRate.toInt()};
        if (!m_exchanges.portSelected(endpoint) && !m_exchanges.selectPort(endpoint)) {
            const ExchangeStatus status =
                device.isModbus() ? ExchangeStatus::Exception : ExchangeStatus::PortUnavailable;
            devices.edit(index, [status](DeviceRecord& d) { d.Err = core::toCode(status); });
            return;
        }
    }
    if (device.isModbus())
        pollModbus(index);
    else
        pollMaker(index);
}

void PollingCycle::pollModbus(int index)
{
    core::DeviceTable& devices = m_station.devices();
    const core::Settings& settings = m_station.settings();
    const int count = blockCount(devices.at(index));
    const auto& registers = devices.at(index).registers;

    const comm::BlockReply signal =
        m_exchanges.readBlock(index, count, registers.at(RegisterMap::MT0000));
    devices.edit(index, [&signal](DeviceRecord& d) { d.TReply = signal.reply; });
    m_exchanges.pauseAfterReply();
    countFailure(index, signal.status);

    ExchangeStatus last = signal.status;
    if (settings.readProgramState())
        pollProgramState(index, last);
    devices.edit(index, [last](DeviceRecord& d) { d.Err = core::toCode(last); });
    if (endsDevice(last))
        return;

    // Each block only when every exchange before it in this pass succeeded.
    const auto readNext = [&](RegisterMap::Entry entry, QString DeviceRecord::*reply) {
        if (devices.at(index).Err != 0)
            return;
        const comm::BlockReply block =
            m_exchanges.readBlock(index, count, devices.at(index).registers.at(entry));
        m_exchanges.pauseAfterReply();
        devices.edit(index, [&block, reply](DeviceRecord& d) {
            d.*reply = block.reply;
            d.Err = core::toCode(block.status);
        });
    };
    if (settings.readSetpoint())
        readNext(RegisterMap::MSp0030, &DeviceRecord::SpReply);
    if (settings.readPower())
        readNext(RegisterMap::MPw0060, &DeviceRecord::PwReply);
}

void PollingCycle::pollProgramState(int index, ExchangeStatus& last)
{
    core::DeviceTable& devices = m_station.devices();
    devices.edit(index, [](DeviceRecord& d) {
        d.RunState.fill(DeviceRecord::kNotRead);
        for (auto& words : d.StatusWords)
            words.fill(DeviceRecord::kNotRead);
    });
    const DeviceRecord& device = devices.at(index);
    const int runBase = device.registers.at(RegisterMap::MRun0180);
    const int statusBase = device.registers.at(RegisterMap::MStatus0221);
    if (runBase == comm::RegisterReply::kNoValue || statusBase == comm::RegisterReply::kNoValue)
        return;
    const QString netAdress = device.NetAdress;
    const int channels = std::min<int>(device.Canals, static_cast<int>(DeviceRecord::kMaxChannels));
    for (int c = 0; c < channels; ++c) {
        const comm::RegisterReply run = m_exchanges.readRegister(netAdress, c, runBase);
        const comm::BlockReply words =
            m_exchanges.readRegisters(netAdress, c * 0x400 + statusBase, kStatusBlockSize);
        last = words.status;
        const auto channel = static_cast<std::size_t>(c);
        devices.edit(index, [&](DeviceRecord& d) {
            if (run.value)
                d.RunState[channel] = static_cast<qint16>(*run.value);
            for (int w = 0; w < kStatusBlockSize; ++w) {
                const auto value = comm::ChannelValue::signedRegister(words.reply, w);
                d.StatusWords[static_cast<std::size_t>(w)][channel] =
                    value ? *value : DeviceRecord::kNotRead;
            }
        });
    }
}

void PollingCycle::pollMaker(int index)
{
    core::DeviceTable& devices = m_station.devices();
    const DeviceRecord& device = devices.at(index);
    const QString netAdress = device.NetAdress;
    comm::MakerReply signal;
    if (!device.YesRJ45)
        signal =
            m_exchanges.maker(netAdress, QLatin1Char(comm::MakerProtocol::kCurrentValues), false);
    devices.edit(index, [&signal](DeviceRecord& d) {
        d.TReply = signal.reply;
        d.Err = core::toCode(signal.status);
    });
    if (endsDevice(signal.status))
        return;
    comm::MakerReply setpoint;
    if (m_station.settings().readSetpoint())
        setpoint =
            m_exchanges.maker(netAdress, QLatin1Char(comm::MakerProtocol::kSetpoints), false);
    devices.edit(index, [&setpoint](DeviceRecord& d) { d.SpReply = setpoint.reply; });
}

void PollingCycle::countFailure(int index, ExchangeStatus status)
{
    core::DeviceTable& devices = m_station.devices();
    if (status == ExchangeStatus::Good) {
        devices.edit(index, [](DeviceRecord& d) { d.FailCount = 0; });
        return;
    }
    const int limit = m_station.settings().failedPollLimit();
    if (limit <= 0)
        return;
    const DeviceRecord& device = devices.at(index);
    setPanel(StatusPanel::Panel2, m_texts.device + QLatin1Char(' ') + device.Name +
                                      PollingTexts::kUntilPause +
                                      QString::number(limit - device.FailCount));
    devices.edit(index, [](DeviceRecord& d) { ++d.FailCount; });
    if (devices.at(index).FailCount < limit)
        return;
    core::SensorTable& sensors = m_station.sensors();
    for (const int s : sensors.sensorsOfDevice(devices.at(index).NetAdress))
        sensors.edit(s, [](SensorRecord& sensor) { sensor.Aktiv = false; });
    devices.edit(index, [](DeviceRecord& d) { d.FailCount = 0; });
}

// ---- the recording step ---------------------------------------------------------------------

void PollingCycle::record()
{
    setPanel(StatusPanel::Panel2, QLatin1Char(' ') + m_texts.loDat + QStringLiteral(".."));
    ++m_passCounter;
    if (m_passCounter > kPassCounterWrap)
        m_passCounter = 0;
    ++m_passesThisRun;

    m_formulas.reset(); // constants may have changed since the last pass
    RecordLine line(m_lines.nextNumber(), m_recordTime, lineFormat());
    m_rows.resize(m_station.sensors().SensCount());
    bool passHasValue = false;
    for (int s = 0; s < m_station.sensors().SensCount(); ++s) {
        if (m_station.sensors().at(s).Aktiv)
            recordSensor(s, line, passHasValue);
    }
    m_passHadValue = passHasValue;
    if (passHasValue) {
        m_lastRecordLine = line.text();
        m_lastLineTime = m_recordTime;
        if (m_station.settings().writeDataFiles())
            m_lines.append(line.text());
    }
    noteValue(passHasValue);
    if (passHasValue)
        m_rows.refreshWithValues(m_station.devices(), m_station.sensors(), rowOptions());
    else if (m_passesThisRun > 1)
        m_rows.refreshWithoutValues(m_station.sensors(), rowOptions());
    writeWhenDue();
}

void PollingCycle::recordSensor(int sensorIndex, RecordLine& line, bool& passHasValue)
{
    core::SensorTable& sensors = m_station.sensors();
    core::DeviceTable& devices = m_station.devices();
    const auto owner = sensors.ownerOf(sensorIndex, devices);
    const DeviceRecord* device = owner ? &devices.at(*owner) : nullptr;

    SensorRecord updated = sensors.at(sensorIndex);
    decodeSensor(updated, device);
    if (updated.isFormula())
        updated.T = evaluateFormula(sensorIndex);
    sensors.edit(sensorIndex, [&updated](SensorRecord& sensor) {
        sensor.T = updated.T;
        sensor.SP = updated.SP;
        sensor.Pw = updated.Pw;
    });
    if (owner)
        devices.edit(*owner, [this](DeviceRecord& d) { d.PollTime = m_recordTime; });

    const SensorRecord& sensor = sensors.at(sensorIndex);
    const RecordSensorValues values{sensor.T, sensor.SP, sensor.Pw, sensor.CanType,
                                    device ? device->Lumirex : 0};
    line.addSensor(core::SensorAddress::textOf(sensor), values);
    passHasValue = passHasValue || core::hasValue(sensor.T) || core::hasValue(sensor.SP) ||
                   core::hasValue(sensor.Pw);

    m_rows.at(sensorIndex).icon = ToleranceZone::icon(sensor);
    if (owner)
        updateProgramState(sensorIndex, devices.at(*owner));
}

void PollingCycle::decodeSensor(SensorRecord& sensor, const DeviceRecord* device) const
{
    sensor.T = NO_VALUE;
    sensor.SP = NO_VALUE;
    sensor.Pw = NO_VALUE;
    if (!device || device->isMathDevice() || !sensor.Can)
        return;
    const int can = *sensor.Can;
    if (!device->isModbus()) {
        sensor.T = comm::ChannelValue::makerValue(device->TReply, can);
        sensor.SP = comm::ChannelValue::makerValue(device->SpReply, can);
        return;
    }
    const comm::ChannelParameters channel = channelOf(sensor, *device);
    sensor.T = comm::ChannelValue::signal(device->TReply, can, channel);
    sensor.SP = comm::ChannelValue::setpoint(device->SpReply, can, channel);
    sensor.Pw = comm::ChannelValue::power(device->PwReply, can, sensor.Sluj);
}

float PollingCycle::evaluateFormula(int sensorIndex)
{
    // Sensors before this one already hold this pass's values, those after it the last ones.
    if (!m_formulas)
        m_formulas.emplace(m_station.mathConstants(), m_regional.decimalSeparator());
    const auto later = m_passesThisRun > 1 ? FormulaBinding::LaterSensors::PreviousPass
                                           : FormulaBinding::LaterSensors::NotReadYet;
    return m_formulas->signalValue(m_station.sensors().records(), sensorIndex, later);
}

void PollingCycle::updateProgramState(int sensorIndex, const DeviceRecord& device)
{
    core::SensorTable& sensors = m_station.sensors();
    const SensorRecord& sensor = sensors.at(sensorIndex);
    const SensorListOptions options = rowOptions();
    const bool monitored =
        options.monitorPrograms && device.Regtype == DeviceRecord::kProgramRegulator && sensor.Can;
    QString setpointText = SensorListRows::setpointText(sensor, device.Err == 0, options);
    SensorRow& row = m_rows.at(sensorIndex);
    if (!monitored) {
        row.programIcon.reset();
        sensors.edit(sensorIndex,
                     [&setpointText](SensorRecord& s) { s.StatusText = setpointText; });
        return;
    }
    const int can = *sensor.Can;
    const ProgramWords words = ProgramWords::ofChannel(device, can);
    const double mas = sensor.Mas;
    if (!options.readSetpoint)
        setpointText =
            ProgramStatus::computedSetpointText(words, mas, sensor.CanType, options.format);
    const QString status = ProgramStatus::text(words, mas, setpointText);
    sensors.edit(sensorIndex, [&status](SensorRecord& s) { s.StatusText = status; });
    if (const auto icon = ProgramStatus::icon(words)) {
        row.programIcon = *icon;
        if (static_cast<std::size_t>(can) < DeviceRecord::kMaxChannels) {
            const int owner = *sensor.Ind;
            m_station.devices().edit(owner, [can, icon](DeviceRecord& d) {
                d.ProgramIcon[static_cast<std::size_t>(can)] = *icon;
            });
        }
    }
}

void PollingCycle::noteValue(bool passHasValue)
{
    if (passHasValue) {
        const int count = m_station.settings().writeDataFiles() ? m_lines.count() : m_passCounter;
        const QString seconds =
            m_regional.formatNumber(static_cast<double>(m_lastPassMs) / kMillisecondsPerSecond, 2);
        setPanel(StatusPanel::Panel1, QLatin1Char(' ') + m_texts.totalRe + QLatin1Char(' ') +
                                          QString::number(count) + QLatin1Char(' ') +
                                          m_texts.records + QStringLiteral(" ( ") + seconds +
                                          QStringLiteral(" s)"));
        m_noValueCounter = 0;
        return;
    }
    if (m_noValueCounter > 0)
        setPanel(StatusPanel::Panel1, QLatin1Char(' ') + m_texts.noOrObr + QLatin1Char(' ') +
                                          QString::number(m_noValueCounter + 1));
    ++m_noValueCounter;
    if (m_noValueCounter > m_station.settings().failedPollLimit())
        m_noValueCounter = 0;
}

void PollingCycle::writeWhenDue()
{
    const core::Settings& settings = m_station.settings();
    const bool newFile = DataFileNaming::startsNewFile(filePeriod(), m_boundary, now());
    ++m_writeCounter;
    const int writeEvery = settings.diskWritePeriodS() / std::max(settings.pollingPeriodS(), 1);
    if (m_writeCounter <= writeEvery && !newFile)
        return;
    if (settings.writeDataFiles())
        writeCurrentFile();
    // The period moves on with or without writing, or every pass would start a new file.
    if (newFile)
        beginNewFile();
    else
        updateCaption();
    m_writeCounter = 0;
}

void PollingCycle::beginNewFile()
{
    const core::Settings& settings = m_station.settings();
    const QDateTime moment = now();
    m_baseName =
        DataFileNaming::baseName(filePeriod(), moment, settings.newFileStartTime(), m_regional);
    m_boundary = DataFileNaming::periodBegin(filePeriod(), moment, settings.newFileStartTime());
    updateCaption();
    // The old file's lines are kept until they are on disk: a file change loses nothing.
    if (m_lines.hasUnwrittenLines())
        m_unwritten.push_back({std::move(m_lines), m_paths});
    m_lines = DataLineList();
    m_paths = pathsFor(m_baseName);
}

bool PollingCycle::writeCurrentFile()
{
    retryUnwrittenFiles();
    const DataLineWrite written =
        m_lines.write(m_paths, DataLineList::namesLines(m_station.sensors()));
    if (!written.ok()) {
        reportWriteFailure(written);
        return false;
    }
    if (m_unwritten.empty())
        m_lastWriteError.clear();
    return true;
}

void PollingCycle::retryUnwrittenFiles()
{
    const QStringList names = DataLineList::namesLines(m_station.sensors());
    std::erase_if(m_unwritten, [&](UnwrittenFile& file) {
        const DataLineWrite written = file.lines.write(file.paths, names);
        if (!written.ok())
            reportWriteFailure(written);
        return written.ok();
    });
}

void PollingCycle::reportWriteFailure(const DataLineWrite& written)
{
    const core::FileResult& failed = !written.data.ok ? written.data : *written.names;
    m_lastWriteError = failed.fileName + QStringLiteral(": ") + failed.error;
    emit writeFailed(m_lastWriteError);
}

// ---- texts and snapshots --------------------------------------------------------------------

DataFilePaths PollingCycle::pathsFor(const QString& baseName) const
{
    const core::Settings& settings = m_station.settings();
    return DataFileNaming::paths(settings.dataFolder(), settings.monthSubfolders(), now(),
                                 baseName);
}

void PollingCycle::updateCaption()
{
    const QString caption = m_station.settings().writeDataFiles()
                                ? PollingTexts::kProgramTitle + QStringLiteral(" - ") +
                                      m_texts.saF + QStringLiteral(" : ") + m_baseName
                                : PollingTexts::kProgramTitle + PollingTexts::kNoFileCaption;
    if (caption == m_status.caption)
        return;
    m_status.caption = caption;
    emit captionChanged(caption);
}

void PollingCycle::setPanel(StatusPanel panel, const QString& text)
{
    QString* target = panel == StatusPanel::Panel0   ? &m_status.panel0
                      : panel == StatusPanel::Panel1 ? &m_status.panel1
                                                     : &m_status.panel2;
    *target = text;
    emit statusChanged(panel, text);
}

void PollingCycle::publish()
{
    auto snapshot = std::make_shared<StationSnapshot>();
    snapshot->devices = m_station.devices();
    snapshot->sensors = m_station.sensors();
    snapshot->settings = m_station.settings();
    snapshot->rows = m_rows.rows();
    snapshot->rows.resize(static_cast<std::size_t>(m_station.sensors().SensCount()));
    snapshot->lastRecordLine = m_lastRecordLine;
    snapshot->passHadValue = m_passHadValue;
    snapshot->passTime = m_recordTime;
    snapshot->passDurationMs = m_lastPassMs;
    snapshot->passCounter = m_passCounter;
    snapshot->dataLineCount = m_lines.count();
    if (!m_baseName.isEmpty()) {
        snapshot->dataFile = m_paths.dataFile();
        snapshot->namesFile = m_paths.namesFile();
    }
    snapshot->lastWriteError = m_lastWriteError;
    snapshot->state = m_state;
    snapshot->timerIntervalMs =
        m_timer.interval() > 0 ? m_timer.interval()
                               : m_station.settings().pollingPeriodS() * kMillisecondsPerSecond;
    snapshot->status = m_status;
    m_snapshot = std::move(snapshot);
    emit snapshotPublished(m_snapshot);
}

SensorListOptions PollingCycle::rowOptions() const
{
    const core::Settings& settings = m_station.settings();
    SensorListOptions options;
    options.format = lineFormat().valueTextFormat();
    options.readSetpoint = settings.readSetpoint();
    options.readPower = settings.readPower();
    options.monitorPrograms = settings.readProgramState();
    return options;
}

RecordLineFormat PollingCycle::lineFormat() const
{
    const core::Settings& settings = m_station.settings();
    RecordLineFormat format;
    format.regional = m_regional;
    format.decimals = settings.decimals();
    format.significantDigits = settings.significantDigits();
    format.readSetpoint = settings.readSetpoint();
    return format;
}

FilePeriod PollingCycle::filePeriod() const
{
    return DataFileNaming::filePeriod(m_station.settings().filePeriodIndex())
        .value_or(FilePeriod::Daily);
}

} // namespace vostrand::acquisition

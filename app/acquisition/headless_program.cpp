#include "acquisition/headless_program.h"

#include "acquisition/acquisition_thread.h"
#include "acquisition/stop_signals.h"
#include "core/sensor_address.h"

#include <QEventLoop>

namespace vostrand::acquisition {

namespace {

constexpr int kAddressWidth = 7;
constexpr int kNameWidth = 24;
constexpr int kValueWidth = 11;
constexpr int kUnitWidth = 7;

QString cell(const QString& text, int width)
{
    return text.trimmed().left(width - 1).leftJustified(width);
}

bool routinePanelText(const QString& text)
{
    return text.trimmed().isEmpty() || text.contains(PollingTexts().loDat);
}

} // namespace

HeadlessProgram::HeadlessProgram(std::unique_ptr<core::Station> station, HeadlessOptions options,
                                 core::RegionalFormat regional, comm::AsciiToTcpConverter convert,
                                 QTextStream& out, QTextStream& err)
    : m_station(std::move(station))
    , m_options(std::move(options))
    , m_regional(std::move(regional))
    , m_convert(std::move(convert))
    , m_out(out)
    , m_err(err)
{}

QString HeadlessProgram::deviceStatusText(const core::DeviceRecord& device)
{
    if (device.isMathDevice())
        return QStringLiteral("formula");
    switch (device.status().value_or(core::ExchangeStatus::NoReply)) {
    case core::ExchangeStatus::Good:
        return QStringLiteral("ok");
    case core::ExchangeStatus::NoReply:
        return QStringLiteral("no reply");
    case core::ExchangeStatus::ChecksumError:
        return QStringLiteral("check sum");
    case core::ExchangeStatus::Exception:
        return QStringLiteral("exception");
    case core::ExchangeStatus::PortUnavailable:
        return QStringLiteral("port");
    }
    return QString();
}

QString HeadlessProgram::passTable(const StationSnapshot& snapshot,
                                   const core::RegionalFormat& regional)
{
    QString table =
        QStringLiteral("pass %1  %2  (%3 s)\n")
            .arg(snapshot.passCounter)
            .arg(regional.formatDateTime(snapshot.passTime),
                 regional.formatNumber(static_cast<double>(snapshot.passDurationMs) / 1000.0, 2));
    table += cell(QStringLiteral("Адр"), kAddressWidth) +
             cell(QStringLiteral("Датчик"), kNameWidth) +
             cell(QStringLiteral("Сигнал"), kValueWidth) + cell(QStringLiteral("SP"), kValueWidth) +
             cell(QStringLiteral("Pw,%"), kValueWidth) + cell(QStringLiteral("Ед."), kUnitWidth) +
             QStringLiteral("Прибор\n");
    const core::SensorTable& sensors = snapshot.sensors;
    for (int i = 0; i < sensors.SensCount(); ++i) {
        const core::SensorRecord& sensor = sensors.at(i);
        const SensorRow row = static_cast<std::size_t>(i) < snapshot.rows.size()
                                  ? snapshot.rows[static_cast<std::size_t>(i)]
                                  : SensorRow{};
        const auto owner = sensors.ownerOf(i, snapshot.devices);
        const QString status = !sensor.Aktiv ? QStringLiteral("off")
                               : owner       ? deviceStatusText(snapshot.devices.at(*owner))
                                             : QStringLiteral("no device");
        table += cell(core::SensorAddress::textOf(sensor), kAddressWidth) +
                 cell(sensor.Name, kNameWidth) + cell(row.signal, kValueWidth) +
                 cell(row.setpoint, kValueWidth) + cell(row.power, kValueWidth) +
                 cell(sensor.Dimension, kUnitWidth) + status + QLatin1Char('\n');
    }
    return table;
}

int HeadlessProgram::run()
{
    if (m_station->devices().Devcount() == 0 || m_station->sensors().SensCount() == 0) {
        m_err << "vostrandnet: nothing configured: no device or sensor to poll "
                 "(add one with --add-device URI)"
              << Qt::endl;
        return kExitNothingConfigured;
    }
    const bool hasActive =
        std::any_of(m_station->sensors().records().begin(), m_station->sensors().records().end(),
                    [](const core::SensorRecord& s) { return s.Aktiv; });
    if (!hasActive)
        m_err << "vostrandnet: every sensor is switched off; nothing will be asked" << Qt::endl;

    const bool writesFiles = m_station->settings().writeDataFiles();
    AcquisitionThread::Setup setup;
    setup.station = std::move(m_station);
    setup.regional = m_regional;
    setup.convert = m_convert;
    setup.serverSource = m_options.serverSource;
    AcquisitionThread acquisition(std::move(setup));
    StopSignals stopSignals;
    QEventLoop loop;
    int exitStatus = kExitOk;
    int passesSeen = 0;
    int lastCounter = 0;
    bool stopAsked = false;
    SnapshotPtr last;

    const auto askStop = [&] {
        if (stopAsked)
            return;
        stopAsked = true;
        acquisition.stopPolling();
    };
    QObject::connect(&acquisition, &AcquisitionThread::snapshotPublished, &loop,
                     [&](const SnapshotPtr& snapshot) {
                         last = snapshot;
                         if (snapshot->state != PollingState::Polling &&
                             snapshot->state != PollingState::Stopping)
                             return;
                         if (snapshot->passCounter == lastCounter)
                             return;
                         lastCounter = snapshot->passCounter;
                         ++passesSeen;
                         if (!m_options.quiet)
                             m_out << passTable(*snapshot, m_regional) << Qt::endl;
                         if (m_options.passes && passesSeen >= *m_options.passes)
                             askStop();
                     });
    // A status the cycle repeats every pass (" Идет прием по TCP/IP") is logged once.
    QString lastStatus;
    QObject::connect(&acquisition, &AcquisitionThread::statusChanged, &loop,
                     [&](comm::StatusPanel panel, const QString& text) {
                         if (m_options.quiet || panel != comm::StatusPanel::Panel2 ||
                             routinePanelText(text) || text == lastStatus)
                             return;
                         lastStatus = text;
                         m_err << "status:" << text << Qt::endl;
                     });
    QObject::connect(&acquisition, &AcquisitionThread::writeFailed, &loop,
                     [&](const QString& message) {
                         m_err << "vostrandnet: cannot write " << message << Qt::endl;
                     });
    QObject::connect(&acquisition, &AcquisitionThread::pollingStopped, &loop, [&] {
        if (writesFiles && last && !last->dataFile.isEmpty())
            m_out << "data file: " << last->dataFile << Qt::endl
                  << "names file: " << last->namesFile << Qt::endl;
        loop.quit();
    });
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &loop, [&](int) {
        m_err << "vostrandnet: stopping" << Qt::endl;
        askStop();
    });
    if (m_options.onStarted)
        m_options.onStarted(acquisition);
    acquisition.startPolling([&loop, &exitStatus](std::optional<StartRefusal> refusal) {
        if (!refusal)
            return;
        QMetaObject::invokeMethod(
            &loop,
            [&loop, &exitStatus] {
                exitStatus = kExitFailed;
                loop.quit();
            },
            Qt::QueuedConnection);
    });
    if (m_options.passes && *m_options.passes <= 0)
        askStop();
    loop.exec();
    return exitStatus;
}

} // namespace vostrand::acquisition

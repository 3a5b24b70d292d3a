#include "core/config_command_line.h"

#include "core/config_store.h"
#include "core/sensor_address.h"
#include "core/settings_dump.h"
#include "core/station.h"

#include <QDir>
#include <QStandardPaths>

namespace vostrand::core {

namespace {

// A name with a TAB would shift the columns of the listing.
QString cell(QString text)
{
    return text.replace(QLatin1Char('\t'), QLatin1Char(' '));
}

QString link(const DeviceRecord& device)
{
    if (device.isMathDevice())
        return QStringLiteral("none");
    if (device.YesRJ45)
        return QStringLiteral("tcp:%1:%2").arg(device.IP, device.IPPort);
    return QStringLiteral("serial:%1@%2").arg(device.Port, device.BaudRate);
}

struct Assignment
{
    QString name;
    QString value;
};

std::optional<Assignment> assignment(const QString& text)
{
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (equals <= 0)
        return std::nullopt;
    return Assignment{text.left(equals).trimmed(), text.mid(equals + 1)};
}

// The settings password is kept as a salted hash, never as it was typed.
QString storedText(const SettingDefinition& definition, const QString& value)
{
    const bool password = definition.name == QLatin1String("Parole");
    return password && !value.isEmpty() ? Settings::hashPassword(value) : value;
}

// Every assignment is checked before anything is kept, so a refused one changes nothing.
int applySettings(const QStringList& assignments, Settings& settings, QTextStream& err)
{
    for (const QString& text : assignments) {
        const auto parts = assignment(text);
        if (!parts) {
            err << "--set expects NAME=VALUE, not \"" << text << "\"" << Qt::endl;
            return ConfigCommandLine::kUsageError;
        }
        const SettingDefinition* definition = Settings::find(parts->name);
        if (!definition) {
            err << "unknown setting \"" << parts->name << "\"" << Qt::endl;
            return ConfigCommandLine::kUsageError;
        }
        const SettingChange change =
            settings.setFromText(parts->name, storedText(*definition, parts->value));
        if (!change.accepted) {
            err << change.message << Qt::endl;
            return ConfigCommandLine::kUsageError;
        }
    }
    return ConfigCommandLine::kSuccess;
}

int printSettings(const QStringList& names, const Settings& settings, QTextStream& out,
                  QTextStream& err)
{
    for (const QString& name : names) {
        if (!Settings::find(name)) {
            err << "unknown setting \"" << name << "\"" << Qt::endl;
            return ConfigCommandLine::kUsageError;
        }
    }
    for (const QString& name : names)
        out << settings.text(name) << Qt::endl;
    return ConfigCommandLine::kSuccess;
}

int reportFailure(const FileResult& result, QTextStream& err)
{
    err << result.fileName << ": " << result.error << Qt::endl;
    return ConfigCommandLine::kFailure;
}

int dumpSettings(const Station& station, const QString& dataFolder, QTextStream& out,
                 QTextStream& err)
{
    const QString fileName = SettingsDump::filePath(dataFolder);
    if (!QDir().mkpath(dataFolder))
        return reportFailure(FileResult::failure(fileName, QStringLiteral("no such folder")), err);
    const FileResult result = SettingsDump::write(fileName, station, RegionalFormat::fromSystem());
    if (!result.ok)
        return reportFailure(result, err);
    out << QDir::toNativeSeparators(fileName) << Qt::endl;
    return ConfigCommandLine::kSuccess;
}

} // namespace

ConfigCommandLine::ConfigCommandLine()
    : m_listDevices(QStringLiteral("list-devices"),
                    QStringLiteral("Print the devices and sensors of the configuration."))
    , m_set(QStringLiteral("set"),
            QStringLiteral("Change a setting by its persisted name and save (repeatable)."),
            QStringLiteral("NAME=VALUE"))
    , m_get(QStringLiteral("get"), QStringLiteral("Print a setting by its persisted name."),
            QStringLiteral("NAME"))
    , m_dumpSettings(QStringLiteral("dump-settings"),
                     QStringLiteral("Write Info_VostrandNet.txt into the data folder."))
    , m_dataDir(QStringLiteral("data-dir"),
                QStringLiteral("Use DIR as the data folder for this run."), QStringLiteral("DIR"))
{}

void ConfigCommandLine::addOptions(QCommandLineParser& parser) const
{
    parser.addOptions({m_listDevices, m_set, m_get, m_dumpSettings, m_dataDir});
}

bool ConfigCommandLine::isRequested(const QCommandLineParser& parser) const
{
    return parser.isSet(m_listDevices) || parser.isSet(m_set) || parser.isSet(m_get) ||
           parser.isSet(m_dumpSettings);
}

int ConfigCommandLine::run(const QCommandLineParser& parser, const ConfigLocation& location,
                           QTextStream& out, QTextStream& err) const
{
    Station station(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    const ConfigStore store(location.iniFilePath());
    // Settings first: devices without a stored port take the stored serial port.
    QStringList ignored = store.loadSettings(station).ignored;
    ignored += store.loadDevicesAndSensors(station).ignored;
    if (!ignored.isEmpty()) {
        err << "ignored in " << QDir::toNativeSeparators(store.fileName()) << ":" << Qt::endl;
        for (const QString& line : ignored)
            err << "  " << line << Qt::endl;
    }

    if (parser.isSet(m_set)) {
        if (const int status = applySettings(parser.values(m_set), station.settings(), err))
            return status;
        const FileResult saved = store.saveSettings(station);
        if (!saved.ok)
            return reportFailure(saved, err);
    }
    if (parser.isSet(m_get)) {
        if (const int status = printSettings(parser.values(m_get), station.settings(), out, err))
            return status;
    }
    if (parser.isSet(m_listDevices))
        listDevices(station, out);
    if (parser.isSet(m_dumpSettings)) {
        const QString dataFolder =
            parser.isSet(m_dataDir) ? parser.value(m_dataDir) : station.settings().dataFolder();
        return dumpSettings(station, dataFolder, out, err);
    }
    return kSuccess;
}

void ConfigCommandLine::listDevices(const Station& station, QTextStream& out)
{
    out << "index\tNetAdress\tName\tCanals\tModbus\tlink\tRegtype" << Qt::endl;
    const DeviceTable& devices = station.devices();
    for (int i = 0; i < devices.Devcount(); ++i) {
        const DeviceRecord& device = devices.at(i);
        out << i << '\t' << cell(device.NetAdress) << '\t' << cell(device.Name) << '\t'
            << device.Canals << '\t' << device.Modbus << '\t' << cell(link(device)) << '\t'
            << device.Regtype << Qt::endl;
    }
    out << "index\taddress\tName\tAktiv\tDimension\tCanType\tMas" << Qt::endl;
    const SensorTable& sensors = station.sensors();
    for (int i = 0; i < sensors.SensCount(); ++i) {
        const SensorRecord& sensor = sensors.at(i);
        out << i << '\t' << SensorAddress::textOf(sensor) << '\t' << cell(sensor.Name) << '\t'
            << (sensor.Aktiv ? "true" : "false") << '\t' << cell(sensor.Dimension) << '\t'
            << static_cast<int>(sensor.CanType) << '\t'
            << QString::number(static_cast<double>(sensor.Mas), 'g', 7) << Qt::endl;
    }
}

} // namespace vostrand::core

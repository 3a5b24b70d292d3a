#include "core/config_store.h"

#include "core/date_time.h"
#include "core/station.h"

#include <cmath>
#include <limits>

#include <QHash>
#include <QSet>
#include <QSettings>

namespace vostrand::core {

namespace {

constexpr qint64 kI16Min = std::numeric_limits<qint16>::min();
constexpr qint64 kI16Max = std::numeric_limits<qint16>::max();
constexpr qint64 kI32Min = std::numeric_limits<qint32>::min();
constexpr qint64 kI32Max = std::numeric_limits<qint32>::max();
constexpr int kColumnCount = static_cast<int>(WindowLayout::kColumnCount);

const QString kDevices = QStringLiteral("Devices");
const QString kSensors = QStringLiteral("Sensors");
const QString kScan = QStringLiteral("Scan");
const QString kGa = QStringLiteral("GA");
const QString kMathConstants = QStringLiteral("MatParserConst");
const QString kColumnWidths = QStringLiteral("ListView1.ColWidth");
const QString kFormSize = QStringLiteral("FormSize");

QString indexed(const char* name, int index)
{
    return QLatin1String(name) + QString::number(index);
}

QString shown(const QVariant& value)
{
    if (value.typeId() == QMetaType::QByteArray)
        return QStringLiteral("%1 bytes").arg(value.toByteArray().size());
    QString text = value.typeId() == QMetaType::QStringList
                       ? value.toStringList().join(QStringLiteral(", "))
                       : value.toString();
    if (text.size() > 40)
        text = text.left(40) + QStringLiteral("…");
    return QLatin1Char('"') + text + QLatin1Char('"');
}

bool isNumberType(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

// The group as it is spelled in the file; registry keys are found without regard to case.
QString storedGroupName(const QSettings& settings, const QString& group)
{
    const QStringList groups = settings.childGroups();
    if (groups.contains(group))
        return group;
    for (const QString& stored : groups) {
        if (stored.compare(group, Qt::CaseInsensitive) == 0)
            return stored;
    }
    return group;
}

// Reads the values of one group, finding names without regard to case and noting every value
// that cannot be taken. Missing values are silent: older configurations lack many.
class GroupReader
{
public:
    GroupReader(QSettings& settings, const QString& group, QStringList& ignored)
        : m_settings(settings)
        , m_group(group)
        , m_ignored(ignored)
    {
        if (!m_group.isEmpty())
            m_settings.beginGroup(storedGroupName(settings, group));
        const QStringList keys = m_settings.childKeys();
        for (const QString& key : keys) {
            m_exact.insert(key);
            m_byLowerCase.insert(key.toLower(), key); // any of several spellings will do
        }
    }
    ~GroupReader()
    {
        if (!m_group.isEmpty())
            m_settings.endGroup();
    }
    GroupReader(const GroupReader&) = delete;
    GroupReader& operator=(const GroupReader&) = delete;

    bool isEmpty() const { return m_exact.isEmpty(); }

    std::optional<QVariant> raw(const QString& name) const
    {
        if (m_exact.contains(name))
            return m_settings.value(name);
        const auto found = m_byLowerCase.constFind(name.toLower());
        if (found == m_byLowerCase.constEnd())
            return std::nullopt;
        return m_settings.value(found.value());
    }

    std::optional<qint64> integer(const QString& name, qint64 minimum = kI32Min,
                                  qint64 maximum = kI32Max) const
    {
        const auto value = raw(name);
        if (!value)
            return std::nullopt;
        const auto number = toInteger(*value);
        if (!number)
            return ignore(name, *value, QStringLiteral("is not an integer"));
        if (*number < minimum || *number > maximum)
            return ignore(name, *value,
                          QStringLiteral("is outside %1 .. %2").arg(minimum).arg(maximum));
        return number;
    }

    std::optional<bool> boolean(const QString& name) const
    {
        const auto value = raw(name);
        if (!value)
            return std::nullopt;
        if (value->typeId() == QMetaType::Bool)
            return value->toBool();
        if (const auto number = toInteger(*value))
            return *number != 0;
        const QString text = value->toString().trimmed();
        if (value->typeId() == QMetaType::QString) {
            if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
                return true;
            if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
                return false;
        }
        return ignore(name, *value, QStringLiteral("is not a boolean"));
    }

    std::optional<QString> string(const QString& name) const
    {
        const auto value = raw(name);
        if (!value)
            return std::nullopt;
        if (value->typeId() == QMetaType::QString || isNumberType(*value))
            return value->toString();
        // An INI value with a comma outside quotes reads back as a list: the text it was.
        if (value->typeId() == QMetaType::QStringList)
            return value->toStringList().join(QStringLiteral(", "));
        return ignore(name, *value, QStringLiteral("is not a text"));
    }

    // Eight bytes of a little-endian double, as stored; a plain decimal text (with a point)
    // is taken too, since people edit the file by hand.
    std::optional<double> real(const QString& name) const
    {
        const auto value = raw(name);
        if (!value)
            return std::nullopt;
        std::optional<double> number;
        if (value->typeId() == QMetaType::QByteArray) {
            number = DateTime::fromBinary(value->toByteArray());
        } else if (value->typeId() == QMetaType::QString || isNumberType(*value)) {
            bool ok = false;
            const double parsed = value->toString().trimmed().toDouble(&ok);
            if (ok)
                number = parsed;
        } else if (value->typeId() == QMetaType::Double) {
            number = value->toDouble();
        }
        if (!number || !std::isfinite(*number))
            return ignore(name, *value, QStringLiteral("is not an 8-byte number"));
        return number;
    }

    template <typename T>
    void readInteger(const QString& name, T& field, qint64 minimum, qint64 maximum) const
    {
        if (const auto value = integer(name, minimum, maximum))
            field = static_cast<T>(*value);
    }
    void readBoolean(const QString& name, bool& field) const
    {
        if (const auto value = boolean(name))
            field = *value;
    }
    void readString(const QString& name, QString& field) const
    {
        if (auto value = string(name))
            field = std::move(*value);
    }
    void readReal(const QString& name, double& field) const
    {
        if (const auto value = real(name))
            field = *value;
    }

    std::nullopt_t ignore(const QString& name, const QVariant& value, const QString& why) const
    {
        m_ignored << QStringLiteral("%1/%2: %3 %4").arg(m_group, name, shown(value), why);
        return std::nullopt;
    }
    void note(const QString& text) const { m_ignored << m_group + QStringLiteral(": ") + text; }

private:
    static std::optional<qint64> toInteger(const QVariant& value)
    {
        if (isNumberType(value))
            return value.toLongLong();
        if (value.typeId() == QMetaType::Bool)
            return value.toBool() ? 1 : 0;
        if (value.typeId() != QMetaType::QString)
            return std::nullopt;
        bool ok = false;
        const qint64 number = value.toString().trimmed().toLongLong(&ok, 10);
        return ok ? std::optional(number) : std::nullopt;
    }

    QSettings& m_settings;
    QString m_group;
    QStringList& m_ignored;
    QSet<QString> m_exact;
    QHash<QString, QString> m_byLowerCase;
};

// Writes the values of one group. A value stored under another spelling of the same name
// (written by hand, or by another program) is replaced, so that one value stays per name.
class GroupWriter
{
public:
    GroupWriter(QSettings& settings, const QString& group)
        : m_settings(settings)
    {
        m_settings.beginGroup(group);
        const QStringList keys = m_settings.childKeys();
        for (const QString& key : keys)
            m_byLowerCase.insert(key.toLower(), key);
    }
    ~GroupWriter() { m_settings.endGroup(); }
    GroupWriter(const GroupWriter&) = delete;
    GroupWriter& operator=(const GroupWriter&) = delete;

    void integer(const QString& name, qint64 value)
    {
        write(name, QVariant(static_cast<int>(value)));
    }
    void boolean(const QString& name, bool value) { write(name, QVariant(value ? 1 : 0)); }
    void string(const QString& name, const QString& value) { write(name, QVariant(value)); }
    void real(const QString& name, double value)
    {
        write(name, QVariant(DateTime::toBinary(value)));
    }
    void remove(const QString& name)
    {
        removeOtherSpelling(name);
        m_settings.remove(name);
    }

private:
    void write(const QString& name, const QVariant& value)
    {
        removeOtherSpelling(name);
        m_settings.setValue(name, value);
    }
    void removeOtherSpelling(const QString& name)
    {
        const auto found = m_byLowerCase.constFind(name.toLower());
        if (found != m_byLowerCase.constEnd() && found.value() != name)
            m_settings.remove(found.value());
    }

    QSettings& m_settings;
    QHash<QString, QString> m_byLowerCase;
};

template <typename Record> struct I16Field
{
    const char* name;
    qint16 Record::*member;
    qint64 minimum = kI16Min;
    qint64 maximum = kI16Max;
};

template <typename Record> struct StringField
{
    const char* name;
    QString Record::*member;
};

template <typename Record> struct BoolField
{
    const char* name;
    bool Record::*member;
};

template <typename Record> struct RealField
{
    const char* name;
    double Record::*member;
};

const I16Field<DeviceRecord> kDeviceIntegers[] = {
    {"Canals", &DeviceRecord::Canals, 0, static_cast<qint64>(DeviceRecord::kMaxChannels)},
    {"Lumirex", &DeviceRecord::Lumirex},
    {"Prot", &DeviceRecord::Prot},
    {"Modbus", &DeviceRecord::Modbus},
    {"Regtype", &DeviceRecord::Regtype},
    {"Prcount", &DeviceRecord::Prcount},
    {"FirstPr", &DeviceRecord::FirstPr},
    {"timer_in", &DeviceRecord::timer_in},
    {"alarm_in", &DeviceRecord::alarm_in},
    {"Prtype", &DeviceRecord::Prtype},
    {"Sttype", &DeviceRecord::Sttype},
    {"Pidtype", &DeviceRecord::Pidtype},
    {"Zon", &DeviceRecord::Zon},
    {"stim", &DeviceRecord::stim},
    {"sti", &DeviceRecord::sti},
    {"Err", &DeviceRecord::Err},
    {"ParamFromDriver", &DeviceRecord::ParamFromDriver},
};
const StringField<DeviceRecord> kDeviceStrings[] = {
    {"Name", &DeviceRecord::Name}, {"NetAdress", &DeviceRecord::NetAdress},
    {"Port", &DeviceRecord::Port}, {"BaudRate", &DeviceRecord::BaudRate},
    {"IP", &DeviceRecord::IP},     {"IPPort", &DeviceRecord::IPPort},
};
const BoolField<DeviceRecord> kDeviceBooleans[] = {
    {"YesRJ45", &DeviceRecord::YesRJ45},
    {"ybase", &DeviceRecord::ybase},
};
const RealField<DeviceRecord> kDeviceDateTimes[] = {
    {"ltim", &DeviceRecord::ltim},
    {"rtim", &DeviceRecord::rtim},
    {"lti", &DeviceRecord::lti},
    {"rti", &DeviceRecord::rti},
};

const I16Field<SensorRecord> kSensorIntegers[] = {
    {"Protocol", &SensorRecord::Protocol},
    {"Dopusk", &SensorRecord::Dopusk},
    {"Sluj", &SensorRecord::Sluj},
};
const StringField<SensorRecord> kSensorStrings[] = {
    {"Adr", &SensorRecord::Adr},
    {"Name", &SensorRecord::Name},
    {"Dimension", &SensorRecord::Dimension},
};
const BoolField<SensorRecord> kSensorBooleans[] = {
    {"Aktiv", &SensorRecord::Aktiv},
    {"AktivBase", &SensorRecord::AktivBase},
};

// Register addresses were kept as signed 16-bit values: an address above 0x7FFF may come
// back negative.
constexpr qint64 kRegisterMin = kI16Min;
constexpr qint64 kRegisterMax = 0xFFFF;

// Bounded by the table's capacity; a negative count loads nothing.
int boundedCount(const GroupReader& group, const QString& name, int capacity)
{
    const auto count = group.integer(name, kI32Min, kI32Max);
    if (!count || *count <= 0) {
        if (count && *count < 0)
            group.note(QStringLiteral("%1 %2 is negative; nothing loaded").arg(name).arg(*count));
        return 0;
    }
    if (*count > capacity) {
        group.note(QStringLiteral("%1 %2 exceeds the capacity; the first %3 loaded")
                       .arg(name)
                       .arg(*count)
                       .arg(capacity));
        return capacity;
    }
    return static_cast<int>(*count);
}

DeviceRecord readDevice(const GroupReader& group, int i, const Settings& settings, double now)
{
    DeviceRecord device;
    device.Port = settings.value(u"ComPort.Port").toString();
    device.BaudRate = settings.value(u"ComPort.BaudRate").toString();
    device.lti = now;
    device.rti = now;
    for (const auto& field : kDeviceStrings)
        group.readString(indexed(field.name, i), device.*field.member);
    for (const auto& field : kDeviceIntegers)
        group.readInteger(indexed(field.name, i), device.*field.member, field.minimum,
                          field.maximum);
    for (const auto& field : kDeviceBooleans)
        group.readBoolean(indexed(field.name, i), device.*field.member);
    for (const auto& field : kDeviceDateTimes)
        group.readReal(indexed(field.name, i), device.*field.member);
    const auto& registers = RegisterMap::definitions();
    for (std::size_t r = 0; r < registers.size(); ++r) {
        const auto value = group.integer(indexed(registers[r].name, i), kRegisterMin, kRegisterMax);
        if (value)
            device.registers.set(static_cast<RegisterMap::Entry>(r),
                                 static_cast<quint16>(*value & 0xFFFF));
    }
    return device;
}

// Configurations before version 501 numbered the protocols without ASCII over TCP.
qint16 convertedProtocol(qint16 code)
{
    if (code < 0 || code == 2)
        return 3;
    if (code == 1)
        return 2;
    return code;
}

std::optional<float> toFloat(double value)
{
    if (std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max()))
        return std::nullopt;
    return static_cast<float>(value);
}

SensorRecord readSensor(const GroupReader& group, int i, const Settings& settings)
{
    SensorRecord sensor;
    sensor.Period = settings.pollingPeriodS();
    for (const auto& field : kSensorBooleans)
        group.readBoolean(indexed(field.name, i), sensor.*field.member);
    for (const auto& field : kSensorStrings)
        group.readString(indexed(field.name, i), sensor.*field.member);
    for (const auto& field : kSensorIntegers)
        group.readInteger(indexed(field.name, i), sensor.*field.member, field.minimum,
                          field.maximum);
    group.readInteger(indexed("CanType", i), sensor.CanType, 0, 255);
    group.readInteger(indexed("Period", i), sensor.Period, kI32Min, kI32Max);
    if (const auto value = group.integer(indexed("Ind", i), 0, kI16Max))
        sensor.Ind = static_cast<qint16>(*value);
    if (const auto value = group.integer(indexed("Can", i), 0, kI16Max))
        sensor.Can = static_cast<qint16>(*value);
    const QString masName = indexed("Mas", i);
    if (const auto value = group.real(masName)) {
        if (const auto mas = toFloat(*value))
            sensor.Mas = *mas;
        else
            group.note(QStringLiteral("%1 %2 is too large for a scale").arg(masName).arg(*value));
    }
    group.readReal(indexed("aTim", i), sensor.aTim);
    return sensor;
}

// `Adr` is what joins a sensor to its device; `Ind` is only the shortcut to it. A wrong `Ind`
// is mended from `Adr`. A sensor whose device is gone is kept, so that its name and settings
// survive the next save, but it is switched off and linked to nothing.
void linkToDevice(SensorRecord& sensor, int i, const DeviceTable& devices, const GroupReader& group)
{
    if (sensor.Ind && devices.isValidIndex(*sensor.Ind) &&
        devices.at(*sensor.Ind).NetAdress == sensor.Adr)
        return;
    const auto owner = devices.FindDeviceByAddress(sensor.Adr);
    if (owner) {
        if (sensor.Ind)
            group.note(QStringLiteral("Ind%1 %2 does not lead to device %3; set to %4")
                           .arg(i)
                           .arg(*sensor.Ind)
                           .arg(sensor.Adr)
                           .arg(*owner));
        sensor.Ind = static_cast<qint16>(*owner);
        return;
    }
    group.note(QStringLiteral("sensor %1 belongs to no device (Adr \"%2\"); kept switched off")
                   .arg(i)
                   .arg(sensor.Adr));
    sensor.Ind.reset();
    sensor.Aktiv = false;
}

void loadScan(QSettings& settings, ScanParameters& scan, QStringList& ignored)
{
    const GroupReader group(settings, kScan, ignored);
    group.readInteger(QStringLiteral("Scan_COM_or_IP"), scan.Scan_COM_or_IP, kI32Min, kI32Max);
    group.readInteger(QStringLiteral("Scan_COM_port"), scan.Scan_COM_port, kI32Min, kI32Max);
    group.readInteger(QStringLiteral("Scan_COM_rate"), scan.Scan_COM_rate, kI32Min, kI32Max);
    group.readInteger(QStringLiteral("Scan_IP_protocol"), scan.Scan_IP_protocol, kI32Min, kI32Max);
    group.readString(QStringLiteral("Scan_IP_adr"), scan.Scan_IP_adr);
    group.readString(QStringLiteral("Scan_IP_port"), scan.Scan_IP_port);
}

void noteFileState(const QSettings& settings, const QString& fileName, QStringList& ignored)
{
    if (settings.status() == QSettings::FormatError)
        ignored << QStringLiteral("%1: parts of the file could not be read").arg(fileName);
    else if (settings.status() == QSettings::AccessError)
        ignored << QStringLiteral("%1: the file cannot be read").arg(fileName);
}

FileResult finish(QSettings& settings, const QString& fileName)
{
    settings.sync();
    if (settings.status() != QSettings::NoError)
        return FileResult::failure(fileName, settings.status() == QSettings::AccessError
                                                 ? QStringLiteral("cannot be written")
                                                 : QStringLiteral("has a format error"));
    return FileResult::success(fileName);
}

void writeDevice(GroupWriter& group, const DeviceRecord& device, int i)
{
    for (const auto& field : kDeviceStrings)
        group.string(indexed(field.name, i), device.*field.member);
    for (const auto& field : kDeviceIntegers)
        group.integer(indexed(field.name, i), device.*field.member);
    for (const auto& field : kDeviceBooleans)
        group.boolean(indexed(field.name, i), device.*field.member);
    for (const auto& field : kDeviceDateTimes)
        group.real(indexed(field.name, i), device.*field.member);
    const auto& registers = RegisterMap::definitions();
    for (std::size_t r = 0; r < registers.size(); ++r)
        group.integer(indexed(registers[r].name, i),
                      device.registers.at(static_cast<RegisterMap::Entry>(r)));
}

void writeSensor(GroupWriter& group, const SensorRecord& sensor, int i)
{
    for (const auto& field : kSensorBooleans)
        group.boolean(indexed(field.name, i), sensor.*field.member);
    for (const auto& field : kSensorStrings)
        group.string(indexed(field.name, i), sensor.*field.member);
    for (const auto& field : kSensorIntegers)
        group.integer(indexed(field.name, i), sensor.*field.member);
    group.integer(indexed("CanType", i), sensor.CanType);
    group.integer(indexed("Period", i), sensor.Period);
    // An unknown link is left out rather than written as a number that would be believed.
    if (sensor.Ind)
        group.integer(indexed("Ind", i), *sensor.Ind);
    else
        group.remove(indexed("Ind", i));
    if (sensor.Can)
        group.integer(indexed("Can", i), *sensor.Can);
    else
        group.remove(indexed("Can", i));
    group.real(indexed("Mas", i), static_cast<double>(sensor.Mas));
    group.real(indexed("aTim", i), sensor.aTim);
}

std::optional<QVariant> settingValue(const GroupReader& group, const SettingDefinition& setting)
{
    switch (setting.type) {
    case SettingType::Integer:
        if (const auto value = group.integer(setting.name, kI32Min, kI32Max))
            return QVariant(static_cast<int>(*value));
        return std::nullopt;
    case SettingType::Boolean:
        if (const auto value = group.boolean(setting.name))
            return QVariant(*value);
        return std::nullopt;
    case SettingType::String:
        if (const auto value = group.string(setting.name))
            return QVariant(*value);
        return std::nullopt;
    case SettingType::Double:
        if (const auto value = group.real(setting.name))
            return QVariant(*value);
        return std::nullopt;
    }
    return std::nullopt;
}

void writeSetting(GroupWriter& group, const SettingDefinition& setting, const QVariant& value)
{
    switch (setting.type) {
    case SettingType::Integer:
        group.integer(setting.name, value.toInt());
        return;
    case SettingType::Boolean:
        group.boolean(setting.name, value.toBool());
        return;
    case SettingType::String:
        group.string(setting.name, value.toString());
        return;
    case SettingType::Double:
        group.real(setting.name, value.toDouble());
        return;
    }
}

// Without a stored value the settings window is placed by the start-up; a default written
// here would pin it to the corner from then on.
bool isPlacedAtStartUp(const QString& name)
{
    return name == QLatin1String("F1Top") || name == QLatin1String("F1Left");
}

void loadGa(QSettings& settings, Settings& target, QStringList& ignored)
{
    const GroupReader group(settings, kGa, ignored);
    for (const SettingDefinition& setting : Settings::definitions()) {
        const auto value = settingValue(group, setting);
        if (!value)
            continue;
        const SettingChange change = target.set(setting.name, *value);
        if (!change.accepted || change.clamped)
            group.note(change.message.isEmpty() ? setting.name + QStringLiteral(": refused")
                                                : change.message);
    }
}

QStringList loadMathConstants(QSettings& settings, QStringList& ignored)
{
    const GroupReader group(settings, kMathConstants, ignored);
    QStringList lines;
    for (int i = 0;; ++i) {
        const auto line = group.string(QString::number(i));
        if (!line)
            break;
        lines << *line;
    }
    return lines;
}

WindowLayout loadWindowLayout(QSettings& settings, QStringList& ignored)
{
    WindowLayout layout;
    {
        const GroupReader group(settings, kColumnWidths, ignored);
        for (int c = 0; c < kColumnCount; ++c) {
            if (const auto width = group.integer(QString::number(c)))
                layout.ColWidth[static_cast<std::size_t>(c)] = static_cast<int>(*width);
        }
    }
    const GroupReader group(settings, kFormSize, ignored);
    const auto maxi = group.integer(QStringLiteral("Maxi"));
    if (!maxi)
        return layout;
    layout.Maxi = *maxi != 0;
    // The geometry is read in order and reading stops at the first value that is missing.
    std::optional<int>* const fields[] = {&layout.Left, &layout.Top, &layout.Width, &layout.Height};
    const char* const names[] = {"Left", "Top", "Width", "Height"};
    for (std::size_t f = 0; f < std::size(fields); ++f) {
        const auto value = group.integer(QLatin1String(names[f]));
        if (!value)
            break;
        *fields[f] = static_cast<int>(*value);
    }
    return layout;
}

} // namespace

ConfigStore::ConfigStore(QString iniFilePath)
    : m_fileName(std::move(iniFilePath))
{}

ConfigLoadReport ConfigStore::loadDevicesAndSensors(Station& station) const
{
    ConfigLoadReport report;
    station.devices().clear();
    station.sensors().clear();
    QSettings settings(m_fileName, QSettings::IniFormat);
    noteFileState(settings, m_fileName, report.ignored);

    int deviceCount = 0;
    {
        const GroupReader group(settings, kDevices, report.ignored);
        deviceCount = boundedCount(group, QStringLiteral("Devcount"), DeviceTable::kCapacity);
        const double now = DateTime::now();
        for (int i = 0; i < deviceCount; ++i)
            station.devices().append(readDevice(group, i, station.settings(), now));
        const auto gaVersion = group.integer(QStringLiteral("ga_ver"));
        if (deviceCount > 0 && gaVersion.value_or(0) == 0) {
            for (int i = 0; i < deviceCount; ++i)
                station.devices().edit(i, [](DeviceRecord& device) {
                    device.Modbus = convertedProtocol(device.Modbus);
                });
        }
    }
    if (deviceCount > 0) {
        const GroupReader group(settings, kSensors, report.ignored);
        const int sensorCount =
            boundedCount(group, QStringLiteral("SensCount"), SensorTable::kCapacity);
        for (int i = 0; i < sensorCount; ++i) {
            SensorRecord sensor = readSensor(group, i, station.settings());
            linkToDevice(sensor, i, station.devices(), group);
            station.sensors().append(std::move(sensor));
        }
    }
    loadScan(settings, station.scan(), report.ignored);
    return report;
}

FileResult ConfigStore::saveDevicesAndSensors(const Station& station) const
{
    QSettings settings(m_fileName, QSettings::IniFormat);
    {
        GroupWriter group(settings, kDevices);
        const DeviceTable& devices = station.devices();
        group.integer(QStringLiteral("Devcount"), devices.Devcount());
        for (int i = 0; i < devices.Devcount(); ++i)
            writeDevice(group, devices.at(i), i);
        group.integer(QStringLiteral("ga_ver"), kGaVersion);
    }
    {
        GroupWriter group(settings, kSensors);
        const SensorTable& sensors = station.sensors();
        group.integer(QStringLiteral("SensCount"), sensors.SensCount());
        for (int i = 0; i < sensors.SensCount(); ++i)
            writeSensor(group, sensors.at(i), i);
    }
    {
        GroupWriter group(settings, kScan);
        const ScanParameters& scan = station.scan();
        group.integer(QStringLiteral("Scan_COM_or_IP"), scan.Scan_COM_or_IP);
        group.integer(QStringLiteral("Scan_COM_port"), scan.Scan_COM_port);
        group.integer(QStringLiteral("Scan_COM_rate"), scan.Scan_COM_rate);
        group.integer(QStringLiteral("Scan_IP_protocol"), scan.Scan_IP_protocol);
        group.string(QStringLiteral("Scan_IP_adr"), scan.Scan_IP_adr);
        group.string(QStringLiteral("Scan_IP_port"), scan.Scan_IP_port);
    }
    return finish(settings, m_fileName);
}

ConfigLoadReport ConfigStore::loadSettings(Station& station) const
{
    ConfigLoadReport report;
    QSettings settings(m_fileName, QSettings::IniFormat);
    noteFileState(settings, m_fileName, report.ignored);
    loadGa(settings, station.settings(), report.ignored);
    station.mathConstants() = loadMathConstants(settings, report.ignored);
    station.windowLayout() = loadWindowLayout(settings, report.ignored);
    return report;
}

FileResult ConfigStore::saveSettings(const Station& station) const
{
    QSettings settings(m_fileName, QSettings::IniFormat);
    settings.remove(kMathConstants);
    {
        GroupWriter group(settings, kMathConstants);
        const QStringList& lines = station.mathConstants();
        for (qsizetype i = 0; i < lines.size(); ++i)
            group.string(QString::number(i), lines[i]);
    }
    {
        GroupWriter group(settings, kGa);
        for (const SettingDefinition& setting : Settings::definitions()) {
            if (isPlacedAtStartUp(setting.name) && !station.settings().hasBeenSet(setting.name))
                continue;
            writeSetting(group, setting, station.settings().value(setting.name));
        }
    }
    const WindowLayout& layout = station.windowLayout();
    {
        GroupWriter group(settings, kColumnWidths);
        for (int c = 0; c < kColumnCount; ++c) {
            if (const auto width = layout.ColWidth[static_cast<std::size_t>(c)])
                group.integer(QString::number(c), *width);
        }
    }
    {
        GroupWriter group(settings, kFormSize);
        if (layout.Maxi)
            group.integer(QStringLiteral("Maxi"), *layout.Maxi ? 1 : 0);
        const std::pair<const char*, std::optional<int>> geometry[] = {{"Left", layout.Left},
                                                                       {"Top", layout.Top},
                                                                       {"Width", layout.Width},
                                                                       {"Height", layout.Height}};
        for (const auto& [name, value] : geometry) {
            if (value)
                group.integer(QLatin1String(name), *value);
        }
    }
    return finish(settings, m_fileName);
}

std::optional<QString> ConfigStore::installPath() const
{
    QSettings settings(m_fileName, QSettings::IniFormat);
    QStringList ignored;
    const GroupReader root(settings, QString(), ignored);
    return root.string(QStringLiteral("Install path"));
}

} // namespace vostrand::core

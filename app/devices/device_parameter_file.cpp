#include "devices/device_parameter_file.h"

#include "core/file_name_sanitizer.h"
#include "core/sensor_table.h"

#include <cmath>
#include <limits>

#include <QDir>

namespace vostrand::devices {

namespace {

using core::RegisterMap;

// The register entries a device being added takes from the file; the rest keep their
// defaults.
constexpr std::array kAddDeviceEntries = {
    RegisterMap::MT0000,   RegisterMap::MSp0030,     RegisterMap::MPw0060,
    RegisterMap::MPrg0160, RegisterMap::MPrN017B,    RegisterMap::MPrS017C,
    RegisterMap::MRun0180, RegisterMap::MTyA019A,    RegisterMap::MSeA01B9,
    RegisterMap::MCoA01D1, RegisterMap::MTyT0200,    RegisterMap::MSpT0201,
    RegisterMap::MTiT0206, RegisterMap::MDopOut0208, RegisterMap::MReT0209,
    RegisterMap::MReT020B, RegisterMap::MSoT020C,    RegisterMap::MArN0205,
    RegisterMap::MArA0212, RegisterMap::MStatus0221,
};

constexpr qint16 kSerialProtocols[] = {0, 1, 3};
constexpr qint16 kTcpProtocols[] = {0, 1, 2};

QString lowered(QStringView text)
{
    return text.trimmed().toString().toLower();
}

std::optional<QString> find(const std::map<QString, QString>& section, QStringView key)
{
    const auto found = section.find(lowered(key));
    if (found == section.end())
        return std::nullopt;
    return found->second;
}

qint16 integer(const std::map<QString, QString>& section, QStringView key, qint16 fallback)
{
    const auto text = find(section, key);
    bool ok = false;
    const int value = text ? text->trimmed().toInt(&ok) : 0;
    if (!ok || value < std::numeric_limits<qint16>::min() ||
        value > std::numeric_limits<qint16>::max())
        return fallback;
    return static_cast<qint16>(value);
}

quint16 registerAddress(const std::map<QString, QString>& section, QStringView key,
                        quint16 fallback)
{
    const auto text = find(section, key);
    bool ok = false;
    const uint value = text ? text->trimmed().toUInt(&ok, 16) : 0;
    if (!ok || value > 0xFFFF)
        return fallback;
    return static_cast<quint16>(value);
}

float scale(const std::map<QString, QString>& section, float fallback)
{
    const auto text = find(section, u"Mas");
    if (!text)
        return fallback;
    // Written in the regional format: either decimal separator.
    QString number = text->trimmed();
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return fallback;
    return static_cast<float>(value);
}

quint8 dataType(const std::map<QString, QString>& section, quint8 fallback)
{
    const qint16 value = integer(section, u"CanType", fallback);
    return value >= 0 && value <= 0xFF ? static_cast<quint8>(value) : fallback;
}

} // namespace

const QString DeviceParameterFile::kFolderName = QStringLiteral("Options");

QString DeviceParameterFile::fileName(QStringView deviceName)
{
    return QStringLiteral("Driver_") + core::FileNameSanitizer::sanitize(deviceName) +
           QStringLiteral(".ini");
}

QString DeviceParameterFile::folder(const QString& dataFolder)
{
    return QDir(dataFolder).filePath(kFolderName);
}

QString DeviceParameterFile::path(const QString& dataFolder, QStringView deviceName)
{
    return QDir(folder(dataFolder)).filePath(fileName(deviceName));
}

ParameterFileRead DeviceParameterFile::read(const QString& path)
{
    const core::TextFileLines lines = core::TextCodec::readLines(path);
    ParameterFileRead read{lines.result, lines.notFound, std::nullopt};
    if (lines.result.ok)
        read.file = parse(lines.lines);
    return read;
}

DeviceParameterFile DeviceParameterFile::parse(const QStringList& lines)
{
    DeviceParameterFile file;
    Section* current = nullptr;
    for (const QString& line : lines) {
        const QStringView text = QStringView(line).trimmed();
        if (text.isEmpty() || text.startsWith(u';'))
            continue;
        if (text.startsWith(u'[') && text.endsWith(u']')) {
            current = &file.m_sections[lowered(text.mid(1, text.size() - 2))];
            continue;
        }
        const qsizetype equals = text.indexOf(u'=');
        if (current == nullptr || equals <= 0)
            continue;
        current->try_emplace(lowered(text.left(equals)), text.mid(equals + 1).trimmed().toString());
    }
    return file;
}

std::optional<QString> DeviceParameterFile::value(QStringView sectionName, QStringView key) const
{
    const Section* found = section(sectionName);
    return found ? find(*found, key) : std::nullopt;
}

const DeviceParameterFile::Section* DeviceParameterFile::section(QStringView name) const
{
    const auto found = m_sections.find(lowered(name));
    return found == m_sections.end() ? nullptr : &found->second;
}

void DeviceParameterFile::apply(core::DeviceRecord& device, core::SensorTable& sensors,
                                int deviceIndex, Reader reader) const
{
    applyChannels(device, sensors, deviceIndex);
    if (const Section* found = section(u"Device"))
        applyDevice(*found, device, reader);
    device.ParamFromDriver = 1;
}

void DeviceParameterFile::applyChannels(const core::DeviceRecord& device,
                                        core::SensorTable& sensors, int deviceIndex) const
{
    const core::SensorRecord defaults;
    for (int channel = 0; channel < device.Canals; ++channel) {
        const Section* found = section(QString::number(channel));
        if (!found)
            continue;
        for (int i = 0; i < sensors.SensCount(); ++i) {
            const core::SensorRecord& sensor = sensors.at(i);
            if (sensor.Ind != deviceIndex || sensor.Can != channel)
                continue;
            sensors.edit(i, [&](core::SensorRecord& edited) {
                edited.Dimension = find(*found, u"Dimension").value_or(QString());
                edited.Mas = scale(*found, defaults.Mas);
                edited.CanType = dataType(*found, defaults.CanType);
            });
        }
    }
}

void DeviceParameterFile::applyDevice(const Section& section, core::DeviceRecord& record,
                                      Reader reader) const
{
    record.Regtype = integer(section, u"RegType", 0);
    record.Lumirex = integer(section, u"Lumirex", 0);
    record.Prcount = integer(section, u"PrCount", 20);
    record.Prtype = integer(section, u"PrType", 0);
    record.FirstPr = integer(section, u"FirstPr", 0);
    record.timer_in = integer(section, u"timer_in", 0);
    record.alarm_in = integer(section, u"alarm_in", 0);

    const auto& definitions = RegisterMap::definitions();
    const auto setEntry = [&](RegisterMap::Entry entry) {
        const RegisterMap::Definition& definition = definitions[entry];
        record.registers.set(entry, registerAddress(section, QString::fromLatin1(definition.name),
                                                    definition.defaultAddress));
    };
    if (reader == Reader::DeviceSearch) {
        for (std::size_t entry = 0; entry < RegisterMap::kSize; ++entry)
            setEntry(static_cast<RegisterMap::Entry>(entry));
        return;
    }
    for (const RegisterMap::Entry entry : kAddDeviceEntries)
        setEntry(entry);
    // The file its own tab writes has no protocol code: without one, the protocol the device
    // was just identified with stays; a code the link cannot carry is not taken either.
    if (!find(section, u"Modbus"))
        return;
    const qint16 code = integer(section, u"Modbus", -1);
    const auto& fitting = record.YesRJ45 ? kTcpProtocols : kSerialProtocols;
    if (std::find(std::begin(fitting), std::end(fitting), code) != std::end(fitting))
        record.Modbus = code;
}

} // namespace vostrand::devices

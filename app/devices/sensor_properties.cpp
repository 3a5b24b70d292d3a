#include "devices/sensor_properties.h"

#include "acquisition/program_status.h"
#include "core/date_time.h"
#include "core/lang.h"
#include "core/station.h"

#include <cmath>

namespace vostrand::devices {

namespace {

constexpr QChar kLineEnd = QLatin1Char('\r');

QString protocolName(qint16 code, bool serial)
{
    switch (code) {
    case 0:
        return QStringLiteral("Modbus ASCII");
    case 1:
        return QStringLiteral("Modbus RTU");
    case 2:
        return QStringLiteral("Modbus TCP/IP");
    case 3:
        return serial ? QStringLiteral("Vostrand") : QString();
    default:
        return QString();
    }
}

QString dataTypeText(const core::SensorRecord& sensor)
{
    return sensor.CanType == core::SensorRecord::kFloat16Type
               ? QStringLiteral("16 бит вещественное")
               : QString();
}

QString stepKindText(const acquisition::ProgramWords& words)
{
    const auto& s = words.status;
    switch (s[2]) {
    case 0:
        return QStringLiteral(" Нагрев(Охлаждение) ") + QString::number(s[4] / 10) +
               QStringLiteral(" °C/мин") + kLineEnd;
    case 1:
        return QStringLiteral(" Выдержка еще ") + QString::number(s[3]) + QStringLiteral(" мин") +
               kLineEnd;
    case 2:
        return QStringLiteral(" Переход           - ") + kLineEnd;
    case 3:
        return QStringLiteral(" Стоп") + kLineEnd;
    default:
        return QStringLiteral(" Статус не определен") + kLineEnd;
    }
}

} // namespace

QStringList SensorProperties::scaleChoices(QChar decimalSeparator)
{
    const QString point(decimalSeparator);
    return {QStringLiteral("0") + point + QStringLiteral("001"),
            QStringLiteral("0") + point + QStringLiteral("01"),
            QStringLiteral("0") + point + QStringLiteral("1"),
            QStringLiteral("1"),
            QStringLiteral("10"),
            QStringLiteral("100"),
            QStringLiteral("1000")};
}

int SensorProperties::scaleIndexOf(float mas)
{
    for (std::size_t i = 0; i < kScales.size(); ++i) {
        const float v = kScales[i];
        if (0.9f * v < mas && mas < 1.1f * v)
            return static_cast<int>(i);
    }
    return kDefaultScaleIndex;
}

QStringList SensorProperties::serviceZoneChoices()
{
    QStringList choices;
    for (const qint16 zone : kServiceZones)
        choices << QString::number(zone);
    return choices;
}

int SensorProperties::serviceZoneIndexOf(qint16 sluj)
{
    for (std::size_t i = 0; i < kServiceZones.size(); ++i) {
        if (kServiceZones[i] == sluj)
            return static_cast<int>(i);
    }
    return 0;
}

QString SensorProperties::unitsFromInput(QStringView typed)
{
    QString units = typed.toString();
    units.replace(QLatin1Char('/'), QLatin1Char(' '));
    units.truncate(core::SensorRecord::kDimensionLength);
    return units;
}

QString SensorProperties::scaleText(double mas)
{
    if (!(mas > 0.0) || !std::isfinite(mas))
        return QStringLiteral("0.1");
    const long n = std::lround(std::log10(mas));
    if (n >= 0 && n <= 6)
        return QStringLiteral("1") + QString(static_cast<int>(n), QLatin1Char('0'));
    if (n >= -6 && n <= -1)
        return QStringLiteral("0.") + QString(static_cast<int>(-n - 1), QLatin1Char('0')) +
               QLatin1Char('1');
    return QString();
}

QString SensorProperties::summary(const core::Lang& lang, const core::SensorRecord& sensor,
                                  const core::DeviceRecord* device, const SummaryContext& context)
{
    const auto t = [&lang](QStringView name) {
        return lang.text(name);
    };
    QString text = t(u"Prop_gaug") + QStringLiteral("\r\r");
    text += t(u"Name_sensor") + QStringLiteral("\t\t") + sensor.Name + kLineEnd;
    if (!device) {
        if (context.databaseCurrent)
            text += QStringLiteral("Период текущих в базу, сек \t") +
                    QString::number(sensor.Period) + kLineEnd;
        return text;
    }
    text += t(u"Device") + QStringLiteral("\t\t\t") + device->Name + kLineEnd;
    const bool math = device->isMathDevice();

    const auto linkLines = [&](bool serial) {
        text += t(u"CanType") + QStringLiteral("\t\t") + dataTypeText(sensor) + kLineEnd;
        const QString protocol = protocolName(device->Modbus, serial);
        if (!protocol.isEmpty())
            text += t(u"Protocol") + QStringLiteral("\t\t") + protocol + kLineEnd;
    };
    if (device->YesRJ45) {
        text += t(u"IP") + QStringLiteral("\t\t\t") + device->IP + kLineEnd;
        text += t(u"IP_Port") + QStringLiteral("\t\t\t") + device->IPPort + kLineEnd;
        linkLines(false);
    } else if (!math) {
        text += t(u"Port") + QStringLiteral("\t\t\t") + device->Port + kLineEnd;
        text += t(u"Baund") + QStringLiteral("\t\t") + device->BaudRate + kLineEnd;
        linkLines(true);
    }

    if (device->Lumirex == 0 && !math) {
        text += t(u"Sluj") + QStringLiteral("\t\t") + QString::number(sensor.Sluj) + kLineEnd;
        text += t(u"Scale") + QStringLiteral("\t\t\t") + scaleText(sensor.Mas) + kLineEnd;
    }

    if (device->Regtype == core::DeviceRecord::kProgramRegulator && context.polling) {
        const acquisition::ProgramWords words =
            acquisition::ProgramWords::ofChannel(*device, sensor.Can.value_or(-1));
        text += QStringLiteral("Программный регулятор") + kLineEnd;
        text += QStringLiteral("Программа ") +
                acquisition::ProgramStatus::numberText(words.status[0]) +
                acquisition::ProgramStatus::runStateText(words.run) + kLineEnd;
        text += QStringLiteral("Шаг ") + acquisition::ProgramStatus::numberText(words.status[1]) +
                stepKindText(words);
    }

    if (context.databaseCurrent)
        text += QStringLiteral("Период текущих в базу, сек \t") + QString::number(sensor.Period) +
                kLineEnd;
    if (device->ybase && !math)
        text += QStringLiteral("Подкачан в базу до \t") +
                context.regional.formatDateTime(core::DateTime::toDateTime(device->ltim));
    return text;
}

bool SensorProperties::keyHolds(const core::Station& station, int index, const SensorKey& key)
{
    return station.sensors().isValidIndex(index) && key.matches(station.sensors().at(index));
}

bool SensorProperties::setUnits(core::Station& station, int index, const SensorKey& key,
                                const QString& units)
{
    if (!keyHolds(station, index, key))
        return false;
    const QString stored = unitsFromInput(units);
    station.sensors().edit(index, [&](core::SensorRecord& sensor) { sensor.Dimension = stored; });
    return true;
}

bool SensorProperties::setScale(core::Station& station, int index, const SensorKey& key, float mas)
{
    if (!keyHolds(station, index, key))
        return false;
    station.sensors().edit(index, [mas](core::SensorRecord& sensor) { sensor.Mas = mas; });
    return true;
}

bool SensorProperties::setServiceZone(core::Station& station, int index, const SensorKey& key,
                                      qint16 zone)
{
    if (!keyHolds(station, index, key))
        return false;
    station.sensors().edit(index, [zone](core::SensorRecord& sensor) { sensor.Sluj = zone; });
    if (const auto owner = station.sensors().ownerOf(index, station.devices()))
        station.devices().edit(*owner, [zone](core::DeviceRecord& device) { device.Zon = zone; });
    return true;
}

} // namespace vostrand::devices

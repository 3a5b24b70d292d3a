#include "acquisition/sensor_hint.h"

#include "acquisition/program_status.h"
#include "core/date_time.h"

#include <cmath>
#include <cstdlib>

namespace vostrand::acquisition {

namespace {

const QString kSeparator = QStringLiteral(" - ");
const QChar kLineEnd = QLatin1Char('\r');

QString protocolName(qint16 code, bool overTcp)
{
    switch (code) {
    case 0:
        return QStringLiteral(" - Modbus ASCII");
    case 1:
        return QStringLiteral(" - Modbus RTU");
    case 2:
        return QStringLiteral(" - Modbus TCP/IP");
    case 3:
        // The maker's protocol has no TCP form.
        return overTcp ? QString() : QStringLiteral(" - Vostrand");
    default:
        return {};
    }
}

QString stepKindText(const ProgramWords& words)
{
    const auto& s = words.status;
    switch (s[2]) {
    case 0:
        // The rate is kept in tenths of a degree per minute.
        return QStringLiteral(" Нагрев/Охлаждение - ") + QString::number(s[4] / 10) +
               QStringLiteral(" °C/мин");
    case 1:
        return QStringLiteral(" Выдержка еще - ") + QString::number(s[3]) + QStringLiteral(" мин");
    case 2:
        return QStringLiteral(" Переход - ");
    case 3:
        return QStringLiteral(" Стоп");
    default:
        return QStringLiteral(" статус не определен");
    }
}

} // namespace

bool SensorHint::enabled(const core::Settings& settings)
{
    return settings.value(u"Hint_schow").toBool();
}

QString SensorHint::scaleText(float mas)
{
    if (!(mas > 0.0f) || !std::isfinite(mas))
        return QStringLiteral("0.1");
    const long n = std::lround(std::log10(static_cast<double>(mas)));
    if (n >= 0 && n <= 6)
        return QStringLiteral("1") + QString(static_cast<qsizetype>(n), QLatin1Char('0'));
    if (n < 0 && n >= -6)
        return QStringLiteral("0.") + QString(static_cast<qsizetype>(-n - 1), QLatin1Char('0')) +
               QLatin1Char('1');
    return {};
}

QString SensorHint::text(const StationSnapshot& snapshot, int sensorIndex, const core::Lang& lang,
                         const core::RegionalFormat& regional)
{
    if (!snapshot.sensors.isValidIndex(sensorIndex))
        return {};
    const core::SensorRecord& sensor = snapshot.sensors.at(sensorIndex);
    const auto owner = snapshot.sensors.ownerOf(sensorIndex, snapshot.devices);
    const core::DeviceRecord* device = owner ? &snapshot.devices.at(*owner) : nullptr;
    const bool math = sensor.isFormula() || (device && device->isMathDevice());

    QString hint;
    const auto line = [&hint](const QString& text) {
        hint += text + kLineEnd;
    };
    line(lang.text(u"Name_Sensor") + kSeparator + sensor.Name);
    line(lang.text(u"Device") + kSeparator + (device ? device->Name : QString()));
    if (device && !math) {
        if (device->YesRJ45) {
            line(lang.text(u"IP") + kSeparator + device->IP);
            line(lang.text(u"IP_Port") + kSeparator + device->IPPort);
        } else {
            line(lang.text(u"Port") + kSeparator + device->Port);
            line(lang.text(u"Baund") + kSeparator + device->BaudRate);
        }
        if (const QString name = protocolName(device->Modbus, device->YesRJ45); !name.isEmpty())
            line(lang.text(u"Protocol") + name);
    }
    if (!math)
        line(lang.text(u"Scale") + kSeparator + scaleText(sensor.Mas));
    if (device && !math && device->Regtype == core::DeviceRecord::kProgramRegulator &&
        snapshot.state == PollingState::Polling && sensor.Can) {
        const ProgramWords words = ProgramWords::ofChannel(*device, *sensor.Can);
        line(QStringLiteral("Программный регулятор"));
        line(QStringLiteral("Программа ") + ProgramStatus::numberText(words.status[0]) +
             ProgramStatus::runStateText(words.run));
        line(QStringLiteral("Шаг - ") + ProgramStatus::numberText(words.status[1]) +
             stepKindText(words));
    }
    if (sensor.Dopusk != 0) {
        const QString kind = sensor.Dopusk > 0 ? QStringLiteral(" нагреватель - ±")
                                               : QStringLiteral(" холодильник - ±");
        line(lang.text(u"Dopusk") + kind +
             regional.formatNumber(std::abs(sensor.Dopusk) / 10.0, 1));
    }
    if (snapshot.settings.databaseOn() && snapshot.settings.databaseAddCurrent())
        line(lang.text(u"Period_b") + kSeparator + QString::number(sensor.Period));
    if (device && !math && device->ybase)
        line(QStringLiteral("Подкачан в базу до ") + QStringLiteral("\t\t") +
             regional.formatDateTime(core::DateTime::toDateTime(device->ltim)));
    return hint;
}

} // namespace vostrand::acquisition

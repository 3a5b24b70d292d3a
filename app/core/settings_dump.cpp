#include "core/settings_dump.h"

#include "core/station.h"

#include <QDir>

namespace vostrand::core {

namespace {

QString onOff(bool on)
{
    return on ? QStringLiteral("включен") : QStringLiteral("выключен");
}

QString number(qint64 value)
{
    return QString::number(value);
}

void addPolling(QStringList& lines, const Station& station)
{
    const Settings& settings = station.settings();
    lines << QStringLiteral("Период опроса, c \t\t") + number(settings.pollingPeriodS())
          << QStringLiteral("Опрос уставки \t\t\t") + onOff(settings.readSetpoint())
          << QStringLiteral("Опрос мощности \t\t\t") + onOff(settings.readPower())
          << QStringLiteral("Опрос состояния программ \t") + onOff(settings.readProgramState()) +
                 QLatin1Char('\r')
          << QStringLiteral("Ждать ответ прибора, мc \t\t") + number(settings.replyTimeoutMs())
          << QStringLiteral("Неудачных попыток до отключения опроса прибора \t\t") +
                 number(settings.failedPollLimit())
          << QString()
          << QStringLiteral("Приборов в сети \t\t- ") + number(station.devices().Devcount());
}

void addDevice(QStringList& lines, const DeviceRecord& device, int number1)
{
    lines << QStringLiteral("Имя - ") + number(number1) + QStringLiteral("\t\t") + device.Name
          << QStringLiteral("\tАдрес\t\t\t") + device.NetAdress
          << QStringLiteral("\tКаналов\t\t\t") + number(device.Canals);
    if (device.Lumirex > 0)
        lines << QStringLiteral("\tLumirex\t\t\t") + number(device.Lumirex);
    lines << QStringLiteral("\tModbus\t\t") + number(device.Modbus)
          << QStringLiteral("\tТип регулятора\t\t") + number(device.Regtype)
          << QStringLiteral("\tПрограмм\t\t") + number(device.Prcount)
          << QStringLiteral("\tПервая программа\t") + number(device.FirstPr)
          << QStringLiteral("\tДоступ к вкладке timer\t\t") + number(device.timer_in)
          << QStringLiteral("\tДоступ к вкладке alarm\t\t") + number(device.alarm_in)
          << QStringLiteral("\tPrtype\t\t\t") + number(device.Prtype)
          << QStringLiteral("\tSttype\t\t\t") + number(device.Sttype)
          << QStringLiteral("\tPidtype\t\t\t") + number(device.Pidtype);
    if (device.YesRJ45)
        lines << QStringLiteral("\tIP\t\t\t") + device.IP
              << QStringLiteral("\tIPPort\t\t") + device.IPPort;
    else
        lines << QStringLiteral("\tPort\t\t\t") + device.Port
              << QStringLiteral("\tBaudRate\t\t") + device.BaudRate;
}

void addSensor(QStringList& lines, const SensorRecord& sensor, const RegionalFormat& format)
{
    const QString channel = sensor.Can ? number(*sensor.Can) : QString();
    lines << QStringLiteral("\tДатчик - ") + channel + QStringLiteral("\t\t") + sensor.Name
          << (sensor.Aktiv ? QStringLiteral("\t\tВключен ") : QStringLiteral("\t\tВыключен "))
          << QStringLiteral("\t\tЕдиницы\t\t\t") + sensor.Dimension
          << QStringLiteral("\t\tТип данных\t\t") + number(sensor.CanType)
          << QStringLiteral("\t\tДопуск\t\t\t") + number(sensor.Dopusk);
    if (sensor.AktivBase)
        lines << QStringLiteral("\t\tПериод записи в базу\t") + number(sensor.Period);
    lines << QStringLiteral("\t\tМасштаб\t\t\t") +
                 format.formatNumber(static_cast<double>(sensor.Mas), 2)
          << QStringLiteral("\t\tСлужебная зона\t\t") + number(sensor.Sluj);
}

} // namespace

QString SettingsDump::filePath(const QString& dataFolder)
{
    return QDir(dataFolder).filePath(QLatin1String(kFileName));
}

QStringList SettingsDump::lines(const Station& station, const RegionalFormat& format)
{
    QStringList lines;
    addPolling(lines, station);
    const DeviceTable& devices = station.devices();
    for (int d = 0; d < devices.Devcount(); ++d) {
        addDevice(lines, devices.at(d), d + 1);
        for (const SensorRecord& sensor : station.sensors().records()) {
            if (sensor.Ind == d)
                addSensor(lines, sensor, format);
        }
    }
    return lines;
}

FileResult SettingsDump::write(const QString& fileName, const Station& station,
                               const RegionalFormat& format)
{
    return TextCodec::writeLines(fileName, lines(station, format));
}

} // namespace vostrand::core

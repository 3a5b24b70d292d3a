#include "core/settings_dump.h"
#include "core/station.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace vostrand::core {
namespace {

Station fixture()
{
    Station station(QString{});
    Settings& settings = station.settings();
    settings.set(u"SpinEdit4G.Value", 5);
    settings.set(u"SPRead", true);
    settings.set(u"PwRead", false);
    settings.set(u"SpyToProgram", true);
    settings.set(u"SpinEdit3G.Value", 300);
    settings.set(u"SpinEdit1G.Value", 10);

    DeviceRecord serial;
    serial.Name = QStringLiteral("ТРМ-1");
    serial.NetAdress = QStringLiteral("01");
    serial.Canals = 2;
    serial.Modbus = 1;
    serial.Regtype = 3;
    serial.Prcount = 20;
    serial.timer_in = 1;
    serial.Prtype = 2;
    serial.Sttype = 1;
    serial.Port = QStringLiteral("/dev/ttyUSB0");
    serial.BaudRate = QStringLiteral("9600");
    station.devices().append(serial);

    DeviceRecord tcp;
    tcp.Name = QStringLiteral("Lumirex ВИТ");
    tcp.NetAdress = QStringLiteral("0A");
    tcp.Canals = 1;
    tcp.Lumirex = 2;
    tcp.Modbus = 2;
    tcp.YesRJ45 = true;
    tcp.IP = QStringLiteral("192.168.1.4");
    tcp.IPPort = QStringLiteral("502");
    tcp.Port = QStringLiteral("unused");
    station.devices().append(tcp);

    const auto add = [&](qint16 ind, qint16 can, const char* name, bool aktiv, float mas) {
        SensorRecord sensor;
        sensor.Adr = station.devices().at(ind).NetAdress;
        sensor.Ind = ind;
        sensor.Can = can;
        sensor.Name = QString::fromUtf8(name);
        sensor.Aktiv = aktiv;
        sensor.AktivBase = aktiv;
        sensor.Period = 60;
        sensor.Dimension = QStringLiteral("°C");
        sensor.Dopusk = -5;
        sensor.Mas = mas;
        station.sensors().append(sensor);
    };
    add(1, 0, "Вакуум", false, 1000.0f); // listed under its own device, not in table order
    add(0, 0, "Печь", true, 0.1f);
    add(0, 1, "Вода", false, 0.001f);
    return station;
}

const QStringList kExpected = {
    QStringLiteral("Период опроса, c \t\t5"),
    QStringLiteral("Опрос уставки \t\t\tвключен"),
    QStringLiteral("Опрос мощности \t\t\tвыключен"),
    QStringLiteral("Опрос состояния программ \tвключен\r"),
    QStringLiteral("Ждать ответ прибора, мc \t\t300"),
    QStringLiteral("Неудачных попыток до отключения опроса прибора \t\t10"),
    QString(),
    QStringLiteral("Приборов в сети \t\t- 2"),
    QStringLiteral("Имя - 1\t\tТРМ-1"),
    QStringLiteral("\tАдрес\t\t\t01"),
    QStringLiteral("\tКаналов\t\t\t2"),
    QStringLiteral("\tModbus\t\t1"),
    QStringLiteral("\tТип регулятора\t\t3"),
    QStringLiteral("\tПрограмм\t\t20"),
    QStringLiteral("\tПервая программа\t0"),
    QStringLiteral("\tДоступ к вкладке timer\t\t1"),
    QStringLiteral("\tДоступ к вкладке alarm\t\t0"),
    QStringLiteral("\tPrtype\t\t\t2"),
    QStringLiteral("\tSttype\t\t\t1"),
    QStringLiteral("\tPidtype\t\t\t0"),
    QStringLiteral("\tPort\t\t\t/dev/ttyUSB0"),
    QStringLiteral("\tBaudRate\t\t9600"),
    QStringLiteral("\tДатчик - 0\t\tПечь"),
    QStringLiteral("\t\tВключен "),
    QStringLiteral("\t\tЕдиницы\t\t\t°C"),
    QStringLiteral("\t\tТип данных\t\t1"),
    QStringLiteral("\t\tДопуск\t\t\t-5"),
    QStringLiteral("\t\tПериод записи в базу\t60"),
    QStringLiteral("\t\tМасштаб\t\t\t0,10"),
    QStringLiteral("\t\tСлужебная зона\t\t32000"),
    QStringLiteral("\tДатчик - 1\t\tВода"),
    QStringLiteral("\t\tВыключен "),
    QStringLiteral("\t\tЕдиницы\t\t\t°C"),
    QStringLiteral("\t\tТип данных\t\t1"),
    QStringLiteral("\t\tДопуск\t\t\t-5"),
    QStringLiteral("\t\tМасштаб\t\t\t0,00"),
    QStringLiteral("\t\tСлужебная зона\t\t32000"),
    QStringLiteral("Имя - 2\t\tLumirex ВИТ"),
    QStringLiteral("\tАдрес\t\t\t0A"),
    QStringLiteral("\tКаналов\t\t\t1"),
    QStringLiteral("\tLumirex\t\t\t2"),
    QStringLiteral("\tModbus\t\t2"),
    QStringLiteral("\tТип регулятора\t\t0"),
    QStringLiteral("\tПрограмм\t\t0"),
    QStringLiteral("\tПервая программа\t0"),
    QStringLiteral("\tДоступ к вкладке timer\t\t0"),
    QStringLiteral("\tДоступ к вкладке alarm\t\t0"),
    QStringLiteral("\tPrtype\t\t\t0"),
    QStringLiteral("\tSttype\t\t\t0"),
    QStringLiteral("\tPidtype\t\t\t0"),
    QStringLiteral("\tIP\t\t\t192.168.1.4"),
    QStringLiteral("\tIPPort\t\t502"),
    QStringLiteral("\tДатчик - 0\t\tВакуум"),
    QStringLiteral("\t\tВыключен "),
    QStringLiteral("\t\tЕдиницы\t\t\t°C"),
    QStringLiteral("\t\tТип данных\t\t1"),
    QStringLiteral("\t\tДопуск\t\t\t-5"),
    QStringLiteral("\t\tМасштаб\t\t\t1000,00"),
    QStringLiteral("\t\tСлужебная зона\t\t32000"),
};

TEST(SettingsDumpTest, writesEveryLineInCodePage1251WithCrLf)
{
    QTemporaryDir folder;
    const QString path = SettingsDump::filePath(folder.path());
    EXPECT_TRUE(path.endsWith(QStringLiteral("/Info_VostrandNet.txt")));
    const Station station = fixture();
    EXPECT_EQ(SettingsDump::lines(station, RegionalFormat::russian()), kExpected);

    ASSERT_TRUE(SettingsDump::write(path, station, RegionalFormat::russian()).ok);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("\xCF\xE5\xF0\xE8\xEE\xE4 \xEE\xEF\xF0\xEE\xF1\xE0, c \t\t5\r\n"));
    EXPECT_TRUE(bytes.contains("\xE2\xEA\xEB\xFE\xF7\xE5\xED\r\r\n")); // "включен" + CR, CR LF
    EXPECT_TRUE(bytes.contains("\t\t\xC5\xE4\xE8\xED\xE8\xF6\xFB\t\t\t\xB0"
                               "C\r\n"));
    EXPECT_TRUE(bytes.endsWith("32000\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), kExpected.size());
}

TEST(SettingsDumpTest, scaleFollowsTheDecimalSeparator)
{
    const QStringList lines = SettingsDump::lines(fixture(), RegionalFormat::dotDecimal());
    EXPECT_TRUE(lines.contains(QStringLiteral("\t\tМасштаб\t\t\t0.10")));
}

} // namespace
} // namespace vostrand::core
